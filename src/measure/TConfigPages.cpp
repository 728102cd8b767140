#include "measure/TConfigPages.h"
#include "records/ProgramState.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "measure/AutoSet.h"
#include "views/Controls.h"
#include "views/FieldViews.h"
#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "core/RunLock.h"
#include "measure/Results.h"
#include "core/RunConfig.h"
#include "core/SpecimenData.h"

namespace {
constexpr int kTargetField = 108;
constexpr int kDelayField = 11, kIntegrationField = 12, kCyclesField = 13;
constexpr int kScatterField = 103;

QLabel* ReadOut(FieldSet& fields, int id, QWidget* parent) {
    QLabel* label = FieldLabel(fields, id, parent, Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("00000") + 8);
    return label;
}
}  // namespace

ConfigPage::ConfigPage(ProgramState& program, const char* resourceName, int helpContext,
                       QWidget* parent)
    : PropertyPage(parent), program_(program), fields_(this), helpContext_(helpContext) {
    setObjectName(resourceName);
}

// ---------------------------------------------------------------- Current

TCurrent::TCurrent(ProgramState& program, QWidget* parent)
    : ConfigPage(program, "CURRENT", 7, parent) {
    const MeasurementSettings& settings = program_.Settings();
    Fields().Set(AutoSet::kCurrentField, AutoSet::CurrentText(settings.Current, settings.Iunits));
    Fields().Set(kTargetField,
                 Printf("%d", AutoSet::TargetFor(program_.Settings(), program_.Specimen().Shape)));
    for (int id : {AutoSet::kTryField, AutoSet::kVrField, AutoSet::kOutcomeField})
        Fields().Set(id, "");

    auto* layout = new QVBoxLayout(this);
    auto* currentBox = new QGroupBox("Current", this);
    auto* currentGrid = new QGridLayout(currentBox);
    QLineEdit* current = FieldEdit(Fields(), AutoSet::kCurrentField, currentBox);
    current->setMaximumWidth(current->fontMetrics().horizontalAdvance("0000000000") + 12);
    currentGrid->addWidget(current, 0, 0, 2, 1, Qt::AlignVCenter);
    auto* group = new QButtonGroup(this);
    for (int u = 0; u < 4; ++u) {
        units_[u] = RadioButton(QString::fromUtf8(AutoSet::UnitText(u)), 104 + u, currentBox);
        group->addButton(units_[u], u);
        currentGrid->addWidget(units_[u], u, 1);
        connect(units_[u], &QRadioButton::clicked, this, [this, u] { SelectUnit(u); });
    }
    const bool installed = program_.Config().bufferAmplifierInstalled;
    units_[2]->setEnabled(installed);
    units_[3]->setEnabled(installed);
    if (settings.Iunits >= 0 && settings.Iunits < 4) units_[settings.Iunits]->setChecked(true);
    auto* buffer = StaticText("Buffer Amplifier", currentBox);
    buffer->setEnabled(installed);
    currentGrid->addWidget(buffer, 2, 2, 2, 1, Qt::AlignVCenter);
    ac_ = CheckBox("AC", 101, currentBox);
    ac_->setChecked(settings.AC != 0);
    currentGrid->addWidget(ac_, 4, 0);
    currentGrid->setColumnStretch(3, 1);
    connect(ac_, &QCheckBox::clicked, this, [this] { ToggleAC(); });
    layout->addWidget(currentBox);

    auto* autoBox = new QGroupBox("Auto", this);
    auto* autoGrid = new QGridLayout(autoBox);
    autoGrid->addWidget(StaticText("Target Vr", autoBox), 0, 0);
    QLineEdit* target = FieldEdit(Fields(), kTargetField, autoBox);
    target->setMaximumWidth(target->fontMetrics().horizontalAdvance("0000000") + 12);
    autoGrid->addWidget(target, 0, 1);
    autoGrid->addWidget(StaticText("mV", autoBox), 0, 2);
    auto* set = PushButton("Set", 109, autoBox);
    set_ = set;
    autoGrid->addWidget(set, 0, 3);
    autoGrid->addWidget(StaticText("Try", autoBox), 1, 0);
    autoGrid->addWidget(ReadOut(Fields(), AutoSet::kTryField, autoBox), 1, 1);
    autoGrid->addWidget(StaticText("Vr =", autoBox), 2, 0);
    autoGrid->addWidget(ReadOut(Fields(), AutoSet::kVrField, autoBox), 2, 1);
    autoGrid->addWidget(StaticText("mV", autoBox), 2, 2);
    QLabel* outcome = ReadOut(Fields(), AutoSet::kOutcomeField, autoBox);
    outcome->setAlignment(Qt::AlignCenter);
    autoGrid->addWidget(outcome, 2, 3);
    autoGrid->setColumnStretch(4, 1);
    connect(set, &QPushButton::clicked, this, [this] { StartAutoSet(); });
    layout->addWidget(autoBox);
    layout->addStretch();

    // Nothing on the page may change the settings under a running search.
    connect(this, &TCurrent::searchingChanged, this, [this, current, target](bool searching) {
        const bool installed = program_.Config().bufferAmplifierInstalled;
        for (int u = 0; u < 4; ++u) units_[u]->setEnabled(!searching && (u < 2 || installed));
        for (QWidget* w : std::initializer_list<QWidget*>{ac_, set_, current, target})
            w->setEnabled(!searching);
    });
}

void TCurrent::TakeCurrentText() {
    MeasurementSettings& settings = program_.Settings();
    settings.Current =
        AutoSet::CurrentFromText(Fields().Get(AutoSet::kCurrentField), settings.Iunits);
}

void TCurrent::SelectUnit(int iunits) {
    if (iunits < 0 || iunits > 3) return;
    MeasurementSettings& settings = program_.Settings();
    TakeCurrentText();
    settings.Iunits = iunits;
    settings.bufferAmplifierMode = iunits > 1;
    Fields().Set(AutoSet::kCurrentField, AutoSet::CurrentText(settings.Current, iunits));
    if (!units_[iunits]->isChecked()) units_[iunits]->setChecked(true);
}

void TCurrent::ToggleAC() {
    MeasurementSettings& settings = program_.Settings();
    settings.AC = settings.AC ? 0 : 1;
    ac_->setChecked(settings.AC != 0);
}

bool TCurrent::Apply() {
    TakeCurrentText();
    const int limit = program_.Hall().LimitCurrent();
    if (limit != 0) {
        Prompt::Message(this, AutoSet::LimitMessage(limit), "Can't Set Current");
        return false;
    }
    return AutoSet::TakeTarget(program_, this, Fields().Get(kTargetField));
}

void TCurrent::StartAutoSet() {
    if (searching_ || !RunLock::CanStart(program_.Core())) return;
    if (!AutoSet::TakeTarget(program_, this, Fields().Get(kTargetField))) return;
    if (!AutoSet::PrepareStart(program_, Fields(), this)) return;
    // The search runs as the page's own measure command, after this click.
    searching_ = true;
    emit searchingChanged(true);
    QMetaObject::invokeMethod(this, &TCurrent::RunSearch, Qt::QueuedConnection);
}

void TCurrent::RunSearch() {
    searching_ = true;
    emit searchingChanged(true);
    AutoSet::Search(program_, Fields(), this);
    searching_ = false;
    emit searchingChanged(false);
}

// ---------------------------------------------------------------- Delays

int StepSeconds(int value, int direction, int top) {
    if (direction > 0) {
        if (value >= top) return value;
        return std::min(top, value + (value > 9 ? 5 : 1));
    }
    if (value <= 0) return value;
    return std::max(0, value - (value <= 10 ? 1 : 5));
}

int StepCycles(int value, int direction) {
    if (direction > 0) {
        if (value >= 100) return value;
        return value == 10 ? 100 : value + 1;
    }
    if (value <= 1) return value;
    return value == 100 ? 10 : value - 1;
}

TDelays::TDelays(ProgramState& program, QWidget* parent)
    : ConfigPage(program, "DELAYS", 8, parent) {
    Show();
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(14);
    const struct {
        const char* label;
        int field;
        int upDown;
        const char* unit;
        const char* note;
        void (TDelays::*step)(int);
    } rows[] = {
        {"Delay", kDelayField, 111, "sec.", "Wait before measure All, DC only",
         &TDelays::StepDelay},
        {"Integration", kIntegrationField, 112, "sec.", "Signal Averaging Hall only",
         &TDelays::StepIntegration},
        {"Cycles", kCyclesField, 113, "", "Results Averaging Hall only", &TDelays::StepCycles},
    };
    int row = 0;
    for (const auto& entry : rows) {
        grid->addWidget(StaticText(entry.label, this), row, 0);
        grid->addWidget(ReadOut(Fields(), entry.field, this), row, 1);
        auto step = entry.step;
        grid->addWidget(UpDown(entry.upDown, this, [this, step](int d) { (this->*step)(d); }), row,
                        2);
        grid->addWidget(StaticText(entry.unit, this), row, 3);
        grid->addWidget(StaticText(entry.note, this), row, 4);
        ++row;
    }
    grid->setColumnStretch(5, 1);
    layout->addLayout(grid);
    layout->addStretch();
}

void TDelays::Show() {
    const MeasurementSettings& settings = program_.Settings();
    Fields().Set(kDelayField, std::to_string(settings.Delay));
    Fields().Set(kIntegrationField, std::to_string(settings.Integrations));
    Fields().Set(kCyclesField, std::to_string(settings.Cycles));
}

void TDelays::StepDelay(int direction) {
    program_.Settings().Delay = StepSeconds(program_.Settings().Delay, direction, 100);
    Show();
}

void TDelays::StepIntegration(int direction) {
    program_.Settings().Integrations = StepSeconds(program_.Settings().Integrations, direction, 60);
    Show();
}

void TDelays::StepCycles(int direction) {
    program_.Settings().Cycles = ::StepCycles(program_.Settings().Cycles, direction);
    Show();
}

// ---------------------------------------------------------------- Scattering

namespace {
const struct {
    int id;
    const char* text;
    double value;
} kPresets[] = {{104, "Unadjusted", 1.00},       {105, "Lattice Acoustic", 1.18},
                {106, "Lattice Optical", 1.10},  {107, "Ionized Impurity", 1.93},
                {108, "Neutral Imputity", 1.00}, {109, "Carrier-Carrier", 1.93}};
}  // namespace

Scatter::Scatter(ProgramState& program, QWidget* parent)
    : ConfigPage(program, "SCATTERING", 9, parent) {
    Fields().Set(kScatterField, Printf("%.2lf", program_.Settings().ScatFactor));
    auto* layout = new QVBoxLayout(this);
    auto* factorRow = new QHBoxLayout;
    factorRow->addWidget(StaticText("Scattering Factor =", this));
    QLineEdit* factor = FieldEdit(Fields(), kScatterField, this);
    factor->setMaximumWidth(factor->fontMetrics().horizontalAdvance("00000000") + 12);
    factorRow->addWidget(factor);
    factorRow->addStretch();
    layout->addLayout(factorRow);
    auto* presets = new QGridLayout;
    int index = 0;
    for (const auto& preset : kPresets) {
        auto* button = PushButton(preset.text, preset.id, this);
        const int id = preset.id;
        connect(button, &QPushButton::clicked, this, [this, id] { Preset(id); });
        presets->addWidget(button, index / 2, index % 2);
        ++index;
    }
    layout->addLayout(presets);
    auto* note = StaticText("Mobility Correction, single measurements only", this);
    note->setObjectName("note");
    layout->addWidget(note);
    layout->addStretch();
}

double Scatter::PresetValue(int id) {
    for (const auto& preset : kPresets)
        if (preset.id == id) return preset.value;
    return 1.0;
}

void Scatter::Preset(int id) {
    Fields().Set(kScatterField, Printf("%.2lf", PresetValue(id)));
}

bool Scatter::Apply() {
    program_.Settings().ScatFactor = ParseDecimal(Fields().Get(kScatterField));
    ScatteringChanged(program_);
    return true;
}
