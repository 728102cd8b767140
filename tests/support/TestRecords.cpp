#include "TestRecords.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
CoreRecords* g_wired = nullptr;
ProgramState* g_program = nullptr;
std::unique_ptr<CoreRecords> g_fresh;

// Every test starts with a fresh set of records and nothing wired; what a
// test wired is forgotten when it ends, so no test reaches another's state.
class FreshRecords : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        g_wired = nullptr;
        g_program = nullptr;
        g_fresh = std::make_unique<CoreRecords>();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        g_wired = nullptr;
        g_program = nullptr;
    }
};

const bool g_registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRecords);
    return true;
}();
}  // namespace

CoreRecords& TestCore() {
    if (g_wired) return *g_wired;
    if (!g_fresh) {
        ADD_FAILURE() << "the core records were asked for outside a test";
        g_fresh = std::make_unique<CoreRecords>();
    }
    return *g_fresh;
}

ProgramState* WiredProgramState() {
    return g_program;
}

void WireProgramState(ProgramState* program) {
    g_program = program;
}

void UseCoreRecords(CoreRecords* records) {
    (void)g_registered;
    g_wired = records;
}
