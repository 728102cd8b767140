#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <set>

#include "app/MainFrame.h"
#include "records/ProgramState.h"
#include "app/MenuTable.h"
#include "core/MeasurementState.h"
#include "core/RunLock.h"
#include "core/StatusFields.h"
#include "TestProgram.h"

namespace {
std::map<int, std::string> Paths(bool scan) {
    std::map<int, std::string> out;
    for (const auto& c : FlattenMenu(BuildMenu(scan))) {
        EXPECT_TRUE(out.emplace(c.id, c.path).second) << "duplicate id " << c.id;
    }
    return out;
}
}  // namespace

// The simple menu offers none of the scan program's commands (the ids of
// both menus are unique: Paths checks it).
TEST(Menu, SimpleMenuHasNoScanCommands) {
    const auto paths = Paths(false);
    for (int scanOnly : {63, 61, 67, 64, 71, 72, 74, 75, 41, 55, 54, 24361, 120, 125})
        EXPECT_EQ(paths.count(scanOnly), 0u) << scanOnly;
}

TEST(Menu, AcceleratorsReachMenuCommands) {
    for (bool scan : {false, true}) {
        const auto paths = Paths(scan);
        std::set<std::string> keys;
        for (const auto& a : BuildAccelerators(scan)) {
            EXPECT_TRUE(paths.count(a.id)) << a.id;
            EXPECT_TRUE(keys.insert(a.key).second) << a.key;
        }
        // The scan menu adds Shift+E for the fitted activation energy.
        EXPECT_EQ(keys.size(), scan ? 15u : 5u);
    }
}

TEST(MainFrame, CaptionsByKindAndDemo) {
    EXPECT_EQ(MainFrame::CaptionFor(ControllerKind::None, false), "RT44WIN Hall System");
    EXPECT_EQ(MainFrame::CaptionFor(ControllerKind::LN2, false), "RT40WIN Hall System");
    EXPECT_EQ(MainFrame::CaptionFor(ControllerKind::ITC5, true), "RT48WIN Hall System DEMO");
    EXPECT_EQ(MainFrame::CaptionFor(ControllerKind::HotStage, false), "RT49WIN Hall System");
}

TEST(MainFrame, CommandsWithoutHandlerStayDisabledAndBusyDisablesOthers) {
    ProgramState program;
    UseProgram(program);
    MainFrame frame(program, ControllerKind::None, false);
    EXPECT_EQ(frame.windowTitle().toStdString(), "RT44WIN");
    frame.SetUpClient(ControllerKind::None, true);
    EXPECT_EQ(frame.windowTitle().toStdString(), "RT44WIN Hall System DEMO");
    EXPECT_FALSE(frame.IsEnabled(52));
    EXPECT_FALSE(frame.Command(52));
    int runs = 0;
    frame.Register(52, {[&] { ++runs; }, false, {}, {}});
    auto* hall = frame.findChild<QAction*>("command52");
    ASSERT_NE(hall, nullptr);
    EXPECT_TRUE(hall->isEnabled());
    EXPECT_EQ(hall->shortcut().toString().toStdString(), "F8");
    auto* abort = frame.findChild<QAction*>("button250");
    ASSERT_NE(abort, nullptr);
    EXPECT_FALSE(abort->isEnabled());
    RunLock run = RunLock::TryAcquire(program.Core());
    EXPECT_FALSE(hall->isEnabled());
    EXPECT_TRUE(abort->isEnabled());
    EXPECT_FALSE(frame.Command(52));
    abort->trigger();
    EXPECT_TRUE(State().cancelRequested);
    run.Release();
    State().cancelRequested = false;
    EXPECT_FALSE(abort->isEnabled());
    EXPECT_TRUE(frame.Command(52));
    EXPECT_EQ(runs, 1);
}

TEST(MainFrame, ScanToolButtonsAreExclusive) {
    ProgramState program;
    UseProgram(program);
    MainFrame frame(program, ControllerKind::LN2, false);
    EXPECT_EQ(frame.GraphMode(), 0);
    EXPECT_TRUE(frame.IsChecked(255));
    frame.Command(252);
    EXPECT_EQ(frame.GraphMode(), 2);
    EXPECT_TRUE(frame.IsChecked(252));
    EXPECT_FALSE(frame.IsChecked(255));
    frame.Command(253);  // "Set Value" has no button but sets its mode
    EXPECT_EQ(frame.GraphMode(), 3);
    MainFrame simple(program, ControllerKind::None, false);
    EXPECT_EQ(simple.findChild<QAction*>("button251"), nullptr);
}

TEST(MainFrame, OnlyScanFilesAreAcceptedOnDrop) {
    EXPECT_TRUE(IsScanFileName("/data/run1.TSC"));
    EXPECT_TRUE(IsScanFileName("run.tsc"));
    EXPECT_FALSE(IsScanFileName("run.txt"));
    EXPECT_FALSE(IsScanFileName("run"));
    EXPECT_FALSE(IsScanFileName(".tsc"));
}
