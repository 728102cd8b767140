#include "measure/TConfigSheet.h"

#include <QPushButton>

#include "measure/AutoSet.h"
#include "records/LogFile.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "measure/TConfigPages.h"
#include "records/ProgramState.h"

namespace {
std::function<void(int)>& HelpHandler() {
    static std::function<void(int)> handler;
    return handler;
}

}  // namespace

TConfigSheet::TConfigSheet(ProgramState& program, QWidget* parent)
    : PropertySheet("CONFIGURATION", "Measurment Configuration",
                    PropertySheet::kApply | PropertySheet::kHelp, parent),
      program_(program) {
    auto* current = new TCurrent(program, this);
    AddPage(current, "Current");
    AddPage(new TDelays(program, this), "Delay/Averaging");
    AddPage(new Scatter(program, this), "Scattering");
    onHelp = [](int context) {
        if (HelpHandler()) HelpHandler()(context);
    };
    // A search owns the settings until it ends: OK and Apply wait for it.
    QPushButton* ok = Button("IDOK");
    QPushButton* apply = Button("IDAPPLY");
    connect(current, &TCurrent::searchingChanged, this, [ok, apply](bool searching) {
        ok->setEnabled(!searching);
        apply->setEnabled(!searching);
    });
}

bool TConfigSheet::Searching() const {
    return static_cast<const TCurrent*>(PropertySheet::Page(0))->Searching();
}

ConfigPage* TConfigSheet::Page(int index) const {
    return static_cast<ConfigPage*>(PropertySheet::Page(index));
}

bool TConfigSheet::ApplyPages() {
    if (Searching()) return false;
    return PropertySheet::ApplyPages();
}

void TConfigSheet::done(int result) {
    if (Searching()) {
        program_.State().cancelRequested = true;
        return;
    }
    QDialog::done(result);
}

void TConfigSheet::SetHelpHandler(std::function<void(int)> handler) {
    HelpHandler() = std::move(handler);
}

std::string ConfigurationLogBlock(const MeasurementSettings& settings) {
    std::string block = "*** Configuration ***\r\n";
    block += Printf("I-meas:\t%.3lg %s %s\r\n",
                    settings.Current * AutoSet::DisplayFactor(settings.Iunits),
                    AutoSet::UnitFileText(settings.Iunits), settings.AC ? "AC" : "DC");
    block += Printf("Scat.Factor:\t%.2lf\r\n", settings.ScatFactor);
    block += Printf("Delay: sec\t%d\r\n", settings.Delay);
    block += Printf("Integration: sec\t%d\r\n", settings.Integrations);
    block += Printf("Cycles:\t%d\r\n", settings.Cycles);
    return block;
}

void ConfigurationCommand(ProgramState& program, QWidget* owner) {
    TConfigSheet sheet(program, owner);
    if (Prompt::Exec(sheet) == Prompt::IDOK && program.Log().IsOpen())
        program.Log().Append(ConfigurationLogBlock(program.Settings()));
}
