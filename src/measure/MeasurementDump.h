#pragma once
// The measurements' part of --dump: the results panel as displayed, the
// result record, the results-present flags, measurementStatus and every
// field of the given measurement runs.
#include <string>
#include <vector>

class MeasurementRun;
class ProgramState;

// "results: 1=<text> ... 6=<text>", "record: sheetResistance=<v> ..."
// ("%.9g"), "flags: <n>", "measurementStatus: <n>", then one
// "window: <RESOURCE> <id>=<text> ..." line per run (null entries skipped).
void DumpMeasurements(ProgramState& program, std::vector<std::string>& lines,
                      const std::vector<const MeasurementRun*>& runs);
