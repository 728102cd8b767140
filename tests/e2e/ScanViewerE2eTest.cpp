#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "ProgramRun.h"

namespace {
// A scan of a known activation energy: 0.198 eV in the resistivity, the
// concentration freezing out with it.
std::string ArrheniusScan(int points, bool withHall) {
    std::string text = "W-17\r\nB3\r\nSi:B wafer\r\nSi\r\n525\r\n";
    for (int i = 0; i < points; ++i) {
        const double t = 100 + i * 14.0;
        const double d = 0.198 / 1.9842387971388985e-4 / t;
        char line[128];
        std::snprintf(line, sizeof line, "%5.1f %.2e %+.2e %+.2e %.2e\r\n", t,
                      1e-4 * std::pow(10, d), withHall ? -2e-3 : 0.0,
                      withHall ? -1e20 * std::pow(10, -d) : 0.0, withHall ? 3000.0 - 100 * i : 0.0);
        text += line;
    }
    return text;
}

std::vector<std::string> Graphs(const ProgramResult& r) {
    return r.All("graph");
}

// The dump's "menu: <id> <path> enabled=.. checked=.." line of one command.
std::string Menu(const ProgramResult& r, int id) {
    const std::string prefix = std::to_string(id) + " ";
    for (const auto& line : r.All("menu"))
        if (line.rfind(prefix, 0) == 0) return line;
    return {};
}
}  // namespace

TEST(ScanViewer, OpenedFileTakesCommandsByTheirIds) {
    ProgramRun run;
    run.InitRegistry();
    const std::string file = run.WriteFile("run.tsc", ArrheniusScan(15, true));
    auto r = run.Run({"/n", "/d", "--open", file, "--run", "74,87,81,76", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const auto graphs = Graphs(r);
    ASSERT_EQ(graphs.size(), 2u);  // the live window and the viewer
    EXPECT_NE(graphs[0].find("title=\"Temperature Scan\""), std::string::npos);
    auto pairs = ProgramResult::Pairs(graphs[1]);
    EXPECT_EQ(pairs["view"], "1");
    EXPECT_EQ(pairs["inverse"], "1");
    EXPECT_EQ(pairs["grid"], "0");
    EXPECT_EQ(pairs["points"], "15");
    EXPECT_NE(graphs[1].find("fit=\"+0.198 eV \xC2\xB1 0.000 (15 points)\""), std::string::npos);
    EXPECT_NE(graphs[1].find("title=\"run.tsc\""), std::string::npos);
    EXPECT_EQ(r.All("point").size(), 15u);
    EXPECT_EQ(r.All("point").front(),
              "100.0 9.52e+05 -2.00e-03 -1.05e+10 3.00e+03 title=\"run.tsc\"");
    EXPECT_NE(Menu(r, 76).find("checked=1"), std::string::npos);
    EXPECT_NE(Menu(r, 74).find("checked=1"), std::string::npos);
}

TEST(ScanViewer, ResistivityOnlyFileAndBadFiles) {
    ProgramRun run;
    run.InitRegistry();
    const std::string file = run.WriteFile("res.tsc", ArrheniusScan(5, false));
    const std::string empty = run.WriteFile("empty.tsc", "a\r\nb\r\nc\r\nd\r\n0\r\n");
    auto r = run.Run({"/n", "/d", "--open", file, "--open", empty, "--open",
                      run.Folder() + "/missing.tsc", "--run", "75,72", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const auto graphs = Graphs(r);
    ASSERT_EQ(graphs.size(), 2u);
    auto pairs = ProgramResult::Pairs(graphs[1]);
    EXPECT_EQ(pairs["view"], "3");  // 75 is refused for a resistivity-only scan
    EXPECT_EQ(pairs["right"], "none");
    EXPECT_NE(Menu(r, 75).find("enabled=0"), std::string::npos);
    EXPECT_NE(Menu(r, 78).find("enabled=1 checked=1"), std::string::npos);
    const auto messages = r.All("message");
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "File Error | File is Empty");
    EXPECT_EQ(messages[1], "Can't Open File: | " + run.Folder() + "/missing.tsc");
}

TEST(ScanViewer, WithoutAControllerAScanFileIsRefused) {
    ProgramRun run;
    run.InitRegistry();
    const std::string file = run.WriteFile("run.tsc", ArrheniusScan(3, true));
    auto refused = run.Run({"/d", "--open", file, "--dump"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.errors.find("--open"), std::string::npos);
}
