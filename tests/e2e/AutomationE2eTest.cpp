#include <gtest/gtest.h>

#include <QDir>

#include "ProgramRun.h"

// The automation against the whole program: control items that work a modal
// window in its own event loop, items that wait for a window to open, and
// the refusals of what the program cannot run with.
namespace {
class AutomationE2eTest : public ::testing::Test {
  protected:
    void SetUp() override { run_.InitRegistry(); }
    ProgramRun run_;
};

TEST_F(AutomationE2eTest, AControlItemWaitsForItsWindowOrIsReportedNotAvailable) {
    // Issued at once into the Hall run, the item waits for the first magnet
    // wait box and finds it (its field 101 is a read-out, not a button).
    ProgramResult r =
        run_.Run({"--time-scale", "0.01", "--simulate", "--run", "52,WAIT.101@0", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_NE(r.errors.find("run: WAIT.101 is not available: the control is not a button"),
              std::string::npos)
        << r.errors;
    EXPECT_EQ(r.First("status"), "Ready | ");

    // A greyed control is waited for: "Stop this cycle" comes alive once the
    // run has started, is pressed, and the run ends after its first cycle.
    r = run_.Run({"--time-scale", "0.01", "--simulate", "--set", "Cycles=3,Integrations=1", "--run",
                  "52,HALL.39@0", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
    std::string hall;
    for (const auto& line : r.All("window"))
        if (line.rfind("HALL ", 0) == 0) hall = line;
    EXPECT_NE(hall.find(" 40=1 "), std::string::npos) << hall;
    EXPECT_EQ(hall.find("\\n2 "), std::string::npos) << hall;

    // A sheet's field typed into, then the sheet's own checks on OK.
    r = run_.Run({"--time-scale", "0.01", "--simulate", "--run", "42,CURRENT.103=250", "--answer",
                  "OK", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    bool taken = false;
    for (const auto& line : r.All("settings")) taken = taken || line == "Current=250";
    EXPECT_TRUE(taken);
}

TEST_F(AutomationE2eTest, ADumpItemShowsTheWindowThatIsOpen) {
    // Carried into the LN2 panel's loop: the panel's fields while it is up.
    ProgramResult r = run_.Run({"/n", "--time-scale", "0.01", "--simulate", "--run",
                                "40,LN2PANEL.101=150,DUMP,LN2PANEL.1", "--answer", "OK", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    bool panelShown = false;
    for (const auto& line : r.All("window"))
        panelShown = panelShown || line.rfind("LN2PANEL ", 0) == 0;
    EXPECT_TRUE(panelShown);
    EXPECT_EQ(r.All("caption").size(), 2u);  // the item's dump and the closing one

    // Right after the item that closes its window, a dump runs after it
    // rather than being lost with the window's loop.
    r = run_.Run(
        {"--simulate", "--set", "Current=250", "--run", "11,READREG.101=default,READREG.1,DUMP"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    ASSERT_EQ(r.All("caption").size(), 1u) << r.errors;
    bool read = false;
    for (const auto& line : r.All("settings")) read = read || line == "Current=100";
    EXPECT_TRUE(read);  // the default set was read before the dump
}

TEST_F(AutomationE2eTest, WhatTheProgramCannotRunWithIsRefusedWithItsRange) {
    ProgramResult r = run_.Run({"--simulate", "--set", "Current=50000", "--dump"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.errors.find("from 0.1 to 19900"), std::string::npos) << r.errors;
    // A date/time text the program cannot read is said, not silently ignored.
    r = run_.Run({"--datetime", "24h;0;dmy", "--dump"});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_NE(r.errors.find("cannot be read"), std::string::npos) << r.errors;
    r = run_.Run({"--datetime", "iTime=1;iDate=2", "--dump"});
    EXPECT_EQ(r.errors.find("cannot be read"), std::string::npos) << r.errors;
}
}  // namespace
