#pragma once
// The result computations: they take the raw values the measurements store in
// MeasurementResults, derive the rest, fill the results panel's six fields
// and write the result lines to the log file.
#include "core/FieldSet.h"

class ProgramState;

// The results panel's model: fields 1 to 6 (the panel's six value texts).
FieldSet& ResultsFields();

void ResultsClear(ProgramState& program);
void ResultsUpdateResistivity(ProgramState& program);
void ResultsUpdateHall(ProgramState& program);
void ScatteringChanged(ProgramState& program);

// Thickness changed (Geometry page): the bulk values of the results shown are
// computed again (or emptied for a thickness of 0), with their log lines.
void ResultsThicknessChanged(ProgramState& program);
// The panel's example texts (fields 1, 3, 4, 5), shown until the first clear.
void ResultsShowExamples();
