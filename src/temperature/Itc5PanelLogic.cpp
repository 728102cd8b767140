#include "temperature/Itc5PanelLogic.h"

#include "temperature/ControllerReplies.h"
#include "temperature/Itc5Func.h"
#include "core/Printf.h"
#include "core/RunConfig.h"
#include "platform/TimeScale.h"

Itc5PanelLogic::Itc5PanelLogic(ITC5Func& controller) : controller_(controller) {
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

int Itc5PanelLogic::Tenths(int percent) {
    const int p = GaugePercent(percent);
    return p >= 100 ? 999 : p * 10;
}

void Itc5PanelLogic::Open() {
    if (controller_.Configuration().noInstrument) return;
    const bool ok = Guard([this] {
        controller_.SetControl(0, 0);
        emit identified(QString::fromStdString(controller_.Identify()));
        controller_.SetSetPoint(controller_.ReadSetPoint());
        Fields().Set(kSetPointEdit, Printf("%.1f", controller_.setPoint));
        Fields().Set(kTchange, Printf("%.1f", controller_.tchange));
    });
    if (ok) timer_.start(TimeScale::Ms(kTickMs));
}

void Itc5PanelLogic::Tick() {
    const bool ok = Guard([this] {
        const ItcStatus status = controller_.ReadStatus();
        computerControl_ = status.computerControl;
        SetFlag(kComputerControl, computerControl_);
        Fields().Set(kSensor, status.sampleSensor ? "Sample" : "Cryostat");
        if (status.GasInitial()) {
            Fields().Set(kGasStatus, "Initial");
            gas_ = Gas::Initial;
        } else {
            Fields().Set(kGasStatus, "");
            gas_ = status.GasAuto() ? Gas::Automatic : Gas::Manual;
            gasAutoTicked_ = gas_ == Gas::Automatic;
        }
        SetFlag(kGasAuto, gasAutoTicked_);
        heaterAuto_ = status.HeaterAuto();
        SetFlag(kHeaterAuto, heaterAuto_);
        emit changed();
        controller_.ReadTemperature();
        Fields().Set(kSample, controller_.ReadingText());
        controller_.ReadCryostat();
        Fields().Set(kCryostat, controller_.CryostatText());
        const int heater = GaugePercent(static_cast<int>(controller_.ReadTenthsOf("R5") / 10));
        emit gaugeShown(kHeaterGauge, heater);
        Fields().Set(kHeaterGauge, std::to_string(heater));
        const int gas = GaugePercent(static_cast<int>(controller_.ReadTenthsOf("R7") / 10));
        emit gaugeShown(kGasGauge, gas);
        Fields().Set(kGasGauge, std::to_string(gas));
    });
    if (!ok) timer_.stop();
}

void Itc5PanelLogic::ComputerControl(bool on) {
    computerControl_ = on;
    SetFlag(kComputerControl, on);
    emit changed();
    Guard([this, on] { controller_.Send(on ? "$C1" : "$C0"); });
}

void Itc5PanelLogic::AutoModes(bool heaterAuto, bool gasAuto) {
    heaterAuto_ = heaterAuto;
    gasAutoTicked_ = gasAuto;
    if (gas_ != Gas::Initial) gas_ = gasAuto ? Gas::Automatic : Gas::Manual;
    SetFlag(kHeaterAuto, heaterAuto_);
    SetFlag(kGasAuto, gasAuto);
    emit changed();
    const int mode = (heaterAuto ? 1 : 0) + (gasAuto ? 2 : 0);
    Guard([this, mode] { controller_.Send(Printf("$A%d", mode)); });
}

void Itc5PanelLogic::HeaterChanged(int percent) {
    Fields().Set(kHeaterGauge, std::to_string(percent));
    Guard([this, percent] { controller_.Send(Printf("$O%d", Tenths(percent))); });
}

void Itc5PanelLogic::GasChanged(int percent) {
    Fields().Set(kGasGauge, std::to_string(percent));
    Guard([this, percent] { controller_.Send(Printf("$G%d", Tenths(percent))); });
}

void Itc5PanelLogic::Set() {
    TakeSetPoint(controller_, kSetPointEdit, "Enter the set-point in kelvin, up to 500.",
                 "He Temperature Control");
    Fields().Set(kSetPointEdit, Printf("%.1f", controller_.setPoint));
}
