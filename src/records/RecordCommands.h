#pragma once
// The menu commands of this module, called by the main frame with the window
// that owns their dialogs.
class ProgramState;
class QWidget;

// Configure > Settings: "Open..." (11), "Save" (12), "Save As..." (13).
void OnSettingsOpen(ProgramState& program, QWidget* owner);
void OnSettingsSave(ProgramState& program, QWidget* owner);
void OnSettingsSaveAs(ProgramState& program, QWidget* owner);
// Graph > Style: "Read..." (123), "Save" (124), "Save As..." (125).
void OnStyleRead(ProgramState& program, QWidget* owner);
void OnStyleSave(ProgramState& program, QWidget* owner);
void OnStyleSaveAs(ProgramState& program, QWidget* owner);
// File > "Sample..." (62). True when the sheet closed with OK.
bool OnSample(ProgramState& program, QWidget* owner);
