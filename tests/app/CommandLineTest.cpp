#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {
CommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}
}  // namespace

TEST(CommandLine, SlashSwitchChains) {
    auto nd = Parse({"/n/d"});
    EXPECT_EQ(nd.controllerKind, ControllerKind::LN2);
    EXPECT_TRUE(nd.demo);
    // The chain ends at the first pair that does not begin with '/'.
    auto joined = Parse({"/nd"});
    EXPECT_EQ(joined.controllerKind, ControllerKind::LN2);
    EXPECT_FALSE(joined.demo);
    auto g = Parse({"/g"});
    EXPECT_EQ(g.controllerKind, ControllerKind::ITC5);
    EXPECT_TRUE(g.bytewiseItc);
    // A later kind switch wins; the byte-wise link stays selected.
    auto later = Parse({"/g/y", "/x"});
    EXPECT_EQ(later.controllerKind, ControllerKind::HotStage);
    EXPECT_TRUE(later.bytewiseItc);
    EXPECT_TRUE(later.manualMagnet);
    auto none = Parse({"plain", "/q", "/"});
    EXPECT_EQ(none.controllerKind, ControllerKind::None);
    EXPECT_FALSE(none.demo);
    EXPECT_TRUE(none.error.empty());
}

TEST(CommandLine, LongOptions) {
    auto line = Parse({"--simulate=rack.json", "--registry", "r.reg", "--gpib-library=/x.so",
                       "--run", "56,51", "--run=52,250@3", "--set", "Current=10,Shape=1",
                       "--answer", "OK,Cancel", "--dump", "--time-scale", "0.01"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    EXPECT_TRUE(line.simulate);
    EXPECT_EQ(line.simulateFile, "rack.json");
    EXPECT_EQ(line.registryFile, "r.reg");
    EXPECT_EQ(line.gpibLibrary, "/x.so");
    ASSERT_EQ(line.run.size(), 4u);
    EXPECT_EQ(line.run[2].id, 52);
    EXPECT_LT(line.run[2].delaySeconds, 0);
    EXPECT_EQ(line.run[3].id, 250);
    EXPECT_DOUBLE_EQ(line.run[3].delaySeconds, 3.0);
    EXPECT_EQ(line.sets, (std::vector<std::string>{"Current=10", "Shape=1"}));
    EXPECT_EQ(line.answers, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_TRUE(line.dump);
    EXPECT_DOUBLE_EQ(line.timeScale, 0.01);
}

TEST(CommandLine, BadInputIsReportedNotGuessed) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--run", "56,,51"},
             {"--run", "x"},
             {"--run", "250@3"},  // nothing before it to time against
             {"--run", "52,250@-1"},
             {"--set", "Current"},
             {"--time-scale", "0"},
             {"--time-scale", "fast"},
             {"--registry"},
             {"--bogus"}}) {
        EXPECT_FALSE(Parse(args).error.empty()) << args[0] << " " << args.back();
    }
}

TEST(CommandLine, RunItemsNameCommandsOrControlsOfWindows) {
    auto line =
        Parse({"--run", "62,LOGFILE.106,SAMPLE.1@2.5,CURRENT.103=2.5e3,NAME.10=a@b,X.1=@3"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    ASSERT_EQ(line.run.size(), 6u);
    EXPECT_EQ(line.run[0].id, 62);
    EXPECT_FALSE(line.run[0].IsControl());
    EXPECT_EQ(line.run[1].resource, "LOGFILE");
    EXPECT_EQ(line.run[1].control, 106);
    EXPECT_FALSE(line.run[1].hasText);
    EXPECT_DOUBLE_EQ(line.run[2].delaySeconds, 2.5);
    EXPECT_EQ(line.run[3].text, "2.5e3");
    EXPECT_LT(line.run[3].delaySeconds, 0);
    // An '@' in a typed text is text unless a number follows it.
    EXPECT_EQ(line.run[4].text, "a@b");
    EXPECT_EQ(line.run[5].text, "");
    EXPECT_DOUBLE_EQ(line.run[5].delaySeconds, 3.0);
    EXPECT_EQ(line.run[3].Spelling(), "CURRENT.103=2.5e3");

    for (const char* bad :
         {"52,.1", "52,LOGFILE.", "52,LOGFILE.x", "52,1ABC.2", "52,A-B.3", "52,LOGFILE.70000",
          "52=3", "52,250@2147484", "52,250@1e308", "52,250@nan", "52,250@86400.5"})
        EXPECT_FALSE(Parse({"--run", bad}).error.empty()) << bad;
    EXPECT_TRUE(Parse({"--run", "52,250@86400"}).error.empty());
    const auto dump = Parse({"--run", "40,DUMP,LN2PANEL.1"});
    ASSERT_TRUE(dump.error.empty()) << dump.error;
    EXPECT_TRUE(dump.run[1].dump);
    EXPECT_EQ(dump.run[1].Spelling(), "DUMP");
    EXPECT_FALSE(Parse({"--run", "40,DUMP=1"}).error.empty());
}
