#include <gtest/gtest.h>

#include <fstream>

#include "ProgramRun.h"

namespace {
bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& l : lines)
        if (l == line) return true;
    return false;
}
}  // namespace

TEST(Startup, DemoModeOpensNothingAndSaysSo) {
    ProgramRun run;
    run.InitRegistry();
    auto result = run.Run({"/d", "--dump"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.First("caption"), "RT44WIN Hall System DEMO");
    EXPECT_EQ(result.First("demo"), "1");
    EXPECT_EQ(result.First("kind"), "0");
    EXPECT_TRUE(result.All("message").empty());
    EXPECT_TRUE(Contains(result.All("menu"), "100 Help > About RT44Win enabled=1 checked=0"));
    EXPECT_TRUE(result.All("graph").empty());  // without a controller, no scan windows
}

TEST(Startup, MissingBoardFallsBackToDemo) {
    ProgramRun run;
    run.InitRegistry();
    // A driver library that is not there: the bus opens (nothing fails until a
    // transfer), and the magnet initialisation then finds no driver.
    auto result = run.Run({"/n", "--gpib-library", run.Folder() + "/no-such-libgpib.so", "--dump"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.First("caption"), "RT40WIN Hall System DEMO");
    EXPECT_EQ(result.First("kind"), "1");
    EXPECT_TRUE(
        Contains(result.All("message"), "Can't initialize GPIB | EDVR: driver not installed"));
}

TEST(Startup, BadRackConfigurationIsNamedAndNothingStarts) {
    ProgramRun run;
    run.InitRegistry();
    const std::string config = run.WriteFile("rack.json", "{\"specimen\":{\"carrier\":\"x\"}}");
    auto result = run.Run({"--simulate=" + config, "--dump"});
    EXPECT_NE(result.exitCode, 0);
    const std::string message = result.First("message");
    EXPECT_NE(message.find("specimen.carrier"), std::string::npos) << message;
    EXPECT_TRUE(result.First("caption").empty());
}

TEST(Startup, DamagedSettingsFileIsReportedAndKept) {
    ProgramRun run;
    run.InitRegistry();
    std::ofstream(run.RegistryFile(), std::ios::binary | std::ios::app) << "garbage line\r\n";
    auto result = run.Run({"/d", "--dump"});
    ASSERT_FALSE(result.All("message").empty());
    EXPECT_NE(result.All("message").front().find("line"), std::string::npos);
    std::ifstream kept(run.RegistryFile() + ".damaged");
    EXPECT_TRUE(kept.good());
}

TEST(Startup, PersonalBackEndReachesTheRackWhenSimulating) {
    ProgramRun run;
    run.InitRegistry(VANTRIS_IOT_PROGRAM);
    auto live = run.Run({"--simulate", "--time-scale", "0.01", "--run", "51", "--dump"},
                        VANTRIS_IOT_PROGRAM);
    ASSERT_EQ(live.exitCode, 0) << live.errors;
    EXPECT_EQ(live.First("demo"), "0");
    const auto record = ProgramResult::Pairs(live.First("record"));
    const auto truth = ProgramResult::Pairs(live.First("sim"));
    ASSERT_TRUE(record.count("sheetResistance") && truth.count("Rs"));
    EXPECT_NEAR(std::stod(record.at("sheetResistance")) / std::stod(truth.at("Rs")), 1.0, 1e-3);
    // Without the rack the stand-in library opens nothing.
    auto demo = run.Run({"--dump"}, VANTRIS_IOT_PROGRAM);
    EXPECT_EQ(demo.First("demo"), "1");
    EXPECT_TRUE(Contains(demo.All("message"), "System Error | Failed to open GPIB device"));
}
