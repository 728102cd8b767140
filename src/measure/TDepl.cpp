#include "measure/TDepl.h"

#include "records/ProgramState.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "views/FieldViews.h"
#include "electronics/HallReadings.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "measure/ResultComputations.h"
#include "measure/Results.h"
#include "core/SpecimenData.h"
#include "core/xmsg.h"

namespace {
constexpr int kSurface = 110, kInner = 111, kSurfaceWidth = 112, kInnerWidth = 113, kActive = 114,
              kBulkR = 115, kBulkN = 116;
constexpr int kHelpContext = 5;

std::function<void(int)>& HelpHandler() {
    static std::function<void(int)> handler;
    return handler;
}
}  // namespace

TDepl::TDepl(ProgramState& program, QWidget* parent, double kelvin)
    : QDialog(parent), program_(program), fields_(this), kelvin_(kelvin) {
    setObjectName("DEPLETION");
    setWindowTitle("Depletion Correction");
    fields_.Set(kSurface, Printf("%.2f", program_.Settings().eVsurface));
    fields_.Set(kInner, Printf("%.2f", program_.Settings().eVinner));
    for (int id = kSurfaceWidth; id <= kBulkN; ++id) fields_.Set(id, "");

    auto* layout = new QVBoxLayout(this);
    auto* potentials = new QGroupBox("Interface Potentials", this);
    auto* grid = new QGridLayout(potentials);
    const struct {
        const char* label;
        int field;
        const char* unit;
    } rows[] = {{"Surface", kSurface, "eV"},          {"Inner", kInner, "eV"},
                {"Wd", kSurfaceWidth, "\u00b5m"},     {"Wd", kInnerWidth, "\u00b5m"},
                {"Active Thick", kActive, "\u00b5m"}, {"Bulk-R", kBulkR, "ohm-cm"},
                {"Bulk-N", kBulkN, "/cm\u00b3"}};
    int row = 0;
    for (const auto& entry : rows) {
        grid->addWidget(StaticText(QString::fromUtf8(entry.label), potentials), row, 0);
        if (entry.field == kSurface || entry.field == kInner) {
            grid->addWidget(FieldEdit(fields_, entry.field, potentials), row, 1);
        } else {
            grid->addWidget(
                FieldLabel(fields_, entry.field, potentials, Qt::AlignRight | Qt::AlignVCenter),
                row, 1);
        }
        grid->addWidget(StaticText(QString::fromUtf8(entry.unit), potentials), row, 2);
        ++row;
    }
    layout->addWidget(potentials);

    auto* buttons = new QDialogButtonBox(this);
    auto* calculate = PushButton("Calculate", 101, this);
    auto* apply = PushButton("Apply", "IDOK", this);
    auto* cancel = PushButton("Cancel", "IDCANCEL", this);
    auto* help = PushButton("Help", "IDHELP", this);
    buttons->addButton(calculate, QDialogButtonBox::ActionRole);
    buttons->addButton(apply, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    buttons->addButton(help, QDialogButtonBox::HelpRole);
    layout->addWidget(buttons);
    connect(calculate, &QPushButton::clicked, this, &TDepl::Calculate);
    connect(apply, &QPushButton::clicked, this, &TDepl::accept);
    connect(cancel, &QPushButton::clicked, this, &TDepl::reject);
    connect(help, &QPushButton::clicked, this, [] {
        if (HelpHandler()) HelpHandler()(kHelpContext);
    });
}

void TDepl::Calculate() {
    MeasurementSettings& settings = program_.Settings();
    settings.eVsurface = ParseDecimal(fields_.Get(kSurface));
    settings.eVinner = ParseDecimal(fields_.Get(kInner));
    ResultMath::Depletion depletion;
    try {
        depletion = ResultMath::DepletionCorrection(
            settings.eVsurface, settings.eVinner, kelvin_, program_.Specimen().MaterialConstant,
            program_.Specimen().Thickness, program_.Results().sheetConcentration);
    } catch (const xmath& error) {
        for (int id = kSurfaceWidth; id <= kBulkN; ++id) fields_.Set(id, "");
        const bool library = error.why() == ResultMath::kSqrtDomain;
        Prompt::Message(this, error.why(),
                        library ? "Math Library Error" : "Exception:", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
        return;
    }
    fields_.Set(kSurfaceWidth, Printf("%.3g", depletion.surfaceWidth));
    fields_.Set(kInnerWidth, Printf("%.3g", depletion.innerWidth));
    fields_.Set(kActive, Printf("%.3g", depletion.activeThickness));
    fields_.Set(kBulkN, Printf("%.2e", depletion.concentration));
    if (program_.Results().flags & 1)
        fields_.Set(kBulkR, Printf("%.3g", program_.Results().sheetResistance * 0.0001 *
                                               depletion.activeThickness));
}

void TDepl::accept() {
    if (program_.Results().flags & 1) ResultsFields().Set(2, fields_.Get(kBulkR));
    ResultsFields().Set(6, fields_.Get(kBulkN));
    QDialog::accept();
}

void TDepl::SetHelpHandler(std::function<void(int)> handler) {
    HelpHandler() = std::move(handler);
}

bool DepletionEnabled(ProgramState& program) {
    return program.Results().flags == 3 && program.Specimen().Thickness > 0.0;
}

void DepletionCommand(ProgramState& program, QWidget* parent, double kelvin) {
    TDepl dialog(program, parent, kelvin);
    Prompt::Exec(dialog);
}
