#include "temperature/Ln2PanelLogic.h"

#include "temperature/ControllerReplies.h"
#include "temperature/Ln2Func.h"
#include "core/Printf.h"
#include "core/RunConfig.h"
#include "platform/TimeScale.h"

namespace {
constexpr char kPumpLetters[] = {'O', 'S', 'F'};
}

Ln2PanelLogic::Ln2PanelLogic(LN2Func& controller) : controller_(controller) {
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

int& Ln2PanelLogic::PumpChoice() {
    static int choice = 0;
    return choice;
}

void Ln2PanelLogic::Open() {
    if (controller_.Configuration().noInstrument) return;
    if (!Guard([this] { Fields().Set(kSetPointEdit, controller_.ReadSetPoint().text); })) return;
    timer_.start(TimeScale::Ms(kTickMs));
}

void Ln2PanelLogic::Tick() {
    const bool ok = Guard([this] {
        Fields().Set(kReading, controller_.ReadPresent().text);
        const int heater = GaugePercent(controller_.ReadHeater() / LN2Func::kHeaterScale);
        emit gaugeShown(kHeaterGauge, heater);
        Fields().Set(kHeaterGauge, std::to_string(heater));
        const int vacuum = VacuumPercent(controller_.ReadVacuum());
        emit gaugeShown(kVacuumGauge, vacuum);
        Fields().Set(kVacuumGauge, std::to_string(vacuum));
        automatic_ = controller_.ReadAutomatic();
        ShowMode();
    });
    // A failed reading freezes the panel until it is opened again.
    if (!ok) timer_.stop();
}

void Ln2PanelLogic::ShowMode() {
    Fields().Set(kModeText, automatic_ ? "Auto" : "Manual");
    emit changed();
}

void Ln2PanelLogic::Set() {
    TakeSetPoint(controller_, kSetPointEdit, "Enter the set-point in kelvin, up to 550.",
                 "LN2 Temperature Control");
    Fields().Set(kSetPointEdit, Printf("%.1f", controller_.setPoint));
}

void Ln2PanelLogic::ToggleAuto() {
    if (controller_.Configuration().noInstrument) return;
    automatic_ = !automatic_;
    ShowMode();
    Guard([this] {
        controller_.SetRemote();
        controller_.WriteMode(automatic_ ? 'C' : 'U');
    });
}

void Ln2PanelLogic::Pump(int choice) {
    if (controller_.Configuration().noInstrument) return;
    PumpChoice() = choice;
    Guard([choice, this] {
        if (choice < 3) {
            controller_.WritePumpAutomatic(false);
            controller_.WriteMode(kPumpLetters[choice]);
        } else {
            controller_.WritePumpAutomatic(true);
        }
    });
}

void Ln2PanelLogic::HeaterChanged(int percent) {
    Fields().Set(kHeaterGauge, std::to_string(percent));
    if (controller_.Configuration().noInstrument) return;
    Guard([this, percent] { controller_.WriteHeaterPercent(percent); });
}
