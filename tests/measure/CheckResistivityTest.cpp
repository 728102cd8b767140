// Sequence tests of the contact check and both resistivity runs against a
// scripted bus, with no widget anywhere: the exact command order (with the
// buffer amplifier's bytes interleaved), the field texts, the log blocks and
// the exception table.
#include "measure/BarRun.h"
#include "measure/CheckRun.h"
#include "MeasureTestSupport.h"
#include "measure/VanDerPauwRun.h"
#include "TestRecords.h"

namespace {

class CheckTest : public MeasureTest {};
class VdpTest : public MeasureTest {};
class BarTest : public MeasureTest {};

TEST_F(CheckTest, StandardPathCarriesGainFromPairToPairAndLogsItsTable) {
    Settings().Iunits = 1;
    Settings().Current = 10.0;
    Settings().LogInclude = 1;
    OpenLog();
    Bus_().Replies({"10.0",                 // current read-back
                    " 0.3", "  >", " 0.3",  // 12: up to G2, over range, back to G1
                    " 0.6",                 // 23: starts at G1, good at once
                    "  >", " 5.0",          // 34: down to G0
                    " 0.5", " 4.0",         // 41: starts at G0, up to G1
                    "  >", "  >",           // 13: over range down to G0
                    "S 0.1"});              // 24: saturating
    Measured<CheckRun>();

    EXPECT_EQ(
        Joined(trace),
        Joined(Ops(
            "W 3 8 DI10.0, R 3 13, W 3 8 P, W 3 9 H255O0, W 3 7 S12M12, W 3 9 G1, R 3 9, W 3 9 G2, "
            "R 3 9, W 3 9 G1, R 3 9, W 3 7 S23M23, W 3 9 G1, R 3 9, W 3 7 S34M34, W 3 9 G1, R 3 9, "
            "W 3 9 G0, R 3 9, W 3 7 S41M41, W 3 9 G0, R 3 9, W 3 9 G1, R 3 9, W 3 7 S13M13, W 3 9 "
            "G1, R 3 9, W 3 9 G0, R 3 9, W 3 7 S24M24, W 3 9 G0, R 3 9, W 3 7 S0M77")));
    EXPECT_EQ(Status().Text(), "Ready");
    // The log table is made from the window's fields.
    EXPECT_EQ(LogBytes(),
              "*** Check Contacts ***\r\nPair\tK-ohms\r\n12\t3\r\n23\t6\r\n34\t500\r\n"
              "41\t40\r\n13\tV >6\r\n24\tI Sat\r\n");
}

TEST_F(CheckTest, BufferedPathSubtractsTheZeroReadingAndSwitchesWithBytes) {
    Settings().Iunits = 2;
    Settings().Current = 0.01;
    Settings().bufferAmplifierMode = true;
    Config().bufferAmplifierInstalled = true;
    Bus_().Replies({"200.0", " 0.1", " 0.5", " 0.1", "  >", " 0.9", "S", " 0.1"});
    auto& check = Measured<CheckRun>();

    EXPECT_EQ(Joined(trace),
              Joined(Ops("W 3 8 DI200.0, R 3 13, B 36, W 3 8 DP, W 3 7 S58M67, W 3 9 G0H160O0, B "
                         "131, R 3 9, B 133, R 3 9, B 148, R 3 9, B 176, R 3 9, B 161, R 3 9, B "
                         "146, R 3 9, B 168, R 3 9, B 128, B 64, W 3 7 S0M77")));
    EXPECT_EQ(Texts(check.Fields(), {9, 10, 11, 12, 13, 14, 15}),
              Lines({"M-ohms", "1.5e+02", "0.0e+00", "V >6", "3.0e+02", "I Sat", "0.0e+00"}));
}

TEST_F(CheckTest, ZeroCurrentReadBackIsAnErrorNotAnInfinity) {
    Bus_().Replies({"0", " 0.6"});
    auto& check = Measured<CheckRun>();
    EXPECT_EQ(Outcome(), "ERROR | F.P.Divide By Zero | 0");
    EXPECT_EQ(check.Fields().Get(10), "");
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
}

TEST_F(CheckTest, DemoModeOnlySetsTheUnit) {
    Config().noInstrument = true;
    Settings().Iunits = 3;
    auto& check = Measured<CheckRun>();
    EXPECT_EQ(check.Fields().Get(9), "G-ohms");
    EXPECT_TRUE(trace.empty());
}

// Readings that give the averages 2, 1, 2, 1 (volts x the gain scale) after
// the gain configuration chose the first configuration again.
void ScriptAsymmetricVdp(ScriptedBus& bus) {
    bus.Replies({"100.0", " 0.3", " 0.2", " 0.1", " 1.0"});
    for (const char* value : {"2.0", "1.0", "2.0", "1.0"})
        bus.Reply(std::string(" ") + value).Reply(std::string(" -") + value);
}

TEST_F(VdpTest, StandardPathSequenceTableRecordAndLog) {
    Settings().LogInclude = 4;
    OpenLog();
    ScriptAsymmetricVdp(Bus_());
    auto& window = Measured<VanDerPauwRun>();

    EXPECT_EQ(
        Joined(trace),
        Joined(Ops("W 3 8 DI100.0, R 3 13, W 3 9 G0H64O0, W 3 8 P, W 3 7 S12M43, R 3 9, W 3 7 "
                   "S32M41, R 3 9, W 3 7 S12M43, W 3 9 H128, W 3 9 G1, R 3 9, W 3 9 G2, R 3 9, W 3 "
                   "9 H42, W 3 7 S12M43, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 S32M41, W 3 8 P, R "
                   "3 9, W 3 8 N, R 3 9, W 3 7 S34M21, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 "
                   "S14M23, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 S0M77")));
    EXPECT_DOUBLE_EQ(window.GainScaleValue(), 100.0 * 256.0 / 42.0);
    EXPECT_NEAR(Results().sheetResistance, 107.116218, 1e-5);
    EXPECT_DOUBLE_EQ(Results().symmetryFactor, 2.0);
    EXPECT_EQ(Outcome(), "Ready |  | 0");
    EXPECT_EQ(ResultsFields().Get(1), "107.1");
    // The log block is made from the window's fields.
    EXPECT_EQ(LogBytes(),
              "*** VDP Resistivity ***\r\nMeas.\t+Vm+\t-Vm-\r\n"
              "43\t+3.281e-03\t-3.281e-03\r\n41\t+1.641e-03\t-1.641e-03\r\n"
              "21\t+3.281e-03\t-3.281e-03\r\n23\t+1.641e-03\t-1.641e-03\r\n"
              "Symmetry\tFactor\tR-sheet\r\n2.00\t0.96\t107.1\r\n2.00\t0.96\t107.1\r\n"
              "2.00\t0.96\t107.1\r\n2.00\t0.96\t107.1\r\n"
              "Sheet Res: (ohms/sq)\t107.1\r\n");
}

// Averages all of one sign but negative give a sheet resistance no specimen
// has: the run ends saying so, no derived column is shown, the record stays.
TEST_F(VdpTest, NegativeSheetResistanceEndsInErrorAndKeepsTheRecord) {
    Results().sheetResistance = 55.0;
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0"});
    for (int i = 0; i < 4; ++i) Bus_().Reply(" -1.0").Reply(" 1.0");
    auto& window = Measured<VanDerPauwRun>();

    EXPECT_EQ(Outcome(), "ERROR | Sheet resistance <= 0 | 1");
    EXPECT_EQ(Results().sheetResistance, 55.0);
    EXPECT_EQ(Texts(window.Fields(), {30, 40, 50, 53}), std::vector<std::string>(4));
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
}

TEST_F(VdpTest, BufferedPathSendsVoltagePairsAndBytes) {
    Settings().Current = 0.01;
    Settings().bufferAmplifierMode = true;
    Config().bufferAmplifierInstalled = true;
    Bus_().Replies({"200.0", " 0.2", " 0.3", " 0.8"});
    for (int i = 0; i < 4; ++i) Bus_().Reply(" 1.0").Reply(" -1.0");
    auto& window = Measured<VanDerPauwRun>();

    EXPECT_EQ(
        Joined(trace),
        Joined(Ops("W 3 8 DI200.0, R 3 13, B 36, W 3 9 G0H64O0, W 3 8 DP, W 3 7 S58, W 3 7 M43, B "
                   "133, R 3 9, W 3 7 M41, B 148, R 3 9, W 3 9 H128, W 3 9 G1, R 3 9, W 3 9 H33, W "
                   "3 7 M43, B 133, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 M41, B 148, W 3 8 P, R 3 "
                   "9, W 3 8 N, R 3 9, W 3 7 M21, B 176, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 "
                   "M23, B 161, W 3 8 P, R 3 9, W 3 8 N, R 3 9, B 128, B 64, W 3 7 S0M77")));
    const double average = 1.0 / (10.0 * 256.0 / 33.0);
    EXPECT_EQ(Texts(window.Fields(), {30, 40}), Lines({"1.00", "1.00"}));
    EXPECT_NEAR(Results().sheetResistance, 2266180.0 * 2.0 * average / 0.01, 1e-6);
    EXPECT_DOUBLE_EQ(Results().symmetryFactor, 1.0);
}

// Averages of opposite sign come from no specimen: the run ends through its
// error path saying so, the record keeps what it held.
TEST_F(VdpTest, OppositeEqualAveragesEndInErrorAndKeepTheRecord) {
    Settings().LogInclude = 4;
    OpenLog();
    Results().sheetResistance = 55.0;  // an earlier run's result
    Results().measured = MeasurementResults::kResistivityMeasured;
    Results().symmetryFactor = 1.5;
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0"});
    for (const char* plus : {" 1.0", " -1.0", " 1.0", " -1.0"})
        Bus_().Reply(plus).Reply(plus[1] == '-' ? " 1.0" : " -1.0");
    auto& window = Measured<VanDerPauwRun>();

    EXPECT_EQ(Outcome(), "ERROR | Vm averages of mixed sign | 1");
    EXPECT_EQ(Results().sheetResistance, 55.0);
    EXPECT_EQ(Results().symmetryFactor, 1.5);
    EXPECT_EQ(Texts(window.Fields(), {30, 31, 32, 33}), std::vector<std::string>(4));
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    EXPECT_EQ(ResultsFields().Get(1), "55");
    const std::string log = LogBytes();
    EXPECT_NE(log.find("Symmetry\tFactor\tR-sheet\r\n\t\t\r\n\t\t\r\n\t\t\r\n\t\t\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("inf"), std::string::npos);
}

TEST_F(VdpTest, ZeroAverageSkipsTheComputationButEndsNormally) {
    Results().sheetResistance = 55.0;
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0", " 1.0", " -1.0", " 1.0", " -1.0", " 1.0",
                    " 1.0", " 1.0", " -1.0"});
    auto& window = Measured<VanDerPauwRun>();
    EXPECT_EQ(Outcome(), "Ready |  | 0");
    EXPECT_EQ(Results().sheetResistance, 55.0);
    EXPECT_EQ(window.Fields().Get(52), "");
    EXPECT_EQ(ResultsFields().Get(1), "55");
}

TEST_F(VdpTest, BusErrorLeavesSampleResultsAndLogAlone) {
    Settings().LogInclude = 4;
    OpenLog();
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0", " 1.0", " -1.0"}).FailRead();
    Measured<VanDerPauwRun>();
    EXPECT_EQ(Outcome(), "ERROR | GPIB | 1");
    EXPECT_EQ(trace.back(), "R 3 9");
    EXPECT_EQ(Results().flags, 0u);
    EXPECT_EQ(ResultsFields().Get(1), "");
    EXPECT_EQ(LogBytes(), "");
}

TEST_F(VdpTest, OverRangeEndsThroughTheErrorPathWithResultsUpdate) {
    Results().sheetResistance = 12.5;  // an earlier run's result
    Results().measured = MeasurementResults::kResistivityMeasured;
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0", "  >"});
    Measured<VanDerPauwRun>();
    EXPECT_EQ(Outcome(), "ERROR | A/D OverRange | 1");
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    EXPECT_EQ(Results().flags, 1u);
    EXPECT_EQ(ResultsFields().Get(1), "12.5");
}

// The first run of the program fails, or is cancelled: there is no result
// yet, and the panel shows none rather than the record's initial 0. The log
// takes its lines as the run ends, as ever.
TEST_F(VdpTest, AFailedOrCancelledFirstRunLeavesTheResultsEmpty) {
    Specimen().Thickness = 1.0;
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0", "  >"});
    Measured<VanDerPauwRun>();
    EXPECT_EQ(Outcome(), "ERROR | A/D OverRange | 1");
    EXPECT_EQ(ResultsFields().Get(1), "");
    EXPECT_EQ(ResultsFields().Get(2), "");

    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0", " 1.0", " -1.0"});
    onOperation = [](const std::string& line) {
        if (line == "W 3 8 N") State().cancelRequested = true;
    };
    Measured<VanDerPauwRun>();
    EXPECT_EQ(Status().Text(), "Cancelled");
    EXPECT_EQ(ResultsFields().Get(1), "");
    EXPECT_EQ(Results().measured, 0u);
}

TEST_F(VdpTest, AbortBetweenConfigurationsIsCancelled) {
    Bus_().Replies({"100.0", " 0.2", " 0.3", " 1.0", " 1.0", " -1.0"});
    onOperation = [](const std::string& line) {
        if (line == "W 3 8 N") State().cancelRequested = true;
    };
    auto& window = Measured<VanDerPauwRun>();
    EXPECT_EQ(Status().Text(), "Cancelled");
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    EXPECT_EQ(Texts(window.Fields(), {10, 11}), Lines({"+1.641e-02", ""}));  // gain 1, hold 42
    EXPECT_EQ(Results().flags, 1u);
}

TEST_F(BarTest, NegativeSheetResistanceEndsInErrorAndKeepsTheRecord) {
    Specimen().Shape = 1;
    Specimen().Length = 2.0;
    Specimen().Width = 1.0;
    Results().sheetResistance = 55.0;
    Bus_().Replies({"100.0", " 0.4", " 0.2", " 0.2", " 2.0", " -1.0", " 1.0", " -1.0", " 1.0"});
    Measured<BarRun>();

    EXPECT_EQ(Outcome(), "ERROR | Sheet resistance <= 0 | 1");
    EXPECT_EQ(Results().sheetResistance, 55.0);
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
}

TEST_F(BarTest, SequenceSheetResistanceAndLog) {
    Specimen().Shape = 1;
    Specimen().Length = 2.0;
    Specimen().Width = 1.0;
    Settings().LogInclude = 4;
    Status().SetDetail("kept");
    OpenLog();
    Bus_().Replies({"100.0", " 0.4", " 0.2", " 0.2", " 2.0", " 1.0", " -1.0", " 1.0", " -1.0"});
    std::string detailAtStart;
    onOperation = [&](const std::string& line) {
        if (line == "W 3 9 G0H255O0") detailAtStart = Status().Detail();
    };
    auto& window = Measured<BarRun>();

    EXPECT_EQ(Joined(trace),
              Joined(Ops("W 3 8 DI100.0, R 3 13, W 3 9 G0H255O0, W 3 8 P, W 3 7 S56M14, R 3 9, W 3 "
                         "7 S56M23, R 3 9, W 3 7 S56M14, W 3 9 H128, W 3 9 G0, R 3 9, W 3 9 G1, R "
                         "3 9, W 3 9 H84, W 3 7 S56M14, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 "
                         "S56M23, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 S0M77")));
    EXPECT_EQ(detailAtStart, "kept");
    const double volts = 84.0 / 2560.0;
    EXPECT_DOUBLE_EQ(window.VoltageSum(), 4.0 * volts);
    EXPECT_NEAR(Results().sheetResistance, 4.0 * volts * 1.0 / (100e-6 * 4.0 * 2.0), 1e-9);
    EXPECT_EQ(Results().symmetryFactor, 0.0);
    EXPECT_EQ(State().measurementStatus, 0);
    EXPECT_EQ(LogBytes(),
              "*** Bar Resistivity ***\r\nMeas.\t+Vm+\t-Vm-\r\n"
              "14\t+3.281e-02\t-3.281e-02\r\n23\t+3.281e-02\t-3.281e-02\r\n"
              "Sheet Res: (ohms/sq)\t164.1\r\n");
}

}  // namespace
