#include "RecordCommands.h"

#include "CurrentSets.h"
#include "DateTimeText.h"
#include "LogFile.h"
#include "Prompt.h"
#include "RegPathDialogs.h"
#include "SampleSheet.h"
#include "SettingsSets.h"

void OnSettingsOpen(QWidget* owner) {
    std::string name = Sets().currentSettingsName;
    TReadRegPath dialog(owner, "Settings", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    Sets().currentSettingsName = name;
    ReadSettingsSet(name);
}

void OnSettingsSave(QWidget*) {
    SaveSettingsSet(Sets().currentSettingsName);
}

void OnSettingsSaveAs(QWidget* owner) {
    // Save As writes a copy; Save keeps writing to the set that was opened.
    std::string name;
    TSaveRegPath dialog(owner, "Settings", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    SaveSettingsSet(name);
}

void OnStyleRead(QWidget* owner) {
    std::string name = Sets().currentStyleName;
    TReadRegPath dialog(owner, "Styles", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    Sets().currentStyleName = name;
    ReadStyleSet(name);
}

void OnStyleSave(QWidget*) {
    SaveStyleSet(Sets().currentStyleName);
}

void OnStyleSaveAs(QWidget* owner) {
    std::string name;
    TSaveRegPath dialog(owner, "Styles", name);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    SaveStyleSet(name);
}

bool OnSample(QWidget* owner) {
    TSampleSheet sheet(owner);
    if (Prompt::Exec(sheet) != Prompt::IDOK) return false;
    if (Log().IsOpen()) {
        FormatNow();
        Log().Append(LogHeaderBlock(DateText(), TimeText()));
    }
    return true;
}
