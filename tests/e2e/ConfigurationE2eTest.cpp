#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "ProgramRun.h"

// The measurement configuration and the current auto-set against the rack:
// the current the search settles on must give the target voltage on the
// rack's specimen, computed from the rack's own truth.
namespace {
// Command id of "auto-set now": the Current page's "Set" without the sheet.
constexpr const char* kAutoSet = "4201";

struct AutoSetRun {
    ProgramResult result;
    std::string outcome;
    int tries = 0;
    double current = 0.0;  // uA
    std::map<std::string, std::string> truth;
    double Truth(const std::string& name) const { return std::stod(truth.at(name)); }
    double Setting(const std::string& name) const {
        for (const auto& line : result.All("settings"))
            if (line.rfind(name + "=", 0) == 0) return std::stod(line.substr(name.size() + 1));
        return NAN;
    }
};

class ConfigurationE2eTest : public ::testing::Test {
  protected:
    void SetUp() override { run_.InitRegistry(); }

    AutoSetRun AutoSet(const std::string& rackJson, const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--time-scale", "0.01", "--run", kAutoSet, "--dump"};
        args.push_back(rackJson.empty() ? "--simulate"
                                        : "--simulate=" + run_.WriteFile("rack.json", rackJson));
        args.insert(args.end(), extra.begin(), extra.end());
        AutoSetRun r;
        r.result = run_.Run(args);
        r.truth = ProgramResult::Pairs(r.result.First("sim"));
        std::istringstream line(r.result.First("autoset"));
        line >> r.outcome >> r.tries >> r.current;
        return r;
    }

    ProgramRun run_;
};

// Vr in millivolts for a current in microamperes: on a symmetric disc the
// voltage across 4-3 with the current through 1-2 is Rs ln2 / pi x I; on a
// bar the voltage between contacts L apart is Rs L / W x I.
double DiscVr(double rs, double microamps) {
    return rs * std::log(2.0) / M_PI * microamps * 1e-3;
}
double BarVr(double rs, double lengthOverWidth, double microamps) {
    return rs * lengthOverWidth * microamps * 1e-3;
}

TEST_F(ConfigurationE2eTest, VanDerPauwSettlesOnTheTargetVoltage) {
    auto r = AutoSet("", {});
    ASSERT_EQ(r.result.exitCode, 0) << r.result.errors;
    ASSERT_FALSE(r.truth.empty());
    EXPECT_EQ(r.outcome, "Success");
    EXPECT_GE(r.tries, 2);  // 10 uA is far below the ~1.5 mA the default disc needs
    const double target = r.Setting("TargVrVDP");
    EXPECT_LT(std::fabs(DiscVr(r.Truth("Rs"), r.current) / target - 1.0), 0.1)
        << "current " << r.current << " uA, Rs " << r.Truth("Rs");
    EXPECT_DOUBLE_EQ(r.Setting("Current"), r.current);
    EXPECT_TRUE(r.result.All("message").empty());
}

TEST_F(ConfigurationE2eTest, BarSettlesOnTheTargetVoltage) {
    auto r = AutoSet(R"({"specimen":{"geometry":"bar","bar_length_mm":3,"bar_width_mm":1}})",
                     {"--set", "Shape=1,Length=3,Width=1"});
    ASSERT_EQ(r.result.exitCode, 0) << r.result.errors;
    EXPECT_EQ(r.outcome, "Success");
    const double target = r.Setting("TargVrBar");
    EXPECT_LT(std::fabs(BarVr(r.Truth("Rs"), 3.0, r.current) / target - 1.0), 0.1)
        << "current " << r.current << " uA, Rs " << r.Truth("Rs");
}

TEST_F(ConfigurationE2eTest, HighResistanceDiscThroughTheBufferAmplifier) {
    ASSERT_TRUE(run_.SetBufferAmplifierInstalled());
    // About 1.5 Mohm per square: nanoamperes through the amplifier.
    auto r = AutoSet(
        R"({"specimen":{"n300_cm3":1e14,"mobility300_cm2Vs":400},"serial":{"COM1":"buffer","COM2":"hot"}})",
        {"--set", "Iunits=2,BufferAmplifierMode=1"});
    ASSERT_EQ(r.result.exitCode, 0) << r.result.errors;
    EXPECT_EQ(r.outcome, "Success");
    EXPECT_LT(r.current, 5.0);  // within the amplifier's range
    const double target = r.Setting("TargVrVDP");
    EXPECT_LT(std::fabs(DiscVr(r.Truth("Rs"), r.current) / target - 1.0), 0.1)
        << "current " << r.current << " uA, Rs " << r.Truth("Rs");
    EXPECT_TRUE(r.result.All("message").empty());
}

TEST_F(ConfigurationE2eTest, ASpecimenNeedingMoreThanTheSourceGivesEndsMaximum) {
    // 0.16 ohm per square: 19.9 mA gives well under a millivolt.
    auto r = AutoSet(R"({"specimen":{"n300_cm3":1e20}})", {});
    ASSERT_EQ(r.result.exitCode, 0) << r.result.errors;
    EXPECT_EQ(r.outcome, "Maximum");
    EXPECT_DOUBLE_EQ(r.current, 19900.0);
    EXPECT_LT(DiscVr(r.Truth("Rs"), r.current), r.Setting("TargVrVDP") * 0.9);
}

TEST_F(ConfigurationE2eTest, ASpecimenOverRangingAtTheSmallestCurrentEndsMinimum) {
    // About 6e8 ohm per square: even 0.1 uA drives the voltmeter over range.
    auto r = AutoSet(R"({"specimen":{"n300_cm3":1e12,"mobility300_cm2Vs":100}})", {});
    ASSERT_EQ(r.result.exitCode, 0) << r.result.errors;
    EXPECT_EQ(r.outcome, "Minimum");
    EXPECT_LE(r.current, 0.1 + 1e-9);
    EXPECT_GT(DiscVr(r.Truth("Rs"), 0.1), r.Setting("TargVrVDP"));
}

TEST_F(ConfigurationE2eTest, SheetOkAcceptsTheStoredSettings) {
    ProgramResult result = run_.Run({"--time-scale", "0.01", "--simulate", "--run", "42",
                                     "--answer", "OK", "--dump", "--set", "Current=250"});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_TRUE(result.All("message").empty());
    bool kept = false;
    for (const auto& line : result.All("settings")) kept = kept || line == "Current=250";
    EXPECT_TRUE(kept);
}

}  // namespace
