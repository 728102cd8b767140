#pragma once
// Wires a test's program state: its core records are the ones Config(),
// Settings() ... reach in the test, and its record parts and log the ones
// Scan(), Style(), PrinterPage(), Archive(), Sets(), Links() and Log() reach.
// These names exist only in the tests; asking for them with no state wired
// fails the test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "TestRecords.h"
#include "records/ProgramState.h"

inline void UseProgram(ProgramState& program) {
    WireProgramState(&program);
    UseCoreRecords(&program.Core());
}

inline ProgramState& TestProgramState() {
    ProgramState* program = WiredProgramState();
    if (!program) {
        ADD_FAILURE() << "no program state was wired for this test (UseProgram)";
        std::abort();
    }
    return *program;
}

inline ScanSettings& Scan() {
    return TestProgramState().Records().scan;
}
inline GraphStyle& Style() {
    return TestProgramState().Records().style;
}
inline PageSetup& PrinterPage() {
    return TestProgramState().Records().page;
}
inline ArchiveSettings& Archive() {
    return TestProgramState().Records().archive;
}
inline CurrentSets& Sets() {
    return TestProgramState().Records().sets;
}
inline RecordsLinks& Links() {
    return TestProgramState().Records().links;
}
inline LogFile& Log() {
    return TestProgramState().Log();
}
