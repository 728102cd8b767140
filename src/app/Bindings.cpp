#include "Bindings.h"

#include "AboutSheet.h"
#include "Automation.h"
#include "FileRegistryStore.h"
#include "Help.h"
#include "MainFrame.h"
#include "MeasurementState.h"
#include "Printf.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "Simulation.h"
#include "Thall.h"

bool CheckRegistryFile(FileRegistryStore& file) {
    if (!file.Damaged()) return true;
    const std::string kept = file.SetAside();
    const std::string where = file.DamagedLine() > 0
                                  ? Printf("line %d: %s", file.DamagedLine(),
                                           file.DamageText().c_str())
                                  : file.DamageText();
    if (kept.empty()) {
        Prompt::Message(nullptr,
                        Printf("The settings file %s cannot be read (%s).\n"
                               "It could not be set aside; nothing was changed.",
                               file.Location().c_str(), where.c_str()),
                        "Settings File Error", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return false;
    }
    Prompt::Message(nullptr,
                    Printf("The settings file %s cannot be read (%s).\n"
                           "It was kept as %s; new settings start empty.",
                           file.Location().c_str(), where.c_str(), kept.c_str()),
                    "Settings File Error", Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return true;
}

bool InitRegistryCommand() { return false; }

void BindModules(MainFrame& frame, Thall& thall) {
    (void)thall;
    frame.Register(100, {[&frame] {
                             AboutSheet sheet(&frame);
                             Prompt::Exec(sheet);
                         },
                         false, {}, {}});
    frame.Register(102, {[] { Help::Open(0); }, true, {}, {}});
    frame.Register(101, {[] { Help::OpenUsingHelp(); }, true, {}, {}});
    frame.canClose = [] {
        // A run in progress keeps its windows: ask it to stop first.
        if (!State().busy) return true;
        State().cancelRequested = true;
        return false;
    };
    if (Config().simulate)
        Automation::AddDumpSection([](std::vector<std::string>& lines) {
            const std::string truth = Simulation::TruthLine();
            if (!truth.empty()) lines.push_back(truth);
        });
}

void ClientReady(MainFrame& frame, Thall& thall) {
    (void)frame;
    (void)thall;
}

bool ApplySetting(const std::string& assignment, std::string& error) {
    error = "unknown setting \"" + assignment.substr(0, assignment.find('=')) + "\"";
    return false;
}

void SaveOnClose(MainFrame& frame) { (void)frame; }
