#pragma once
// The records' part of the automation interface: the --dump lines and the
// --set NAME=VALUE assignments.
#include <string>
#include <vector>

class ProgramState;

// Appends "specimen: NAME=VALUE" per specimen field, "settings: NAME=VALUE"
// per live setting and scan value, "style: NAME=VALUE" per style value,
// "sets: settings=NAME style=NAME", and "log: <path>" or "log: none".
// Numbers are written as "%.9g".
void DumpRecords(ProgramState& program, std::vector<std::string>& lines);

// Sets one live setting or specimen field by its record name (case ignored).
// False with a reason when the name is unknown or the value does not fit.
bool ApplySetting(ProgramState& program, const std::string& name, const std::string& value,
                  std::string& error);

// The names ApplySetting takes, in dump order.
std::vector<std::string> SettingNames(ProgramState& program);
