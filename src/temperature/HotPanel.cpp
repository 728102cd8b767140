#include "HotPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "Controls.h"
#include "FieldViews.h"
#include "HotFunc.h"
#include "Printf.h"
#include "Prompt.h"

TTempHot::TTempHot(QWidget* parent, HotFunc& controller)
    : TempPanel(parent, "HOTPANEL", "Hot Stage Temperature Control"), controller_(controller) {
    auto* layout = new QVBoxLayout(this);
    auto* temperature = new QGroupBox("Temperature K", this);
    auto* grid = new QGridLayout(temperature);
    auto* set = PushButton("Set", kSet, temperature);
    edit_ = FieldEdit(Fields(), kSetPointEdit, temperature);
    edit_->setMaxLength(11);
    edit_->setAlignment(Qt::AlignRight);
    edit_->setMinimumWidth(80);
    auto* read = PushButton("Read", kRead, temperature);
    auto* reading = FieldReadOut(Fields(), kReading, temperature);
    reading->setAlignment(Qt::AlignRight);
    grid->addWidget(set, 0, 0);
    grid->addWidget(edit_, 0, 1);
    grid->addWidget(read, 1, 0);
    auto* readingRow = new QHBoxLayout;
    readingRow->addWidget(StaticText("T =", temperature));
    readingRow->addWidget(reading);
    grid->addLayout(readingRow, 1, 1);
    layout->addWidget(temperature);

    auto* bottom = new QHBoxLayout;
    auto* run = CheckBox("Run", kRun, this);
    auto* cancel = PushButton("Cancel", kCancel, this);
    bottom->addWidget(run);
    bottom->addStretch();
    bottom->addWidget(cancel);
    layout->addLayout(bottom);
    SetFlag(kRun, false);

    connect(set, &QPushButton::clicked, this, [this] { Set(); });
    connect(read, &QPushButton::clicked, this, [this] { Read(); });
    connect(run, &QCheckBox::clicked, this, [this](bool on) { Run(on); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TTempHot::Set() {
    const auto value = SetPointFromText(edit_->text());
    if (!value || *value < 0.0) {
        Prompt::Message(this, "Enter the set-point in kelvin, up to 900.",
                        "Hot Stage Temperature Control", Prompt::Buttons::Ok,
                        Prompt::Icon::Warning);
    } else if (*value != 0.0) {
        const double kelvin = std::min(*value, static_cast<double>(controller_.maximum));
        Guard([this, kelvin] { controller_.SetTemperature(kelvin); });
    }
    Fields().Set(kSetPointEdit, Printf("%d", static_cast<int>(std::trunc(controller_.setPoint))));
}

void TTempHot::Read() {
    Guard([this] { controller_.ReadTemperature(); });
    Fields().Set(kReading, controller_.ReadingText());
}

void TTempHot::Run(bool on) {
    SetFlag(kRun, on);
    // Ticked runs the stage (18), unticked stops it (17).
    Guard([this, on] { controller_.SetControl(1, on ? 0 : 1); });
}

TTempOpen::TTempOpen(QWidget* parent, TTemp& controller)
    : TempPanel(parent, "OPENTEMP", "Open Cryostat"), controller_(controller) {
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Temperature", this);
    auto* column = new QVBoxLayout(group);
    ambient_ = RadioButton("Ambient", kAmbient, group);
    ln2_ = RadioButton("77K", kLn2, group);
    column->addWidget(ambient_);
    column->addWidget(ln2_);
    layout->addWidget(group);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = PushButton("Close", kClose, this);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    const bool dipped = controller_.setPoint == 77.0;
    ln2_->setChecked(dipped);
    ambient_->setChecked(!dipped);
    auto show = [this] {
        SetFlag(kAmbient, ambient_->isChecked());
        SetFlag(kLn2, ln2_->isChecked());
    };
    show();
    connect(ambient_, &QRadioButton::toggled, this, show);
    connect(ln2_, &QRadioButton::toggled, this, show);
    connect(close, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
}

void TTempOpen::Apply() {
    controller_.SetTemperature(ln2_->isChecked() ? 77.0 : 293.0);
}
