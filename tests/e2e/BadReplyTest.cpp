#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ProgramRun.h"

// Junk replies from the electronics, injected by the rack: the program must
// say that a reading failed, never compute with a number it made up.
namespace {

class BadReplyTest : public ::testing::Test {
  protected:
    void SetUp() override { run_.InitRegistry(); }

    ProgramResult Measure(const std::string& rackJson, const std::string& commands,
                          const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {
            "--time-scale", "0.01",   "--run",
            commands,       "--dump", "--simulate=" + run_.WriteFile("rack.json", rackJson)};
        args.insert(args.end(), extra.begin(), extra.end());
        ProgramResult result = run_.Run(args);
        if (::testing::Test::HasFailure() || std::getenv("VANTRIS_E2E_VERBOSE")) {
            for (const auto& line : result.lines)
                if (line.rfind("menu:", 0) != 0) std::cerr << line << "\n";
        }
        return result;
    }

    // The "window: NAME ..." dump line of one measurement window.
    static std::string Window(const ProgramResult& result, const std::string& name) {
        for (const auto& line : result.All("window"))
            if (line.rfind(name + " ", 0) == 0) return line;
        return {};
    }

    static double Number(const ProgramResult& result, const std::string& key,
                         const std::string& name) {
        const auto pairs = ProgramResult::Pairs(result.First(key));
        return pairs.count(name) ? std::stod(pairs.at(name)) : NAN;
    }

    static double Setting(const ProgramResult& result, const std::string& name) {
        for (const auto& line : result.All("settings"))
            if (line.rfind(name + "=", 0) == 0) return std::stod(line.substr(name.size() + 1));
        return NAN;
    }

    std::string RegistryText() const {
        std::ifstream in(run_.RegistryFile(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    ProgramRun run_;
};

double Relative(double measured, double truth) {
    return std::fabs(measured / truth - 1.0);
}

TEST_F(BadReplyTest, UnreadableCurrentReadBackFailsTheRunAndKeepsTheCurrent) {
    // A junk reply is read again: the meter fails after three of them, or
    // after two replies of 300 characters (more pieces than it reads past).
    for (const auto& [kind, times] :
         std::vector<std::pair<std::string, int>>{{"garbage", 3}, {"long-reply", 2}}) {
        const std::string rack = R"({"faults":[{"device":"hall","kind":")" + kind +
                                 R"(","secondary":13,"times":)" + std::to_string(times) + "}]}";
        // A Hall run whose read-back is junk, then Configure > Settings > Save.
        auto failed = Measure(rack, "52,12", {"--set", "Current=250"});
        ASSERT_EQ(failed.exitCode, 0) << failed.errors;
        EXPECT_EQ(failed.First("status"), "ERROR | I-meas Unreadable") << kind;
        EXPECT_EQ(Setting(failed, "Current"), 250.0) << kind;
        EXPECT_EQ(Number(failed, "record", "hallCoefficientRaw"), 0.0) << kind;
        // The saved set holds the operator's current, not a made-up 0.
        const std::string saved = RegistryText();
        EXPECT_NE(saved.find("\"Current\"=\"250.000000\""), std::string::npos) << kind;
        EXPECT_EQ(saved.find("\"Current\"=\"0.000000\""), std::string::npos) << kind;

        // The next run of the same program works with that current.
        auto again = Measure(rack, "52,52", {"--set", "Current=250"});
        ASSERT_EQ(again.exitCode, 0) << again.errors;
        EXPECT_EQ(again.First("status"), "Ready | ") << kind;
        EXPECT_LT(
            Relative(Number(again, "record", "hallCoefficientRaw"), Number(again, "sim", "RHs")),
            0.005)
            << kind;
    }
}

TEST_F(BadReplyTest, UnreadableVoltmeterReplyIsShownInTheContactCheck) {
    // The first voltmeter replies of the check are junk, more than a reading
    // is taken again for: its pair shows why, the others their resistances.
    auto m =
        Measure(R"({"faults":[{"device":"hall","kind":"garbage","secondary":9,"times":3}]})", "56");
    ASSERT_EQ(m.exitCode, 0) << m.errors;
    const std::string check = Window(m, "CHECK");
    ASSERT_FALSE(check.empty());
    EXPECT_NE(check.find(" 10=V-meas Unreadable"), std::string::npos) << check;
    const auto fields = ProgramResult::Pairs(check);
    for (const char* id : {"11", "12", "13", "14", "15"}) {
        ASSERT_TRUE(fields.count(id)) << id;
        EXPECT_GT(std::atof(fields.at(id).c_str()), 0.0) << id << " " << check;
    }
}

TEST_F(BadReplyTest, JunkReadingsAreNeverAveragedIntoAHallResult) {
    const std::string rack =
        R"({"seed":7,"faults":[{"device":"hall","kind":"garbage","secondary":9,)"
        R"("probability":0.05}]})";
    // Integrated readings take many replies a cycle: each cycle meets junk.
    auto m = Measure(rack, "51,52", {"--set", "Integrations=1,Cycles=2"});
    ASSERT_EQ(m.exitCode, 0) << m.errors;
    const std::string hall = Window(m, "HALL");
    ASSERT_FALSE(hall.empty());
    // Some cycles met a junk reading: they are listed as failed, not used.
    EXPECT_NE(hall.find("Error"), std::string::npos) << hall;
    const double coefficient = Number(m, "record", "hallCoefficientRaw");
    const double mobility = Number(m, "record", "mobility");
    // Whatever completed gives the truth; a made-up 0 V reading would not.
    if (coefficient != 0.0) {
        EXPECT_LT(Relative(coefficient, Number(m, "sim", "RHs")), 0.005);
        if (mobility != 0.0) {
            EXPECT_LT(Relative(mobility, Number(m, "sim", "mu")), 0.005);
        }
    }
}

}  // namespace
