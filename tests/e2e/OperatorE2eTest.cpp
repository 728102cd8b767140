#include <gtest/gtest.h>

#include <cmath>

#include "ProgramRun.h"

// What the operator reaches during and after runs: the abort of the magnet
// wait box and the client's clearing command.
namespace {
class OperatorE2eTest : public ::testing::Test {
  protected:
    void SetUp() override { run_.InitRegistry(); }
    ProgramRun run_;
};

TEST_F(OperatorE2eTest, TheWaitBoxAbortEndsTheHallRunCancelledAfterItsMotion) {
    // Pressed in the first wait box of a three-cycle run: the motion ends,
    // the run stops at its next check, nothing of it counts.
    ProgramResult r = run_.Run({"--time-scale", "0.01", "--simulate", "--set", "Cycles=3", "--run",
                                "52,WAIT.2@0", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
    EXPECT_EQ(r.First("status"), "Cancelled | ");
    EXPECT_EQ(r.First("measurementStatus"), "1");
    // The next run starts from the magnet's home and measures the truth.
    r = run_.Run({"--time-scale", "0.01", "--simulate", "--run", "52,WAIT.2@0,52", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.First("status"), "Ready | ");
    const auto record = ProgramResult::Pairs(r.First("record"));
    const auto truth = ProgramResult::Pairs(r.First("sim"));
    ASSERT_TRUE(record.count("hallCoefficientRaw") && truth.count("RHs"));
    EXPECT_NEAR(std::stod(record.at("hallCoefficientRaw")), std::stod(truth.at("RHs")),
                std::fabs(std::stod(truth.at("RHs"))) * 0.005);
}

TEST_F(OperatorE2eTest, ClearingEmptiesTheResultsAndHidesTheMeasurementWindows) {
    // A dump after the run and the closing one after the clearing command.
    ProgramResult r =
        run_.Run({"--time-scale", "0.01", "--simulate", "--run", "56,51,DUMP,301", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const auto dumps = r.Dumps();
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps[0].First("shown"), "CHECK=1 IV=0 VDPRESIST=1 BARRESIST=0 HALL=0");
    EXPECT_NE(dumps[0].First("results").find("1=150"), std::string::npos)
        << dumps[0].First("results");
    EXPECT_EQ(dumps[1].First("shown"), "CHECK=0 IV=0 VDPRESIST=0 BARRESIST=0 HALL=0");
    EXPECT_EQ(dumps[1].First("results"), "1= 2= 3= 4= 5= 6=");
    EXPECT_EQ(dumps[1].First("flags"), "0");
}
}  // namespace

namespace {
TEST(OperatorRack, BlastingOpensOnTheDefaultRackAndIsRefusedWithTheAmplifierAttached) {
    ProgramRun run;
    run.InitRegistry();
    // The rack's COM1 holds nothing by default: the port opens, no amplifier
    // answers, the blast dialog opens.
    ASSERT_TRUE(run.AttachBufferAmplifierPort());
    ProgramResult r =
        run.Run({"--time-scale", "0.01", "--simulate", "--run", "43", "--answer", "OK", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(r.All("message").empty());
    // With the amplifier on COM1 it answers, and blasting it is not permitted.
    const std::string amp =
        run.WriteFile("amp.json", R"({"serial":{"COM1":"buffer","COM2":"hot"}})");
    r = run.Run(
        {"--time-scale", "0.01", "--simulate=" + amp, "--run", "43", "--answer", "OK", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(
        r.All("message"),
        std::vector<std::string>{"Violation | Buffer Amplifer detected, Blasting not permitted"});
}
}  // namespace
