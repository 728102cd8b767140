#pragma once
// The core records a test reads and writes with Config(), Settings(),
// Specimen(), State(), Results() and Status(). These names exist only in the
// tests: the program hands its records to whatever uses them.
//
// Before each test the runner makes a fresh set; a test that works with a
// program state wires that state's records instead (UseProgram in
// TestProgram.h, or UseCoreRecords). Outside a test there are none, and
// asking for them fails the test that is running.
#include "core/CoreRecords.h"

// The records the running test wired, else the runner's fresh set.
CoreRecords& TestCore();
// Makes `records` the ones TestCore() returns until the test ends (nullptr:
// the runner's fresh set again). The caller keeps them alive meanwhile.
void UseCoreRecords(CoreRecords* records);

class ProgramState;
// The program state the running test wired (TestProgram.h); none: nullptr.
ProgramState* WiredProgramState();
void WireProgramState(ProgramState* program);

inline RunConfig& Config() {
    return TestCore().config;
}
inline MeasurementSettings& Settings() {
    return TestCore().settings;
}
inline SpecimenData& Specimen() {
    return TestCore().specimen;
}
inline MeasurementState& State() {
    return TestCore().state;
}
inline MeasurementResults& Results() {
    return TestCore().results;
}
inline StatusFields& Status() {
    return TestCore().status;
}
