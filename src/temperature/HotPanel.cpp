#include "temperature/HotPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "views/FieldViews.h"

TTempHot::TTempHot(QWidget* parent, HotFunc& controller)
    : TempPanel(parent, "HOTPANEL", "Hot Stage Temperature Control"), logic_(controller) {
    ShowLogic(logic_);
    auto* layout = new QVBoxLayout(this);
    const SetPointGroup group = MakeSetPointGroup("Temperature K", kSet, kSetPointEdit);
    QGroupBox* temperature = group.box;
    QGridLayout* grid = group.grid;
    auto* read = PushButton("Read", kRead, temperature);
    auto* reading = ReadOut(kReading, temperature);
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

    connect(group.set, &QPushButton::clicked, this, [this] { Set(); });
    connect(read, &QPushButton::clicked, this, [this] { Read(); });
    connect(run, &QCheckBox::clicked, this, [this](bool on) { Run(on); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TTempOpen::TTempOpen(QWidget* parent, TTemp& controller)
    : TempPanel(parent, "OPENTEMP", "Open Cryostat"), logic_(controller) {
    ShowLogic(logic_);
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

    ln2_->setChecked(logic_.Ln2());
    ambient_->setChecked(!logic_.Ln2());
    auto show = [this] { logic_.Choose(ambient_->isChecked(), ln2_->isChecked()); };
    connect(ambient_, &QRadioButton::toggled, this, show);
    connect(ln2_, &QRadioButton::toggled, this, show);
    connect(close, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
}

void TTempOpen::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        reject();
        return;
    }
    TempPanel::keyPressEvent(event);
}

void TTempOpen::reject() {
    Apply();
    accept();
}
