#pragma once
// The temperature module's commands and dump lines, as the main frame binds
// them: Configure > "Temperature..." opens the kind's panel, "PID Factors..."
// the PID table editor.
#include <string>
#include <vector>

class QWidget;
class TTemp;

// The kind's panel, modal: LN2PANEL, ITC5PANEL, HOTPANEL or OPENTEMP.
void ShowTemperaturePanel(QWidget* owner, TTemp& controller);
// The PID editor exists for the LN2 and ITC5 controllers only.
bool PidEditorEnabled(const TTemp& controller);
void ShowPidEditor(QWidget* owner, TTemp& controller);

// "temperature: kind=<n> present=<K> set=<K> text=<text> min=<K> max=<K>",
// one "pid: T P I D M1 M2 M3" line per table entry, and the open panel's
// "window:" line.
void DumpTemperature(std::vector<std::string>& lines, TTemp& controller);
