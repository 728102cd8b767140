#include "Ln2Panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Controls.h"
#include "FieldViews.h"
#include "Gauges.h"
#include "Ln2Func.h"
#include "Printf.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "TimeScale.h"

namespace {
constexpr char kPumpLetters[] = {'O', 'S', 'F'};
}

int& TTempLN2::PumpChoice() {
    static int choice = 0;
    return choice;
}

TTempLN2::TTempLN2(QWidget* parent, LN2Func& controller)
    : TempPanel(parent, "LN2PANEL", "LN2 Temperature Control"), controller_(controller) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* left = new QVBoxLayout;
    top->addLayout(left);
    auto* temperature = new QGroupBox("Temperature K", this);
    auto* grid = new QGridLayout(temperature);
    auto* set = PushButton("Set", kSet, temperature);
    edit_ = FieldEdit(Fields(), kSetPointEdit, temperature);
    edit_->setMaxLength(11);
    edit_->setAlignment(Qt::AlignRight);
    edit_->setMinimumWidth(80);
    grid->addWidget(set, 0, 0);
    grid->addWidget(edit_, 0, 1);
    grid->addWidget(StaticText("T =", temperature), 1, 0, Qt::AlignRight);
    auto* reading = FieldReadOut(Fields(), kReading, temperature);
    reading->setAlignment(Qt::AlignRight);
    grid->addWidget(reading, 1, 1);
    left->addWidget(temperature);

    auto* status = new QGroupBox("Status", this);
    auto* statusRow = new QHBoxLayout(status);
    auto* autoManual = PushButton("Auto/Manual", kAutoManual, status);
    statusRow->addWidget(autoManual);
    auto* mode = FieldLabel(Fields(), kModeText, status);
    mode->setMinimumWidth(60);
    statusRow->addWidget(mode);
    statusRow->addStretch();
    left->addWidget(status);

    auto* pump = new QGroupBox("Pump", this);
    auto* pumpRow = new QHBoxLayout(pump);
    const char* names[] = {"Off", "Slow", "Fast", "Auto"};
    for (int i = 0; i < 4; ++i) {
        pumps_[i] = RadioButton(names[i], kPumpOff + i, pump);
        pumpRow->addWidget(pumps_[i]);
        connect(pumps_[i], &QRadioButton::clicked, this, [this, i] { Pump(i); });
    }
    left->addWidget(pump);

    auto* gauges = new QVBoxLayout;
    top->addLayout(gauges);
    heater_ = new TPercentControl("Heater", kHeaterGauge, this);
    vacuum_ = new TVacuumGauge("Vacuum", kVacuumGauge, this);
    gauges->addWidget(heater_);
    gauges->addWidget(vacuum_);
    gauges->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = PushButton("Close", kClose, this);
    auto* help = PushButton("Help", kHelp, this);
    buttons->addWidget(close);
    buttons->addWidget(help);
    layout->addLayout(buttons);

    connect(set, &QPushButton::clicked, this, [this] { Set(); });
    connect(autoManual, &QPushButton::clicked, this, [this] { ToggleAuto(); });
    connect(heater_, &QAbstractSlider::valueChanged, this, [this](int v) { HeaterChanged(v); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { Help(kHelpContext); });
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void TTempLN2::Open() {
    // Display only: the readings drive the gauges, the operator does not.
    heater_->setEnabled(false);
    vacuum_->setEnabled(false);
    pumps_[std::clamp(PumpChoice(), 0, 3)]->setChecked(true);
    if (Config().noInstrument) return;
    if (!Guard([this] { Fields().Set(kSetPointEdit, controller_.ReadSetPoint().text); })) return;
    timer_.start(TimeScale::Ms(kTickMs));
}

void TTempLN2::Tick() {
    const bool ok = Guard([this] {
        Fields().Set(kReading, controller_.ReadPresent().text);
        const int heater = controller_.ReadHeater() / LN2Func::kHeaterScale;
        heater_->Show(heater);
        Fields().Set(kHeaterGauge, std::to_string(heater_->value()));
        vacuum_->Show(VacuumPercent(controller_.ReadVacuum()));
        Fields().Set(kVacuumGauge, std::to_string(vacuum_->value()));
        automatic_ = controller_.ReadAutomatic();
        ShowMode();
    });
    // A failed reading freezes the panel until it is opened again.
    if (!ok) timer_.stop();
}

void TTempLN2::ShowMode() {
    Fields().Set(kModeText, automatic_ ? "Auto" : "Manual");
    for (int i = 0; i < 4; ++i) {
        // In automatic control the controller runs the pump itself.
        pumps_[i]->setEnabled(!automatic_);
        pumps_[i]->setAutoExclusive(!automatic_);
        if (automatic_) pumps_[i]->setChecked(false);
    }
    if (!automatic_) pumps_[std::clamp(PumpChoice(), 0, 3)]->setChecked(true);
}

void TTempLN2::Set() {
    const auto value = SetPointFromText(edit_->text());
    if (!value || *value < 0.0) {
        Prompt::Message(this, "Enter the set-point in kelvin, up to 550.",
                        "LN2 Temperature Control", Prompt::Buttons::Ok, Prompt::Icon::Warning);
    } else if (*value != 0.0) {
        const double kelvin = std::min(*value, static_cast<double>(controller_.maximum));
        Guard([this, kelvin] { controller_.SetTemperature(kelvin); });
    }
    Fields().Set(kSetPointEdit, Printf("%.1f", controller_.setPoint));
}

void TTempLN2::ToggleAuto() {
    if (Config().noInstrument) return;
    automatic_ = !automatic_;
    ShowMode();
    Guard([this] {
        controller_.SetRemote();
        controller_.WriteMode(automatic_ ? 'C' : 'U');
    });
}

void TTempLN2::Pump(int choice) {
    if (Config().noInstrument) return;
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

void TTempLN2::HeaterChanged(int percent) {
    Fields().Set(kHeaterGauge, std::to_string(percent));
    if (Config().noInstrument) return;
    Guard([this, percent] { controller_.WriteHeaterPercent(percent); });
}

void TTempLN2::done(int result) {
    timer_.stop();
    TempPanel::done(result);
}
