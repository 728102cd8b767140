#include "temperature/Ln2Panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "views/Controls.h"
#include "views/FieldViews.h"
#include "temperature/Gauges.h"

TTempLN2::TTempLN2(QWidget* parent, LN2Func& controller)
    : TempPanel(parent, "LN2PANEL", "LN2 Temperature Control"), logic_(controller) {
    ShowLogic(logic_);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* left = new QVBoxLayout;
    top->addLayout(left);
    const SetPointGroup group = MakeSetPointGroup("Temperature K", kSet, kSetPointEdit);
    QGroupBox* temperature = group.box;
    edit_ = group.edit;
    QGridLayout* grid = group.grid;
    grid->addWidget(StaticText("T =", temperature), 1, 0, Qt::AlignRight);
    auto* reading = ReadOut(kReading, temperature);
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

    connect(group.set, &QPushButton::clicked, this, [this] { Set(); });
    connect(autoManual, &QPushButton::clicked, this, [this] { ToggleAuto(); });
    connect(heater_, &QAbstractSlider::valueChanged, this, [this](int v) { HeaterChanged(v); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { Help(kHelpContext); });
    connect(&logic_, &TempPanelLogic::changed, this, [this] { ShowMode(); });
    connect(&logic_, &TempPanelLogic::gaugeShown, this, [this](int id, int percent) {
        if (id == kHeaterGauge) heater_->Show(percent);
        if (id == kVacuumGauge) vacuum_->Show(percent);
    });
}

void TTempLN2::Open() {
    // Display only: the readings drive the gauges, the operator does not.
    heater_->setEnabled(false);
    vacuum_->setEnabled(false);
    pumps_[std::clamp(PumpChoice(), 0, 3)]->setChecked(true);
    logic_.Open();
}

void TTempLN2::ShowMode() {
    const bool automatic = logic_.Automatic();
    for (int i = 0; i < 4; ++i) {
        pumps_[i]->setEnabled(!automatic);
        pumps_[i]->setAutoExclusive(!automatic);
        if (automatic) pumps_[i]->setChecked(false);
    }
    if (!automatic) pumps_[std::clamp(PumpChoice(), 0, 3)]->setChecked(true);
}

void TTempLN2::done(int result) {
    logic_.Stop();
    TempPanel::done(result);
}

void TTempLN2::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && edit_->hasFocus()) {
        Set();
        return;
    }
    TempPanel::keyPressEvent(event);
}
