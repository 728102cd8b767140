#include "magnet/TBlast.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "magnet/Instruments.h"
#include "views/Controls.h"
#include "views/FieldViews.h"
#include "platform/Prompt.h"
#include "core/xmsg.h"

namespace {
// The blaster's values read right-aligned, as numbers do.
QLineEdit* ReadOut(FieldSet& fields, int id, QWidget* parent) {
    QLineEdit* field = FieldReadOut(fields, id, parent);
    field->setAlignment(Qt::AlignRight);
    return field;
}
}  // namespace

TBlast::TBlast(Instruments& instruments, QWidget* parent) : QDialog(parent), blaster_(instruments) {
    setObjectName("BLAST");
    setWindowTitle("Blast Contacts");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);

    auto* contacts = new QGroupBox("Contacts", this);
    auto* contactsRow = new QHBoxLayout(contacts);
    pair12_ = RadioButton("1-2", "radio101", contacts);
    pair34_ = RadioButton("3-4", "radio102", contacts);
    contactsRow->addWidget(pair12_);
    contactsRow->addWidget(pair34_);
    contactsRow->addStretch();

    auto* intensityBox = new QGroupBox("Intensity", this);
    auto* intensityRow = new QHBoxLayout(intensityBox);
    intensity_ = ReadOut(blaster_.Fields(), Blaster::kIntensityField, intensityBox);
    intensity_->setAlignment(Qt::AlignCenter);
    intensity_->setMaximumWidth(48);
    auto* up = ArrowButton(Qt::UpArrow, "updownUp", intensityBox);
    auto* down = ArrowButton(Qt::DownArrow, "updownDown", intensityBox);
    intensityRow->addWidget(intensity_);
    intensityRow->addWidget(up);
    intensityRow->addWidget(down);
    intensityRow->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(contacts);
    top->addWidget(intensityBox);
    layout->addLayout(top);

    auto* values = new QGroupBox("Kilohms", this);
    auto* valuesGrid = new QGridLayout(values);
    first_ = ReadOut(blaster_.Fields(), Blaster::kFirstValueField, values);
    second_ = ReadOut(blaster_.Fields(), Blaster::kSecondValueField, values);
    valuesGrid->addWidget(first_, 0, 0);
    valuesGrid->addWidget(second_, 0, 1);
    layout->addWidget(values);

    auto* warning = new QLabel("WARNING: do not use with buffer amplifier attached!", this);
    warning->setObjectName("warning");
    warning->setStyleSheet("color: #b00020; font-weight: bold;");
    layout->addWidget(warning);

    auto* buttons = new QHBoxLayout;
    auto* onePulse = PushButton("1-pulse", 103, this);
    auto* fivePulse = PushButton("5-pulse", 104, this);
    auto* measure = PushButton("Meas", 105, this);
    auto* close = PushButton("Close", "IDCANCEL", this);
    buttons->addWidget(onePulse);
    buttons->addWidget(fivePulse);
    buttons->addWidget(measure);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(pair12_, &QRadioButton::clicked, this,
            [this] { Run([this] { blaster_.Select(Blaster::Pair::OneTwo); }); });
    connect(pair34_, &QRadioButton::clicked, this,
            [this] { Run([this] { blaster_.Select(Blaster::Pair::ThreeFour); }); });
    connect(up, &QToolButton::clicked, this, [this] { blaster_.StepIntensity(+1); });
    connect(down, &QToolButton::clicked, this, [this] { blaster_.StepIntensity(-1); });
    connect(onePulse, &QPushButton::clicked, this,
            [this] { Run([this] { blaster_.Pulse(1, this); }); });
    connect(fivePulse, &QPushButton::clicked, this,
            [this] { Run([this] { blaster_.Pulse(5, this); }); });
    connect(measure, &QPushButton::clicked, this, [this] { Run([this] { blaster_.Measure(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TBlast::Run(const std::function<void()>& command) {
    if (busy_) return;
    busy_ = true;
    QPointer<TBlast> self(this);
    try {
        command();
    } catch (const xmsg& e) {
        Prompt::Message(this, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    }
    if (!self) return;
    busy_ = false;
    // The radio buttons follow the model, also when a selection failed.
    pair12_->setChecked(blaster_.Selected() == Blaster::Pair::OneTwo);
    pair34_->setChecked(blaster_.Selected() == Blaster::Pair::ThreeFour);
}

void TBlast::Open() {
    Run([this] { blaster_.Identify(); });
    Run([this] { blaster_.Open(); });
}

void TBlast::Close() {
    Run([this] { blaster_.Close(); });
}

void TBlast::done(int result) {
    if (busy_) return;
    QDialog::done(result);
}

void ShowBlastDialog(Instruments& instruments, QWidget* owner) {
    if (instruments.Amplifier().Present()) {
        Prompt::Message(owner, "Buffer Amplifer detected, Blasting not permitted", "Violation",
                        Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return;
    }
    QPointer<TBlast> dialog(new TBlast(instruments, owner));
    dialog->Open();
    if (!dialog) return;
    Prompt::Exec(*dialog);
    if (!dialog) return;
    dialog->Close();
    delete dialog.data();
}
