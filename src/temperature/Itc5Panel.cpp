#include "Itc5Panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Controls.h"
#include "FieldViews.h"
#include "Gauges.h"
#include "Itc5Func.h"
#include "Printf.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "TimeScale.h"

TTempITC5::TTempITC5(QWidget* parent, ITC5Func& controller)
    : TempPanel(parent, "ITC5PANEL", "He Temperature Control"), controller_(controller) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* left = new QVBoxLayout;
    top->addLayout(left);
    auto* temperature = new QGroupBox("Termperature K", this);
    auto* grid = new QGridLayout(temperature);
    set_ = PushButton("Set", kSet, temperature);
    edit_ = FieldEdit(Fields(), kSetPointEdit, temperature);
    edit_->setMaxLength(11);
    edit_->setAlignment(Qt::AlignRight);
    edit_->setMinimumWidth(80);
    grid->addWidget(set_, 0, 0);
    grid->addWidget(edit_, 0, 1);
    grid->addWidget(StaticText("Cryostat", temperature), 1, 0);
    auto* cryostat = FieldReadOut(Fields(), kCryostat, temperature);
    cryostat->setAlignment(Qt::AlignRight);
    grid->addWidget(cryostat, 1, 1);
    grid->addWidget(StaticText("Sample", temperature), 2, 0);
    auto* sample = FieldReadOut(Fields(), kSample, temperature);
    sample->setAlignment(Qt::AlignRight);
    grid->addWidget(sample, 2, 1);
    left->addWidget(temperature);

    control_ = CheckBox("Computer Control", kComputerControl, this);
    left->addWidget(control_);
    auto* sensorRow = new QHBoxLayout;
    // The resource's "Heater && Sensor:" is one ampersand on the screen.
    sensorRow->addWidget(StaticText("Heater & Sensor:", this));
    auto* sensor = FieldLabel(Fields(), kSensor, this);
    sensor->setMinimumWidth(60);
    sensorRow->addWidget(sensor);
    sensorRow->addStretch();
    left->addLayout(sensorRow);
    auto* tchangeRow = new QHBoxLayout;
    tchangeRow->addWidget(StaticText("TChange =", this));
    tchangeRow->addWidget(FieldLabel(Fields(), kTchange, this));
    tchangeRow->addStretch();
    left->addLayout(tchangeRow);

    auto* right = new QGridLayout;
    top->addLayout(right);
    heater_ = new TPercentControl("Heater", kHeaterGauge, this);
    heaterAutoBox_ = CheckBox("Auto", kHeaterAuto, this);
    gasFlow_ = new TPercentControl("Gas Flow", kGasGauge, this);
    gasAutoBox_ = CheckBox("Auto", kGasAuto, this);
    right->addWidget(heater_, 0, 0);
    right->addWidget(heaterAutoBox_, 0, 1, Qt::AlignBottom);
    right->addWidget(gasFlow_, 1, 0);
    right->addWidget(gasAutoBox_, 1, 1, Qt::AlignBottom);
    auto* gasStatus = FieldLabel(Fields(), kGasStatus, this);
    gasStatus->setMinimumWidth(60);
    right->addWidget(gasStatus, 2, 0);
    right->setRowStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = PushButton("Close", kClose, this);
    auto* help = PushButton("Help", kHelp, this);
    buttons->addWidget(close);
    buttons->addWidget(help);
    layout->addLayout(buttons);

    connect(set_, &QPushButton::clicked, this, [this] { Set(); });
    connect(control_, &QCheckBox::clicked, this, [this](bool on) { ComputerControl(on); });
    connect(heaterAutoBox_, &QCheckBox::clicked, this, [this] { AutoModes(); });
    connect(gasAutoBox_, &QCheckBox::clicked, this, [this] { AutoModes(); });
    connect(heater_, &QAbstractSlider::valueChanged, this, [this](int v) { HeaterChanged(v); });
    connect(gasFlow_, &QAbstractSlider::valueChanged, this, [this](int v) { GasChanged(v); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { Help(kHelpContext); });
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    Enable();
}

int TTempITC5::Tenths(int percent) {
    const int p = GaugePercent(percent);
    return p >= 100 ? 999 : p * 10;
}

void TTempITC5::Open() {
    if (Config().noInstrument) return;
    const bool ok = Guard([this] {
        controller_.SetControl(0, 0);
        setWindowTitle(QString::fromStdString(controller_.Identify()));
        controller_.setPoint = controller_.ReadSetPoint();
        Fields().Set(kSetPointEdit, Printf("%.1f", controller_.setPoint));
        Fields().Set(kTchange, Printf("%.1f", controller_.tchange));
    });
    if (ok) timer_.start(TimeScale::Ms(kTickMs));
}

void TTempITC5::Tick() {
    const bool ok = Guard([this] {
        const ItcStatus status = controller_.ReadStatus();
        computerControl_ = status.computerControl;
        control_->setChecked(computerControl_);
        SetFlag(kComputerControl, computerControl_);
        Fields().Set(kSensor, status.sampleSensor ? "Sample" : "Cryostat");
        if (status.GasInitial()) {
            Fields().Set(kGasStatus, "Initial");
            gas_ = Gas::Initial;
        } else {
            Fields().Set(kGasStatus, "");
            gas_ = status.GasAuto() ? Gas::Automatic : Gas::Manual;
            gasAutoBox_->setChecked(gas_ == Gas::Automatic);
        }
        SetFlag(kGasAuto, gasAutoBox_->isChecked());
        heaterAuto_ = status.HeaterAuto();
        heaterAutoBox_->setChecked(heaterAuto_);
        SetFlag(kHeaterAuto, heaterAuto_);
        Enable();
        controller_.ReadTemperature();
        Fields().Set(kSample, controller_.ReadingText());
        controller_.ReadCryostat();
        Fields().Set(kCryostat, controller_.CryostatText());
        heater_->Show(static_cast<int>(controller_.ReadTenthsOf("R5") / 10));
        Fields().Set(kHeaterGauge, std::to_string(heater_->value()));
        gasFlow_->Show(static_cast<int>(controller_.ReadTenthsOf("R7") / 10));
        Fields().Set(kGasGauge, std::to_string(gasFlow_->value()));
    });
    if (!ok) timer_.stop();
}

void TTempITC5::Enable() {
    set_->setEnabled(computerControl_);
    heaterAutoBox_->setEnabled(computerControl_);
    gasAutoBox_->setEnabled(computerControl_ && gas_ != Gas::Initial);
    heater_->setEnabled(computerControl_ && !heaterAuto_);
    gasFlow_->setEnabled(computerControl_ && gas_ == Gas::Manual);
}

void TTempITC5::ComputerControl(bool on) {
    computerControl_ = on;
    SetFlag(kComputerControl, on);
    Enable();
    Guard([this, on] { controller_.Send(on ? "$C1" : "$C0"); });
}

void TTempITC5::AutoModes() {
    heaterAuto_ = heaterAutoBox_->isChecked();
    if (gas_ != Gas::Initial) gas_ = gasAutoBox_->isChecked() ? Gas::Automatic : Gas::Manual;
    SetFlag(kHeaterAuto, heaterAuto_);
    SetFlag(kGasAuto, gasAutoBox_->isChecked());
    Enable();
    const int mode = (heaterAutoBox_->isChecked() ? 1 : 0) + (gasAutoBox_->isChecked() ? 2 : 0);
    Guard([this, mode] { controller_.Send(Printf("$A%d", mode)); });
}

void TTempITC5::HeaterChanged(int percent) {
    Fields().Set(kHeaterGauge, std::to_string(percent));
    Guard([this, percent] { controller_.Send(Printf("$O%d", Tenths(percent))); });
}

void TTempITC5::GasChanged(int percent) {
    Fields().Set(kGasGauge, std::to_string(percent));
    Guard([this, percent] { controller_.Send(Printf("$G%d", Tenths(percent))); });
}

void TTempITC5::Set() {
    const auto value = SetPointFromText(edit_->text());
    if (!value || *value < 0.0) {
        Prompt::Message(this, "Enter the set-point in kelvin, up to 500.", "He Temperature Control",
                        Prompt::Buttons::Ok, Prompt::Icon::Warning);
    } else if (*value != 0.0) {
        const double kelvin = std::min(*value, static_cast<double>(controller_.maximum));
        Guard([this, kelvin] { controller_.SetTemperature(kelvin); });
    }
    Fields().Set(kSetPointEdit, Printf("%.1f", controller_.setPoint));
}

void TTempITC5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter in the set-point edit under computer control sets it; any
        // other Enter closes the panel.
        if (edit_->hasFocus() && computerControl_) {
            Set();
        } else {
            accept();
        }
        return;
    }
    TempPanel::keyPressEvent(event);
}

void TTempITC5::done(int result) {
    timer_.stop();
    TempPanel::done(result);
}
