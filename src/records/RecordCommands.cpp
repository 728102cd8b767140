#include "records/RecordCommands.h"

#include "records/ProgramState.h"

#include "records/CurrentSets.h"
#include "records/DateTimeText.h"
#include "records/LogFile.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "records/RegPathDialogs.h"
#include "records/SampleSheet.h"
#include "records/SettingsSets.h"

namespace {
// A set that was not written is not kept: the operator must know before he
// relies on it at the next start.
void TellNotSaved(QWidget* owner, const RegistryStore& store, const std::string& branch,
                  const std::string& name) {
    Prompt::Message(owner,
                    "Can't write file:\n" + store.Location() + "\n(" + branch + " set \"" + name +
                        "\" not saved)",
                    "File Error", Prompt::Buttons::Ok, Prompt::Icon::Stop);
}
}  // namespace

void OnSettingsOpen(ProgramState& program, QWidget* owner) {
    std::string name = program.Records().sets.currentSettingsName;
    TReadRegPath dialog(owner, "Settings", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    program.Records().sets.currentSettingsName = name;
    ReadSettingsSet(program, name);
}

void OnSettingsSave(ProgramState& program, QWidget* owner) {
    const std::string& name = program.Records().sets.currentSettingsName;
    RegistryStore& store = Registry();
    if (!SaveSettingsSet(program, store, name)) TellNotSaved(owner, store, "Settings", name);
}

void OnSettingsSaveAs(ProgramState& program, QWidget* owner) {
    // Save As writes a copy; Save keeps writing to the set that was opened.
    std::string name;
    TSaveRegPath dialog(owner, "Settings", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    RegistryStore& store = Registry();
    if (!SaveSettingsSet(program, store, name)) TellNotSaved(owner, store, "Settings", name);
}

void OnStyleRead(ProgramState& program, QWidget* owner) {
    std::string name = program.Records().sets.currentStyleName;
    TReadRegPath dialog(owner, "Styles", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    program.Records().sets.currentStyleName = name;
    ReadStyleSet(program, name);
}

void OnStyleSave(ProgramState& program, QWidget* owner) {
    const std::string& name = program.Records().sets.currentStyleName;
    RegistryStore& store = Registry();
    if (!SaveStyleSet(program, store, name)) TellNotSaved(owner, store, "Styles", name);
}

void OnStyleSaveAs(ProgramState& program, QWidget* owner) {
    std::string name;
    TSaveRegPath dialog(owner, "Styles", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    RegistryStore& store = Registry();
    if (!SaveStyleSet(program, store, name)) TellNotSaved(owner, store, "Styles", name);
}

bool OnSample(ProgramState& program, QWidget* owner) {
    TSampleSheet sheet(program, owner);
    if (Prompt::Exec(sheet) != Prompt::IDOK) return false;
    if (program.Log().IsOpen()) {
        FormatNow();
        program.Log().Append(LogHeaderBlock(program.Specimen(), program.Settings(),
                                            ControllerText(program.Records()), DateText(),
                                            TimeText()));
    }
    return true;
}
