#include "EngineeringSheet.h"

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

#include "BufferAmplifier.h"
#include "Controls.h"
#include "FieldViews.h"
#include "GpibBus.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "TBuffer.h"
#include "TManual.h"
#include "xmsg.h"

namespace {
constexpr int kNoSecondary = -1;

bool Demo() {
    return Config().noInstrument;
}
}  // namespace

TGpib::TGpib(QWidget* parent) : EngineeringPage(parent) {
    setObjectName("GPIB");
    auto* layout = new QVBoxLayout(this);

    auto* addressed = new QGroupBox("Addressed Commands", this);
    auto* grid = new QGridLayout(addressed);
    hall_ = RadioButton("Hall Electronics", "radio104", addressed);
    hall_->setChecked(true);
    controller_ = RadioButton("Temp Controller", "radio105", addressed);
    // Only a controller on the bus can be addressed from here.
    controller_->setEnabled(FactsOf(Config().controllerKind).gpibPrimary.has_value());
    grid->addWidget(hall_, 0, 0, 1, 2);
    grid->addWidget(controller_, 0, 2, 1, 2);
    grid->addWidget(new QLabel("Sec. Addr:", addressed), 1, 0);
    secondaryField_ = FieldEdit(fields_, kSecondary, addressed);
    secondaryField_->setMaximumWidth(60);
    grid->addWidget(secondaryField_, 1, 1);
    grid->addWidget(new QLabel("Data:", addressed), 2, 0);
    auto* data = FieldEdit(fields_, kData, addressed);
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
    auto* lines = FieldEdit(fields_, kLines, lineControl);
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

void TGpib::SetUp() {
    if (Demo()) return;
    try {
        // Kind 0 runs no command and only reports the lines.
        fields_.Set(kLines, Bus().InterfaceCommand(0, primary_, secondary_).lines);
    } catch (const xmsg&) {
        // The field stays empty; the buttons report errors when used.
    }
}

void TGpib::SelectHall() {
    hall_->setChecked(true);
    primary_ = GpibAddress::kHallElectronics;
    secondary_ = 6;
    if (Config().controllerKind == ControllerKind::ITC5) {
        fields_.Set(kSecondary, "");
        secondaryField_->setEnabled(true);
    }
}

void TGpib::SelectController() {
    if (!controller_->isEnabled()) return;
    controller_->setChecked(true);
    const ControllerKind kind = Config().controllerKind;
    if (kind == ControllerKind::LN2) {
        primary_ = *FactsOf(kind).gpibPrimary;
        secondary_ = 0;
    } else if (kind == ControllerKind::ITC5) {
        primary_ = *FactsOf(kind).gpibPrimary;
        secondary_ = kNoSecondary;
        fields_.Set(kSecondary, "N/A");
        secondaryField_->setEnabled(false);
    }
}

bool TGpib::SecondaryFromField(int& secondary) const {
    const std::string text = fields_.Get(kSecondary);
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t start = i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 65535) return false;
    }
    if (i == start) return false;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return false;
    secondary = static_cast<int>(value);
    return true;
}

void TGpib::Receive() {
    if (Demo()) return;
    try {
        if (secondary_ == kNoSecondary) {
            fields_.Set(kData, Bus().ItcRead());
            return;
        }
        int secondary = 0;
        if (!SecondaryFromField(secondary)) return;
        fields_.Set(kData, Bus().Read(primary_, secondary));
    } catch (const xmsg&) {
        // A failed transfer leaves the data field as it was.
    }
}

void TGpib::Send() {
    if (Demo()) return;
    const std::string data = fields_.Get(kData).substr(0, 19);
    try {
        if (secondary_ == kNoSecondary) {
            Bus().ItcWrite(data);
            return;
        }
        int secondary = 0;
        if (!SecondaryFromField(secondary)) return;
        Bus().Write(primary_, secondary, data);
    } catch (const xmsg&) {
        // Dropped: the engineer sees no reply and tries again.
    }
}

void TGpib::Interface(int kind) {
    if (Demo()) return;
    try {
        const GpibBus::PageResult result = Bus().InterfaceCommand(kind, primary_, secondary_);
        if (kind == 1) fields_.Set(kData, result.data);
        fields_.Set(kLines, result.lines);
    } catch (const xmsg& e) {
        Prompt::Message(this, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    }
}

TEngineeringSheet::TEngineeringSheet(QWidget* parent)
    : PropertySheet("ENGINEERING", "Engineering", PropertySheet::kApply, parent, "Close") {
    AddPage(new TGpib(this), "GPIB");
    if (BufferAmplifierPortOpen()) AddPage(new TBuffer(this), "Buffer");
    AddPage(new TManual(this), "Magnet");
}

void ShowEngineeringSheet(QWidget* owner) {
    // The first page reads the bus as the sheet is made; the guard covers a
    // owner that went away meanwhile.
    QPointer<TEngineeringSheet> sheet(new TEngineeringSheet(owner));
    if (!sheet) return;
    Prompt::Exec(*sheet);
    delete sheet.data();
}
