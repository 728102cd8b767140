#pragma once
// Wires a test's program state: its record parts and log installed, and its
// core records the ones Config(), Settings() ... reach in the test.
#include "TestRecords.h"
#include "records/ProgramState.h"

inline void UseProgram(ProgramState& program) {
    program.Install();
    UseCoreRecords(&program.Core());
}
