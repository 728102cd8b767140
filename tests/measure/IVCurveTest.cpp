// The IV curve run against a scripted bus, with no widget anywhere: the exact
// commands of both electronics paths, the ends of a sweep (over range,
// leaving the pane), the log block's bytes and the failure exits.
#include <cmath>

#include "measure/IVCurveMath.h"
#include "measure/IVCurveRun.h"
#include "MeasureTestSupport.h"
#include "core/Printf.h"
#include "core/xmsg.h"
#include "TestRecords.h"

namespace {

// The eleven current steps of a 100 uA sweep, as the source is told them.
const char* const kSteps100[11] = {"0.0",  "10.0", "20.0", "30.0", "40.0", "50.0",
                                   "60.0", "70.0", "80.0", "90.0", "100.0"};

class IVCurveTest : public MeasureTest {
  protected:
    // One sweep step as the bus sees it and as the script answers it.
    void Step(const std::string& current, const std::string& reply) {
        expected.push_back("W 3 8 I" + current);
        expected.push_back("R 3 13");
        expected.push_back("R 3 12");
        Bus_().Reply(current).Reply(reply);
    }
    // The opening of a standard run: current read back, the full-scale
    // reading at "S12M12" that ends at gain 1 with 0.7 (0.07 V).
    void StandardOpening(const std::string& readBack) {
        Bus_().Reply(readBack).Reply(" 0.07").Reply(" 0.7");
        expected = {"W 3 8 DI100.0", "R 3 13", "W 3 8 DP", "W 3 9 H255O0", "W 3 7 S12M12",
                    "W 3 9 G0",      "R 3 9",  "W 3 9 G1", "R 3 9"};
    }
    // The first steps of a 100 uA sweep, one reply each.
    void Sweep(std::initializer_list<const char*> replies) {
        int i = 0;
        for (const char* reply : replies) Step(kSteps100[i++], reply);
    }
    // Commands the run sends between sweeps.
    void Sent(const std::string& ops) {
        for (const auto& op : Ops(ops)) expected.push_back(op);
    }
    std::vector<std::string> expected;
};

// The curve is read at fine gain 255 of 256.
constexpr double kFine = 255.0 / 256.0;

std::size_t Count(const IVCurveRun& iv, int pair, int sweep) {
    return iv.Data().sweeps[pair][sweep].size();
}

// The points stored in each sweep, pair 1-2's two then pair 3-4's.
std::vector<std::size_t> Counts(const IVCurveRun& iv) {
    return {Count(iv, 0, 0), Count(iv, 0, 1), Count(iv, 1, 0), Count(iv, 1, 1)};
}

TEST_F(IVCurveTest, StandardRunStepsTenEqualCurrentsPerSweepAndEndsSweepsEarly) {
    Settings().Current = 100.0;
    Settings().Iunits = 1;
    StandardOpening("100.0");
    // Pair 1-2: ohmic, 0.07 raw per step, the same negative after "N".
    for (int i = 0; i <= 10; ++i) Step(kSteps100[i], Printf("%+.6E", 0.07 * i));
    expected.push_back("W 3 8 N");
    for (int i = 0; i <= 10; ++i) Step(kSteps100[i], Printf("%+.6E", -0.07 * i));
    // Pair 3-4: over range at the seventh step, then a sweep leaving the pane.
    Sent("W 3 7 S34M34, W 3 8 P");
    for (int i = 0; i <= 5; ++i) Step(kSteps100[i], Printf("%+.6E", 0.1 * i));
    Step(kSteps100[6], "+>");
    expected.push_back("W 3 8 N");
    for (int i = 0; i <= 6; ++i) Step(kSteps100[i], Printf("%+.6E", -0.14 * i));
    expected.push_back("W 3 7 S0M77");

    auto& iv = Measured<IVCurveRun>();

    EXPECT_EQ(Joined(trace), Joined(expected));
    // The over-ranged point is not stored, the point beyond the pane is.
    EXPECT_EQ(Counts(iv), (std::vector<std::size_t>{11, 11, 6, 7}));
    // Points in volts at the input and signed microamps: the reading over
    // 10^gain and over the fine gain's 255/256, as every reading is.
    const IVPoint top = iv.Data().sweeps[0][0][10];
    EXPECT_NEAR(top.voltage, 0.07 * kFine, 1e-12);
    EXPECT_EQ(top.current, -100.0);
    const IVPoint last = iv.Data().sweeps[1][1][6];
    EXPECT_NEAR(last.voltage, -0.084 * kFine, 1e-12);
    EXPECT_EQ(last.current, 60.0);
    EXPECT_NEAR(iv.Data().fullScaleVoltage, 0.07 * kFine, 1e-12);
    EXPECT_EQ(iv.Data().fullScaleCurrent, 100.0);
    EXPECT_TRUE(iv.Data().curveComplete);
    EXPECT_EQ(iv.Fields().Get(IVCurveRun::kCurrentLabel),
              "100 \xC2\xB5"
              "A");
    EXPECT_EQ(iv.Fields().Get(IVCurveRun::kVoltageLabel), "0.07 V");
    EXPECT_EQ(Status().Text(), "Ready");

    std::vector<std::string> dump;
    DumpIVCurve(dump, iv);
    ASSERT_EQ(dump.size(), 35u);
    EXPECT_EQ(dump[0], "iv: 0 0 0 0");
    EXPECT_EQ(dump[10], "iv: 0 0 -100 0.0697265625");
    EXPECT_EQ(dump[34], "iv: 1 1 60 -0.083671875");
}

TEST_F(IVCurveTest, LogBlockListsEachStoredPointInTheDisplayUnit) {
    Settings().Current = 100.0;
    Settings().Iunits = 0;
    Settings().LogInclude = 2;
    OpenLog();
    StandardOpening("100.0");
    Sweep({"+0.000000E+00", "+7.000000E-02", "+>"});
    Sent("W 3 8 N");
    Sweep({"-0.000000E+00", "-7.000000E-02", "->"});
    Sent("W 3 7 S34M34, W 3 8 P");
    Sweep({"+>"});
    Sent("W 3 8 N");
    Sweep({"-1.000000E-03", "-1.500000E-01", "->"});
    Sent("W 3 7 S0M77");

    auto& iv = Measured<IVCurveRun>();

    EXPECT_EQ(Joined(trace), Joined(expected));
    EXPECT_EQ(iv.Fields().Get(IVCurveRun::kCurrentLabel), "0.1 mA");
    EXPECT_EQ(LogBytes(),
              "*** IV Curve ***\r\n"
              "Contacts Con.12\r\nVolts\tmA\r\n"
              "0.000\t0.000\r\n0.007\t0.010\r\n"
              "0.000\t-0.000\r\n-0.007\t-0.010\r\n"
              "Contacts Con.34\r\nVolts\tmA\r\n"
              "-0.000\t-0.000\r\n-0.015\t-0.010\r\n");
}

TEST_F(IVCurveTest, BufferedRunStepsTheSourceValueAndKeepsPointsInMicroamps) {
    Settings().Current = 0.01;  // 10 nA: range x20000, source value 200
    Settings().Iunits = 2;
    Settings().bufferAmplifierMode = true;
    Config().bufferAmplifierInstalled = true;
    Bus_().Reply("200.0").Reply(" 0.8");
    expected = {"W 3 8 DI200.0", "R 3 13",       "B 36",     "W 3 8 DP", "W 3 9 H255O0",
                "B 133",         "W 3 7 S58M12", "W 3 9 G0", "R 3 9"};
    const char* steps[11] = {"0.0",   "20.0",  "40.0",  "60.0",  "80.0", "100.0",
                             "120.0", "140.0", "160.0", "180.0", "200.0"};
    for (int i = 0; i <= 10; ++i) Step(steps[i], Printf("%+.6E", 0.08 * i));
    expected.push_back("W 3 8 N");
    for (int i = 0; i <= 10; ++i) Step(steps[i], Printf("%+.6E", -0.08 * i));
    Sent("B 176, W 3 7 M34, W 3 8 P");
    for (int i = 0; i <= 10; ++i) Step(steps[i], Printf("%+.6E", 0.04 * i));
    expected.push_back("W 3 8 N");
    for (int i = 0; i <= 10; ++i) Step(steps[i], Printf("%+.6E", -0.04 * i));
    Sent("B 128, B 64, W 3 7 S0M77");

    auto& iv = Measured<IVCurveRun>();

    EXPECT_EQ(Joined(trace), Joined(expected));
    EXPECT_EQ(iv.Fields().Get(IVCurveRun::kCurrentLabel), "10 nA");
    EXPECT_EQ(iv.Fields().Get(IVCurveRun::kVoltageLabel), "0.80 V");
    EXPECT_NEAR(iv.Data().fullScaleCurrent, 0.01, 1e-15);
    ASSERT_EQ(Counts(iv), (std::vector<std::size_t>{11, 11, 11, 11}));
    // 200 source units are 10 nA: the top point is 0.01 uA, not 200.
    EXPECT_NEAR(iv.Data().sweeps[0][1][10].current, 0.01, 1e-15);
    EXPECT_NEAR(iv.Data().sweeps[0][0][5].current, -0.005, 1e-15);
    EXPECT_NEAR(iv.Data().sweeps[1][0][10].voltage, 0.4 * kFine, 1e-12);
}

TEST_F(IVCurveTest, DelayedReadingsComeFromTheVoltmeterAtTheFullScaleGain) {
    Settings().Current = 100.0;
    Settings().Delay = 1;
    // Full scale: G0 0.07, G1 0.7 (each reading waits one tick).
    Bus_().Reply("100.0").Reply(" 0.07").Reply(" 0.7");
    for (int sweep = 0; sweep < 4; ++sweep)
        for (int i = 0; i <= 10; ++i)
            Bus_().Reply(kSteps100[i]).Reply(Printf("N%+.6E", (sweep % 2 ? -0.07 : 0.07) * i));
    auto& iv = Measured<IVCurveRun>();
    EXPECT_EQ(Status().Text(), "Ready");
    EXPECT_TRUE(Bus_().LogStarting("R 3 12").empty());
    EXPECT_EQ(Bus_().LogStarting("R 3 9").size(), 2u + 44u);
    // No gain command after the full-scale reading: the sweeps read at G1.
    EXPECT_EQ(Bus_().LogStarting("W 3 9").back(), "W 3 9 G1");
    EXPECT_NEAR(iv.Data().sweeps[1][1][10].voltage, -0.07 * kFine, 1e-12);
    EXPECT_EQ(Count(iv, 1, 1), 11u);
}

TEST_F(IVCurveTest, AbortDisconnectsAndLogsThePointsGathered) {
    Settings().LogInclude = 2;
    OpenLog();
    StandardOpening("100.0");
    Sweep({"+0.000000E+00", "+7.000000E-02"});
    onOperation = [](const std::string& line) {
        if (line == "W 3 8 I10.0") State().cancelRequested = true;
    };
    auto& iv = Measured<IVCurveRun>();
    EXPECT_EQ(Status().Text(), "Cancelled");
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    EXPECT_FALSE(iv.Data().curveComplete);
    EXPECT_EQ(LogBytes(),
              "*** IV Curve ***\r\nContacts Con.12\r\nVolts\t\xB5"
              "A\r\n0.000\t0.000\r\n0.007\t10.000\r\nContacts Con.34\r\nVolts\t\xB5"
              "A\r\n");
}

TEST_F(IVCurveTest, RepliesWithoutANumberFailTheRunInsteadOfPlottingZero) {
    for (const char* bad : {"current", "curve"}) {
        trace.clear();
        Settings().Current = 100.0;
        StandardOpening("100.0");
        // A meter that gives no number in any of its tries.
        if (std::string(bad) == "current") {
            Bus_().Replies({"junk", "junk", "junk"});
        } else {
            Bus_().Reply("0.0").Replies({"??", "??", "??"});
        }
        auto& iv = Measured<IVCurveRun>();
        EXPECT_EQ(Count(iv, 0, 0), 0u) << bad;
        EXPECT_EQ(Outcome(), std::string("ERROR | ") +
                                 (bad == std::string("current") ? "I-meas" : "V-meas") +
                                 " Unreadable | 0");
        EXPECT_EQ(trace.back(), "W 3 7 S0M77") << bad;
    }
}

TEST_F(IVCurveTest, ZeroFullScaleIsAnErrorNotAnInfiniteScale) {
    Bus_().Replies({"100.0", " 0.0", " 0.0", " 0.0", " 0.0"});
    Measured<IVCurveRun>();
    EXPECT_EQ(Outcome(), "ERROR | F.P.Divide By Zero | 0");
    EXPECT_TRUE(Bus_().LogStarting("W 3 8 I").empty());
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
}

// ---- Where a sweep's points land in its pane ----

TEST(IVCurvePanes, SweepLineEndsAtTheFrameWhereItLeaves) {
    std::vector<IVPoint> points{{0.0, 0.0}, {0.5, -5.0}, {1.0, -10.0}, {1.5, -15.0}};
    // x scale 60 / V, y scale 4 / uA: the last point lands at (90, -60).
    auto line = IVMath::SweepLine(points, 60.0, 4.0, 80.0);
    ASSERT_EQ(line.size(), 4u);
    EXPECT_EQ(line[2].x, 60.0);
    EXPECT_EQ(line[3].x, 80.0);
    EXPECT_NEAR(line[3].y, -40.0 - 20.0 * (20.0 / 30.0), 1e-12);
    // Leaving through the top: y reaches -80 first.
    line = IVMath::SweepLine({{0.0, 0.0}, {1.0, -30.0}}, 60.0, 4.0, 80.0);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[1].y, -80.0);
    EXPECT_NEAR(line[1].x, 40.0, 1e-12);
    // One point, or a start outside, draws nothing.
    EXPECT_TRUE(IVMath::SweepLine({{0.1, -1.0}}, 60.0, 4.0, 80.0).empty());
    EXPECT_TRUE(IVMath::SweepLine({{2.0, 0.0}, {0.0, 0.0}}, 60.0, 4.0, 80.0).empty());
}

TEST(IVCurvePanes, CoordinatesTruncateTowardZeroAndStayDefined) {
    EXPECT_EQ(IVMath::PaneCoordinate(0.0299, 1000.0), 29);
    EXPECT_EQ(IVMath::PaneCoordinate(-0.0299, 1000.0), -29);
    EXPECT_EQ(IVMath::PaneCoordinate(std::nan(""), 1.0), 0);
    EXPECT_EQ(IVMath::PaneCoordinate(1e300, 1e300), 1000000);
    EXPECT_FALSE(IVMath::LeavesPane(80, 80));
    EXPECT_TRUE(IVMath::LeavesPane(-81, 80));
    EXPECT_THROW(IVMath::Scale(80, 0.0), xmath);
    EXPECT_THROW(IVMath::Scale(80, std::nan("")), xmath);
    EXPECT_EQ(IVMath::Scale(80, -0.5), -160.0);
}

}  // namespace
