#include "app/EngineeringSheet.h"
#include "magnet/Instruments.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "magnet/BufferAmplifier.h"
#include "views/Controls.h"
#include "views/FieldViews.h"
#include "platform/Prompt.h"
#include "magnet/TBuffer.h"
#include "magnet/TManual.h"

TGpib::TGpib(Instruments& instruments, QWidget* parent)
    : EngineeringPage(parent), access_(instruments) {
    setObjectName("GPIB");
    access_.SetOwner(this);
    auto* layout = new QVBoxLayout(this);

    auto* addressed = new QGroupBox("Addressed Commands", this);
    auto* grid = new QGridLayout(addressed);
    hall_ = RadioButton("Hall Electronics", "radio104", addressed);
    hall_->setChecked(true);
    controller_ = RadioButton("Temp Controller", "radio105", addressed);
    // Only a controller on the bus can be addressed from here.
    controller_->setEnabled(access_.ControllerSelectable());
    grid->addWidget(hall_, 0, 0, 1, 2);
    grid->addWidget(controller_, 0, 2, 1, 2);
    grid->addWidget(new QLabel("Sec. Addr:", addressed), 1, 0);
    secondaryField_ = FieldEdit(Fields(), kSecondary, addressed);
    secondaryField_->setMaximumWidth(60);
    grid->addWidget(secondaryField_, 1, 1);
    grid->addWidget(new QLabel("Data:", addressed), 2, 0);
    auto* data = FieldEdit(Fields(), kData, addressed);
    grid->addWidget(data, 2, 1, 1, 4);
    auto* buttons = new QHBoxLayout;
    auto* rec = PushButton("Rec", 201, addressed);
    auto* send = PushButton("Send", 202, addressed);
    auto* spoll = PushButton("Spoll", 203, addressed);
    auto* sdc = PushButton("SDC", 205, addressed);
    auto* gtl = PushButton("GTL", 206, addressed);
    for (auto* button : {rec, send, spoll, sdc, gtl}) buttons->addWidget(button);
    grid->addLayout(buttons, 3, 0, 1, 5);
    layout->addWidget(addressed);

    auto* lower = new QHBoxLayout;
    auto* universal = new QGroupBox("Universal Commands", this);
    auto* universalRow = new QHBoxLayout(universal);
    auto* llo = PushButton("LLO", 207, universal);
    auto* dcl = PushButton("DCL", 209, universal);
    universalRow->addWidget(llo);
    universalRow->addWidget(dcl);
    lower->addWidget(universal);
    auto* lineControl = new QGroupBox("Line Control", this);
    auto* lineRow = new QHBoxLayout(lineControl);
    auto* ifc = PushButton("IFC", 210, lineControl);
    auto* ren = PushButton("REN", 211, lineControl);
    auto* lines = FieldEdit(Fields(), kLines, lineControl);
    lines->setReadOnly(true);
    lines->setFocusPolicy(Qt::NoFocus);
    lines->setMaximumWidth(90);
    lineRow->addWidget(ifc);
    lineRow->addWidget(ren);
    lineRow->addWidget(lines);
    lower->addWidget(lineControl);
    layout->addLayout(lower);
    layout->addStretch();

    connect(hall_, &QRadioButton::clicked, this, &TGpib::SelectHall);
    connect(controller_, &QRadioButton::clicked, this, &TGpib::SelectController);
    connect(rec, &QPushButton::clicked, this, &TGpib::Receive);
    connect(send, &QPushButton::clicked, this, &TGpib::Send);
    const std::pair<QPushButton*, int> commands[] = {{spoll, 1}, {sdc, 2}, {dcl, 3}, {gtl, 4},
                                                     {llo, 5},   {ifc, 6}, {ren, 7}};
    for (const auto& [button, commandKind] : commands)
        connect(button, &QPushButton::clicked, this, [this, k = commandKind] { Interface(k); });
}

void TGpib::SelectHall() {
    access_.SelectHall();
    Follow();
}

void TGpib::SelectController() {
    if (access_.SelectController()) Follow();
}

void TGpib::Follow() {
    (access_.ControllerSelected() ? controller_ : hall_)->setChecked(true);
    secondaryField_->setEnabled(access_.SecondaryEditable());
}

TEngineeringSheet::TEngineeringSheet(Instruments& instruments, QWidget* parent)
    : PropertySheet("ENGINEERING", "Engineering", PropertySheet::kApply, parent, "Close") {
    AddPage(new TGpib(instruments, this), "GPIB");
    if (instruments.Amplifier().PortOpen()) AddPage(new TBuffer(instruments, this), "Buffer");
    AddPage(new TManual(instruments, this), "Magnet");
}

void ShowEngineeringSheet(Instruments& instruments, QWidget* owner) {
    // The first page reads the bus as the sheet is made; the guard covers a
    // owner that went away meanwhile.
    QPointer<TEngineeringSheet> sheet(new TEngineeringSheet(instruments, owner));
    if (!sheet) return;
    Prompt::Exec(*sheet);
    delete sheet.data();
}
