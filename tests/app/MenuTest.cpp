#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <set>

#include "MainFrame.h"
#include "ProgramState.h"
#include "MenuTable.h"
#include "MeasurementState.h"
#include "RunLock.h"
#include "StatusFields.h"

namespace {
std::map<int, std::string> Paths(bool scan) {
    std::map<int, std::string> out;
    for (const auto& c : FlattenMenu(BuildMenu(scan))) {
        EXPECT_TRUE(out.emplace(c.id, c.path).second) << "duplicate id " << c.id;
    }
    return out;
}
}  // namespace

TEST(Menu, SimpleMenuHasItsEntries) {
    const auto paths = Paths(false);
    const std::map<int, std::string> expected = {{62, "File > Sample..."},
                                                 {69, "File > Print Results"},
                                                 {68, "File > Printer..."},
                                                 {15, "File > Archive > Add Current Results"},
                                                 {16, "File > Archive > Set Path..."},
                                                 {19, "File > Archive > View Records..."},
                                                 {42, "Configure > Measurement..."},
                                                 {40, "Configure > Temperature..."},
                                                 {43, "Configure > Blast Contacts..."},
                                                 {11, "Configure > Settings > Open..."},
                                                 {13, "Configure > Settings > Save As..."},
                                                 {56, "Measure > Check Contacts"},
                                                 {57, "Measure > IV Curve"},
                                                 {51, "Measure > Resistivity"},
                                                 {52, "Measure > Hall"},
                                                 {53, "Measure > Depletion..."},
                                                 {102, "Help > Hall System"},
                                                 {101, "Help > Using Help"},
                                                 {100, "Help > About RT44Win"},
                                                 {103, "Help > Engineering"}};
    for (const auto& [id, path] : expected) EXPECT_EQ(paths.at(id), path);
    for (int scanOnly : {63, 61, 67, 64, 71, 72, 74, 75, 41, 55, 54, 24361, 120, 125})
        EXPECT_EQ(paths.count(scanOnly), 0u) << scanOnly;
    EXPECT_EQ(paths.size(), 23u);
}

TEST(Menu, ScanMenuHasItsEntries) {
    const auto paths = Paths(true);
    const std::map<int, std::string> expected = {{63, "File > Save As..."},
                                                 {61, "File > Open Tscan..."},
                                                 {67, "File > Sample Info..."},
                                                 {69, "File > Print > Current Results"},
                                                 {64, "File > Print > Graph"},
                                                 {68, "File > Print > Page Setup..."},
                                                 {15, "File > Archive > Add Current Result"},
                                                 {71, "Graph > Set Scale..."},
                                                 {74, "Graph > Inverse T"},
                                                 {75, "Graph > Conc.+ Mobility"},
                                                 {76, "Graph > Res.+ Hall Coef"},
                                                 {85, "Graph > Clipboard > Bitmap"},
                                                 {86, "Graph > Clipboard > Metafile"},
                                                 {81, "Graph > Features > Grid Lines"},
                                                 {80, "Graph > Features > Change Title"},
                                                 {82, "Graph > Features > Delete Comments"},
                                                 {120, "Graph > Style > Data Points..."},
                                                 {121, "Graph > Style > Frame Color..."},
                                                 {122, "Graph > Style > Font..."},
                                                 {123, "Graph > Style > Read..."},
                                                 {124, "Graph > Style > Save"},
                                                 {125, "Graph > Style > Save As..."},
                                                 {41, "Configure > PID Factors..."},
                                                 {55, "Measure > Activation"},
                                                 {54, "Measure > Temperature Scan"},
                                                 {24361, "Window > Cascade"},
                                                 {24362, "Window > Tile Vertical"},
                                                 {24363, "Window > Tile Horizontal"},
                                                 {24364, "Window > Arrange Icons"},
                                                 {100, "Help > About"}};
    for (const auto& [id, path] : expected) EXPECT_EQ(paths.at(id), path);
    // The sixth entry of the File menu is the Print submenu.
    const auto menu = BuildMenu(true);
    ASSERT_GE(menu[0].children.size(), 6u);
    EXPECT_EQ(menu[0].children[5].text, "Print");
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
    program.Install();
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
    RunLock run = RunLock::TryAcquire();
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
    program.Install();
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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
