#include "temperature/HotPanelLogic.h"

#include <cmath>

#include "temperature/HotFunc.h"
#include "core/Printf.h"

HotPanelLogic::HotPanelLogic(HotFunc& controller) : controller_(controller) {
    SetFlag(kRun, false);
}

void HotPanelLogic::Set() {
    TakeSetPoint(controller_, kSetPointEdit, "Enter the set-point in kelvin, up to 900.",
                 "Hot Stage Temperature Control");
    Fields().Set(kSetPointEdit, Printf("%d", static_cast<int>(std::trunc(controller_.setPoint))));
}

void HotPanelLogic::Read() {
    Guard([this] { controller_.ReadTemperature(); });
    Fields().Set(kReading, controller_.ReadingText());
}

void HotPanelLogic::Run(bool on) {
    SetFlag(kRun, on);
    // Ticked runs the stage (18), unticked stops it (17).
    Guard([this, on] { controller_.SetControl(1, on ? 0 : 1); });
}

OpenPanelLogic::OpenPanelLogic(TTemp& controller)
    : controller_(controller), ln2_(controller.setPoint == 77.0) {
    Choose(!ln2_, ln2_);
}

void OpenPanelLogic::Choose(bool ambient, bool ln2) {
    ln2_ = ln2;
    SetFlag(kAmbient, ambient);
    SetFlag(kLn2, ln2);
}

void OpenPanelLogic::Apply() {
    controller_.SetTemperature(ln2_ ? 77.0 : 293.0);
}
