#include "TBlast.h"

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

#include "BufferAmplifier.h"
#include "Prompt.h"
#include "xmsg.h"

namespace {
QLineEdit* ReadOnlyField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

TBlast::TBlast(QWidget* parent) : QDialog(parent) {
    setObjectName("BLAST");
    setWindowTitle("Blast Contacts");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);

    auto* contacts = new QGroupBox("Contacts", this);
    auto* contactsRow = new QHBoxLayout(contacts);
    pair12_ = new QRadioButton("1-2", contacts);
    pair12_->setObjectName("radio101");
    pair34_ = new QRadioButton("3-4", contacts);
    pair34_->setObjectName("radio102");
    contactsRow->addWidget(pair12_);
    contactsRow->addWidget(pair34_);
    contactsRow->addStretch();

    auto* intensityBox = new QGroupBox("Intensity", this);
    auto* intensityRow = new QHBoxLayout(intensityBox);
    intensity_ = ReadOnlyField("field107", intensityBox);
    intensity_->setAlignment(Qt::AlignCenter);
    intensity_->setMaximumWidth(48);
    auto* up = new QToolButton(intensityBox);
    up->setObjectName("updownUp");
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(intensityBox);
    down->setObjectName("updownDown");
    down->setArrowType(Qt::DownArrow);
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
    first_ = ReadOnlyField("field110", values);
    second_ = ReadOnlyField("field111", values);
    valuesGrid->addWidget(first_, 0, 0);
    valuesGrid->addWidget(second_, 0, 1);
    layout->addWidget(values);

    auto* warning = new QLabel("WARNING: do not use with buffer amplifier attached!", this);
    warning->setObjectName("warning");
    warning->setStyleSheet("color: #b00020; font-weight: bold;");
    layout->addWidget(warning);

    auto* buttons = new QHBoxLayout;
    auto* onePulse = Button("1-pulse", "button103", this);
    auto* fivePulse = Button("5-pulse", "button104", this);
    auto* measure = Button("Meas", "button105", this);
    auto* close = Button("Close", "IDCANCEL", this);
    buttons->addWidget(onePulse);
    buttons->addWidget(fivePulse);
    buttons->addWidget(measure);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(&blaster_.Fields(), &FieldSet::changed, this, &TBlast::ShowField);
    for (const auto& [id, text] : blaster_.Fields().All())
        ShowField(id, QString::fromStdString(text));

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

void TBlast::ShowField(int id, const QString& text) {
    if (id == Blaster::kIntensityField) intensity_->setText(text);
    if (id == Blaster::kFirstValueField) first_->setText(text);
    if (id == Blaster::kSecondValueField) second_->setText(text);
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

void ShowBlastDialog(QWidget* owner) {
    if (BufferAmplifierPresent()) {
        Prompt::Message(owner, "Buffer Amplifer detected, Blasting not permitted", "Violation",
                        Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return;
    }
    QPointer<TBlast> dialog(new TBlast(owner));
    dialog->Open();
    if (!dialog) return;
    Prompt::Exec(*dialog);
    if (!dialog) return;
    dialog->Close();
    delete dialog.data();
}
