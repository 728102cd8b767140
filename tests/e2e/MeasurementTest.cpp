#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "ProgramRun.h"

// The whole program against the rack: what it measures must be the truth the
// rack was built with.
namespace {
struct Measured {
    ProgramResult result;
    std::map<std::string, std::string> record;
    std::map<std::string, std::string> truth;
    double Record(const std::string& name) const { return std::stod(record.at(name)); }
    double Truth(const std::string& name) const { return std::stod(truth.at(name)); }
};

class MeasurementTest : public ::testing::Test {
  protected:
    void SetUp() override { run_.InitRegistry(); }

    Measured Measure(const std::string& rackJson, const std::vector<std::string>& extra,
                     const std::string& commands = "56,51,52") {
        std::vector<std::string> args = {"--time-scale", "0.01", "--run", commands, "--dump"};
        args.push_back(rackJson.empty() ? "--simulate"
                                        : "--simulate=" + run_.WriteFile("rack.json", rackJson));
        args.insert(args.end(), extra.begin(), extra.end());
        Measured m;
        m.result = run_.Run(args);
        m.record = ProgramResult::Pairs(m.result.First("record"));
        m.truth = ProgramResult::Pairs(m.result.First("sim"));
        if (::testing::Test::HasFailure() || std::getenv("VANTRIS_E2E_VERBOSE")) {
            for (const auto& line : m.result.lines)
                if (line.rfind("menu:", 0) != 0 && line.rfind("settings:", 0) != 0)
                    std::cerr << line << "\n";
        }
        return m;
    }

    ProgramRun run_;
};

double Relative(double measured, double truth) {
    return std::fabs(measured / truth - 1.0);
}

// The van der Pauw factor: exact (by bisection) and the series the program uses.
double ExactFactor(double q) {
    const double c = (q - 1) / (q + 1);
    double lo = 0.05, hi = 1.0;
    for (int i = 0; i < 200; ++i) {
        const double f = 0.5 * (lo + hi);
        const double g = f / std::log(2.0) * std::acosh(std::exp(std::log(2.0) / f) / 2) - c;
        (g > 0 ? lo : hi) = f;
    }
    return 0.5 * (lo + hi);
}
double SeriesFactor(double q) {
    const double c = (q - 1) / (q + 1);
    return 1 - 0.34657359 * c * c - 0.0923612 * c * c * c * c;
}

// Adjacent-configuration ratio of a disc with point contacts at these angles.
double DiscRatio(const std::vector<double>& degrees) {
    auto chord = [&](int a, int b) {
        return 2 * std::fabs(std::sin((degrees[a] - degrees[b]) * M_PI / 360.0));
    };
    auto v = [&](int a, int b, int c, int d) {
        return std::log(chord(c, b) * chord(d, a) / (chord(c, a) * chord(d, b)));
    };
    const double q = v(0, 1, 3, 2) / v(1, 2, 0, 3);
    return q < 1 ? 1 / q : q;
}
}  // namespace

TEST_F(MeasurementTest, DefaultSpecimenGivesTheRacksTruth) {
    auto m = Measure("", {});
    ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
    ASSERT_FALSE(m.record.empty());
    ASSERT_FALSE(m.truth.empty());
    EXPECT_EQ(m.result.First("status"), "Ready | ");
    EXPECT_LT(Relative(m.Record("sheetResistance"), m.Truth("Rs")), 0.001);
    EXPECT_LT(Relative(m.Record("hallCoefficientRaw"), m.Truth("RHs")), 0.005);
    EXPECT_LT(m.Record("hallCoefficientRaw"), 0.0);
    EXPECT_LT(Relative(m.Record("mobility"), m.Truth("mu")), 0.005);
    EXPECT_LT(Relative(m.Record("sheetConcentration"), m.Truth("ns")), 0.005);
    // 1 um thick: the bulk density is the sheet density over 1e-4 cm.
    EXPECT_LT(Relative(m.Record("bulkConcentration"), m.Truth("ns") * 1e4), 0.005);
    EXPECT_LT(Relative(m.Record("bulkResistivity"), m.Truth("rho")), 0.001);
    EXPECT_EQ(m.result.First("measurementStatus"), "0");
    EXPECT_EQ(m.result.First("flags"), "3");
    EXPECT_TRUE(m.result.All("message").empty());
}

TEST_F(MeasurementTest, HolesGiveAPositiveCoefficient) {
    auto m = Measure(R"({"specimen":{"carrier":"p","n300_cm3":5e16,"mobility300_cm2Vs":400}})", {},
                     "51,52");
    ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
    EXPECT_GT(m.Record("hallCoefficientRaw"), 0.0);
    EXPECT_LT(Relative(m.Record("hallCoefficientRaw"), m.Truth("RHs")), 0.005);
    EXPECT_LT(Relative(m.Record("sheetResistance"), m.Truth("Rs")), 0.001);
    EXPECT_GT(m.Record("sheetConcentration"), 0.0);
}

TEST_F(MeasurementTest, UnequalContactAnglesGiveTheTrueRatio) {
    for (const std::vector<double>& angles :
         {std::vector<double>{0, 60, 180, 270}, std::vector<double>{0, 40, 180, 270}}) {
        const std::string json = "{\"specimen\":{\"contact_angles_deg\":[" +
                                 std::to_string(angles[0]) + "," + std::to_string(angles[1]) + "," +
                                 std::to_string(angles[2]) + "," + std::to_string(angles[3]) +
                                 "]}}";
        auto m = Measure(json, {}, "51");
        ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
        const double q = DiscRatio(angles);
        EXPECT_LT(Relative(m.Record("symmetryFactor"), q), 0.01) << "Q " << q;
        // The sheet resistance is off by exactly the series' own error.
        const double expected = m.Truth("Rs") * SeriesFactor(q) / ExactFactor(q);
        EXPECT_LT(Relative(m.Record("sheetResistance"), expected), 0.001) << "Q " << q;
    }
}

TEST_F(MeasurementTest, BarAndBridgeSpecimens) {
    for (const auto& [geometry, shape] :
         {std::pair<std::string, std::string>{"bar", "1"}, {"bridge", "2"}}) {
        auto m = Measure(
            R"({"specimen":{"geometry":")" + geometry + R"(","bar_length_mm":3,"bar_width_mm":1}})",
            {"--set", "Shape=" + shape + ",Length=3,Width=1"}, "51,52");
        ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
        EXPECT_LT(Relative(m.Record("sheetResistance"), m.Truth("Rs")), 0.001) << geometry;
        EXPECT_LT(Relative(m.Record("hallCoefficientRaw"), m.Truth("RHs")), 0.005) << geometry;
        EXPECT_LT(m.Record("hallCoefficientRaw"), 0.0);
    }
}

TEST_F(MeasurementTest, BufferedPathOnAHighResistanceSpecimen) {
    ASSERT_TRUE(run_.SetBufferAmplifierInstalled());
    // About 1.5 Mohm per square: out of reach of the standard electronics at uA.
    auto m = Measure(
        R"({"specimen":{"n300_cm3":1e14,"mobility300_cm2Vs":400},"serial":{"COM1":"buffer","COM2":"hot"}})",
        {"--set", "Iunits=2,BufferAmplifierMode=1,Current=0.1"}, "51,52");
    ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
    EXPECT_EQ(m.result.First("status"), "Ready | ");
    EXPECT_LT(Relative(m.Record("sheetResistance"), m.Truth("Rs")), 0.001);
    EXPECT_LT(Relative(m.Record("hallCoefficientRaw"), m.Truth("RHs")), 0.005);
}

TEST_F(MeasurementTest, BusTimeOutInAHallRunAndTheNextRunCompletes) {
    const std::string fault =
        R"({"faults":[{"device":"hall","kind":"timeout","secondary":9,"after":8}]})";
    auto failed = Measure(fault, {}, "52");
    ASSERT_EQ(failed.result.exitCode, 0) << failed.result.errors;
    EXPECT_EQ(failed.result.First("status"), "ERROR | GPIB");
    EXPECT_EQ(failed.Record("hallCoefficientRaw"), 0.0);
    auto again = Measure(fault, {}, "52,52");
    EXPECT_EQ(again.result.First("status"), "Ready | ");
    EXPECT_LT(Relative(again.Record("hallCoefficientRaw"), again.Truth("RHs")), 0.005);
}

TEST_F(MeasurementTest, MotionFaultsAreReported) {
    // A fault of the start-up initialisation, and one in the middle of a Hall run.
    for (const char* where : {"", R"(,"command":"+F+R-F")"}) {
        auto fault = Measure(std::string(R"({"faults":[{"device":"hall","kind":"motion-fault",)") +
                                 R"("status":101)" + where + "}]}",
                             {}, "52");
        EXPECT_EQ(fault.result.First("message"), "Motion Error | SRQ: Sensor Interlock Violation")
            << where;
    }
    auto silent = Measure(R"({"faults":[{"device":"hall","kind":"no-srq"}]})", {}, "52");
    bool timeout = false;
    for (const auto& line : silent.result.All("message"))
        timeout = timeout || line == "Motion Error | Motor Software Timeout";
    EXPECT_TRUE(timeout);
}

TEST_F(MeasurementTest, OpenLidStopsResistivityAndHall) {
    auto m =
        Measure(R"({"electronics":{"lid_open":true}})", {"--answer", "Cancel,Cancel"}, "51,52");
    ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
    const auto messages = m.result.All("message");
    ASSERT_EQ(messages.size(), 2u);
    for (const auto& line : messages)
        EXPECT_EQ(line, "Lid is Open | Please close lid and press OK");
    EXPECT_EQ(m.Record("sheetResistance"), 0.0);
}

TEST_F(MeasurementTest, AbortDuringAHallRun) {
    // Each reading waits 5 s (scaled), so the abort after 3 s falls inside the run.
    auto m = Measure("", {"--set", "Delay=5"}, "52,250@3");
    ASSERT_EQ(m.result.exitCode, 0) << m.result.errors;
    EXPECT_EQ(m.result.First("status"), "Cancelled | ");
    EXPECT_EQ(m.Record("hallCoefficientRaw"), 0.0);
    // The run is over and the commands are available again.
    bool hallEnabled = false;
    for (const auto& line : m.result.All("menu"))
        hallEnabled = hallEnabled || line == "52 Measure > Hall enabled=1 checked=0";
    EXPECT_TRUE(hallEnabled);
}

TEST_F(MeasurementTest, AbortDuringResistivityAndContactCheck) {
    for (const char* commands : {"51,250@3", "56,250@3"}) {
        auto m = Measure("", {"--set", "Delay=5"}, commands);
        EXPECT_EQ(m.result.First("status"), "Cancelled | ") << commands;
    }
}
