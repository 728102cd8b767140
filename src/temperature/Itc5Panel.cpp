#include "temperature/Itc5Panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "views/FieldViews.h"
#include "temperature/Gauges.h"

TTempITC5::TTempITC5(QWidget* parent, ITC5Func& controller)
    : TempPanel(parent, "ITC5PANEL", "He Temperature Control"), logic_(controller) {
    ShowLogic(logic_);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* left = new QVBoxLayout;
    top->addLayout(left);
    const SetPointGroup group = MakeSetPointGroup("Termperature K", kSet, kSetPointEdit);
    QGroupBox* temperature = group.box;
    QGridLayout* grid = group.grid;
    set_ = group.set;
    edit_ = group.edit;
    grid->addWidget(StaticText("Cryostat", temperature), 1, 0);
    auto* cryostat = ReadOut(kCryostat, temperature);
    grid->addWidget(cryostat, 1, 1);
    grid->addWidget(StaticText("Sample", temperature), 2, 0);
    auto* sample = ReadOut(kSample, temperature);
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
    connect(&logic_, &TempPanelLogic::changed, this, [this] { Follow(); });
    connect(&logic_, &TempPanelLogic::gaugeShown, this, [this](int id, int percent) {
        if (id == kHeaterGauge) heater_->Show(percent);
        if (id == kGasGauge) gasFlow_->Show(percent);
    });
    connect(&logic_, &Itc5PanelLogic::identified, this,
            [this](const QString& caption) { setWindowTitle(caption); });
    Follow();
}

void TTempITC5::Follow() {
    const bool control = logic_.ComputerControl();
    const Gas gas = logic_.GasMode();
    control_->setChecked(control);
    heaterAutoBox_->setChecked(logic_.HeaterAuto());
    gasAutoBox_->setChecked(logic_.GasAutoTicked());
    set_->setEnabled(control);
    heaterAutoBox_->setEnabled(control);
    gasAutoBox_->setEnabled(control && gas != Gas::Initial);
    heater_->setEnabled(control && !logic_.HeaterAuto());
    gasFlow_->setEnabled(control && gas == Gas::Manual);
}

void TTempITC5::AutoModes() {
    logic_.AutoModes(heaterAutoBox_->isChecked(), gasAutoBox_->isChecked());
}

void TTempITC5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter in the set-point edit under computer control sets it; any
        // other Enter closes the panel.
        if (edit_->hasFocus() && logic_.ComputerControl()) {
            Set();
        } else {
            accept();
        }
        return;
    }
    TempPanel::keyPressEvent(event);
}

void TTempITC5::done(int result) {
    logic_.Stop();
    TempPanel::done(result);
}
