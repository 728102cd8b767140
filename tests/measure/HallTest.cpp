// The Hall measurement: its arithmetic, the exact instrument traffic of a
// cycle against a scripted bus, and a small model of the electronics for the
// integrating cycle that the operator stops. The
// run is driven on its own; what the window shows, its button and the
// commands that run windows have the run in its THall.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <climits>
#include <cmath>
#include <functional>
#include <map>

#include "CountingWindow.h"
#include "core/FieldSet.h"
#include "bus/GpibBus.h"
#include "measure/HallComputation.h"
#include "measure/HallRun.h"
#include "MeasureTestSupport.h"
#include "core/Printf.h"
#include "measure/RunFrame.h"
#include "core/RunLock.h"
#include "measure/THall.h"
#include "TestRecords.h"

// ---------------------------------------------------------------------------
// Arithmetic and texts

TEST(HallComputation, OffsetStepsTruncateTowardZero) {
    // 0.1 V difference at gain index 1: 0.1 x 10 x 15.0015 = 15.0015; 0.5 / 0.03333 is a hair
    // above 15, so exactly one volt gives 15 steps; absurd readings clamp instead of overflowing.
    const struct {
        double high, low;
        int gain, steps;
    } cases[] = {{0.05, -0.05, 1, 15}, {-0.05, 0.05, 1, -15},       {0.0001, 0.0, 0, 0},
                 {1.0, 0.0, 0, 15},    {1e300, -1e300, 3, INT_MAX}, {-1e300, 0.0, 3, INT_MIN},
                 {NAN, 0.0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(OffsetSteps(c.high, c.low, c.gain), c.steps) << c.high << " " << c.low;
    EXPECT_EQ(Printf("%+.2le", OffsetApplied(15, 1)), "-5.00e-02");
    // No offset reads as +0, in the window and the log block alike.
    EXPECT_EQ(Printf("%+.2le", OffsetApplied(0, 2)), "+0.00e+00");
}

TEST(HallComputation, ReversalCombinationKeepsOnlyTheHallVoltage) {
    // V = sI sB VH + sI VM + VTE + sB VN (North: sB = +1).
    const double vh = -2.5e-3, vm = 4e-2, vte = 1.5e-4, vn = 3e-5;
    const auto v = [&](int sI, int sB) { return sI * sB * vh + sI * vm + vte + sB * vn; };
    EXPECT_NEAR(ConfigurationHallVoltage(v(1, 1), v(-1, 1), v(1, -1), v(-1, -1)), vh, 1e-15);
}

TEST(HallComputation, LogBlockCutsFieldsToFifteenCharacters) {
    FieldSet fields;
    for (int id : {10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22, 23, 24, 25, 26, 27})
        fields.Set(id, Printf("v%d", id));
    fields.Set(13, "0123456789abcdefXYZ");
    EXPECT_EQ(HallLogBlock(fields, "24", "13"),
              "*** Hall ***\r\n"
              "Meas.\t+24+\t-24-\t+13+\t-13-\r\n"
              "Misalignment:\tv10\tv11\tv20\tv21\r\n"
              "Offset applied:\tv12\t\tv22\r\n"
              "V-hall North:\t0123456789abcde\tv14\tv23\tv24\r\n"
              "V-hall South:\tv15\tv16\tv25\tv26\r\n"
              "V-hall mean:\tv17\t\tv27\r\n");
}

// ---------------------------------------------------------------------------
// Runs

namespace {

class HallRunTest : public MeasureTest {
  protected:
    void SetUp() override {
        MeasureTest::SetUp();
        Settings().Current = 100.0;
        Settings().Tesla = 0.5;
        Settings().Cycles = 1;
        Status().SetText("");  // the run itself must say "Ready"
        run = std::make_unique<HallRun>(program);
        hall = run.get();
    }
    void TearDown() override {
        hall = nullptr;
        view.reset();
        run.reset();
        MeasureTest::TearDown();
    }

    template <typename Bus>
    Bus& UseBus(std::unique_ptr<Bus> made) {
        Bus& bus = *made;
        program.SetBus(std::move(made));
        return bus;
    }
    ScriptedBus& Scripted() { return Bus_(); }
    // The buffer amplifier's bytes, in the order they were sent.
    std::vector<int> BufferBytes() const {
        std::vector<int> bytes;
        for (const auto& line : trace)
            if (line.rfind("B ", 0) == 0) bytes.push_back(std::stoi(line.substr(2)));
        return bytes;
    }

    // A motion as the wait dialog sees it: the poll that clears an old
    // request, then the completion byte on the first tick.
    static void Motion(ScriptedBus& bus) { bus.Poll(0).Poll(0x50); }

    // The replies of one cycle that never over-ranges: misalignment readings
    // of 0 (gain 3, offset 0), held readings of 3.0 (fine gain 127) and the
    // final readings chosen so that the field readings come out as `volts`
    // (order: configuration 0 P, N, configuration 1 P, N; North then South).
    static void ScriptCycle(ScriptedBus& bus, const std::vector<double>& volts) {
        bus.Replies({" 0", " 0", " 0", " 0"});
        const double scale = 1000.0 * 256.0 / 127.0;
        for (int position = 0; position < 2; ++position) {
            Motion(bus);
            for (int k = 0; k < 4; ++k)
                bus.Replies({" 3.0", Printf(" %.12g", volts[4 * position + k] * scale)});
        }
        Motion(bus);
    }

    // Field readings of a van der Pauw specimen with Hall voltage vh in both
    // configurations and misalignment, thermal and Nernst voltages.
    static std::vector<double> PhysicalReadings(double vh) {
        std::vector<double> volts;
        for (int sB : {1, -1})
            for (int config = 0; config < 2; ++config)
                for (int sI : {1, -1})
                    volts.push_back(sI * sB * vh + sI * (config ? -3e-4 : 2e-4) + 5e-5 + sB * 1e-5);
        return volts;
    }

    // The current read back, then a full cycle with Hall voltage vh for each
    // of vhs, each followed by the stage's move out.
    void Cycles(std::initializer_list<double> vhs, const char* readBack = "100.0") {
        Scripted().Reply(readBack);
        for (double vh : vhs) ScriptCycle(Scripted(), PhysicalReadings(vh));
        Motion(Scripted());
    }
    // Misalignment readings of 0 and North readings of 1.0, up to the move
    // to South.
    void UpToSouth() {
        ScriptedBus& bus = Scripted();
        bus.Replies({" 0", " 0", " 0", " 0"});
        Motion(bus);
        for (int k = 0; k < 4; ++k) bus.Replies({" 3.0", " 1.0"});
        Motion(bus);
    }

    std::vector<std::string> MagnetCommands() {
        std::vector<std::string> moves;
        for (const std::string& line : Scripted().Log())
            if (line.rfind("W 3 12 ", 0) == 0) moves.push_back(line.substr(7));
        return moves;
    }

    // The run under test in its window, for what the window shows and the
    // commands that run windows.
    THall& UseView() {
        view = std::make_unique<THall>(program);
        hall = &view->Run();
        return *view;
    }

    // The run under test: on its own, or the one in the view.
    std::unique_ptr<HallRun> run;
    std::unique_ptr<THall> view;
    HallRun* hall = nullptr;
};

}  // namespace

TEST_F(HallRunTest, VanDerPauwCycleSendsTheExactSequence) {
    ScriptedBus& bus = Scripted();
    Settings().LogInclude = 8;
    OpenLog();

    bus.Reply("100.0");  // the current read back
    // Misalignment: 24 P over range at gain 3, good at 2; the rest at gain 3.
    bus.Replies({"  >", " 0.5", " -0.2", " 0.1", " -0.1"});
    Motion(bus);
    // North: 24 P over range once at G2O5, so it is read at G1O0.
    bus.Replies({"  >", " 3.0", " 1.0", " 3.0", " -0.6", " 0.2", " 0.5", " 0.2", " -0.3"});
    Motion(bus);
    bus.Replies({" 3.0", " 0.2", " 3.0", " -0.4", " 0.2", " -0.1", " 0.2", " 0.2"});
    Motion(bus);
    Motion(bus);  // closing

    UseView();
    hall->Measure();

    // A held reading at decade gain and offset `gain`, read again at fine
    // gain `fine`; one field position, its first reading given.
    const auto held = [](const std::string& gain, const std::string& fine) {
        return "W 3 9 H170, W 3 9 " + gain + ", R 3 9, W 3 9 H" + fine + ", R 3 9, ";
    };
    const auto position = [&](const std::string& first) {
        return "W 3 7 S31M24, W 3 8 P, " + first + "W 3 8 N, " + held("G2O5", "127") +
               "W 3 7 S24M13, W 3 8 P, " + held("G3O2", "8") + "W 3 8 N, " + held("G3O2", "8");
    };
    const std::vector<std::string> expected =
        Ops("W 3 8 DI100.0, R 3 13, W 3 9 H175O0, "
            // misalignment
            "W 3 7 S31M24, W 3 8 P, W 3 9 G3, R 3 9, W 3 9 G2, R 3 9, W 3 8 N, W 3 9 G3, R 3 9, "
            "W 3 7 S24M13, W 3 8 P, W 3 9 G3, R 3 9, W 3 8 N, W 3 9 G3, R 3 9, "
            // North, its first reading over range once at G2O5 and read at G1O0
            "H, W 3 12 -F, H, " +
            position("W 3 9 H170, W 3 9 G2O5, R 3 9, W 3 9 G1O0, R 3 9, W 3 9 H127, R 3 9, ") +
            // South
            "H, W 3 12 +F+R-F, H, " + position(held("G2O5", "127")) +
            // back, disconnect, stage out
            "H, W 3 12 +F-R, H, W 3 7 S0M77, H, W 3 12 +F, H");
    EXPECT_EQ(bus.Log(), expected);
    EXPECT_EQ(bus.StepsLeft(), 0u);
    EXPECT_TRUE(responder.Asked().empty());

    EXPECT_EQ(hall->Fields().Get(THall::kCycleList), "1 +6.21e-03");

    // (V_H0 + V_H1) / 2 = 0.00620546875 V; / (0.5 T x 100 uA).
    EXPECT_NEAR(hall->HallOverAll(), 0.00620546875, 1e-15);
    EXPECT_NEAR(Results().hallCoefficientRaw, 124.109375, 1e-9);
    EXPECT_EQ(ResultsFields().Get(3), "+124");
    EXPECT_EQ(Outcome(), "Ready |  | 0");
    EXPECT_FALSE(hall->MagnetReversed());

    // The view shows what the run wrote.
    EXPECT_EQ(view->findChild<QLabel*>("field13")->text(), "+4.96e-02");
    EXPECT_EQ(view->findChild<QLabel*>("field2")->text(), "13");
    EXPECT_EQ(view->findChild<QListWidget*>("field40")->count(), 1);
    EXPECT_FALSE(view->findChild<QPushButton*>("button39")->isEnabled());

    // The log block is made from the window's fields: it shows every one.
    // Hand computation: misalignment 0.5 / (100 x 1.463) and -0.2 / (1000 x
    // 1.463); offsets of 5 steps at gain 2 and 2 steps at gain 3; North's
    // first reading 1.0 / (10 x 256 / 127), at the gain it stepped down to.
    const std::string log = LogBytes();
    const std::string block =
        "*** Hall ***\r\n"
        "Meas.\t+24+\t-24-\t+13+\t-13-\r\n"
        "Misalignment:\t+3.42e-03\t-1.37e-04\t+6.84e-05\t-6.84e-05\r\n"
        "Offset applied:\t-1.67e-03\t\t-6.67e-05\r\n"
        "V-hall North:\t+4.96e-02\t-2.98e-03\t+1.56e-05\t-9.37e-06\r\n"
        "V-hall South:\t+9.92e-04\t-1.98e-03\t-3.13e-06\t+6.25e-06\r\n"
        "V-hall mean:\t+1.24e-02\t\t+8.59e-06\r\n";
    EXPECT_EQ(log.substr(0, block.size()), block);
    // The results lines follow the block.
    EXPECT_NE(log.find("Hall Coef: (m2/C)\t+124\r\n", block.size()), std::string::npos);
}

TEST_F(HallRunTest, BridgeUsesTheBarConfigurations) {
    Specimen().Shape = 2;
    Cycles({1e-3});
    hall->Measure();

    EXPECT_EQ(Texts(hall->Fields(), {1, 2}), Lines({"12", "43"}));
    const std::vector<std::string> matrix =
        Ops("W 3 7 S56M12, W 3 7 S56M43, W 3 7 S56M12, W 3 7 S56M43, W 3 7 S56M12, W 3 7 S56M43, W "
            "3 7 S0M77");
    EXPECT_EQ(Scripted().LogStarting("W 3 7"), matrix);
    EXPECT_EQ(State().measurementStatus, 0);
    EXPECT_NEAR(Results().hallCoefficientRaw, 1e-3 / (0.5 * 100e-6), 1e-6);
}

TEST_F(HallRunTest, NoCommandStartsDuringTheClosingMove) {
    ScriptedBus& bus = Scripted();
    bus.Reply("0");  // lid closed
    Cycles({1e-3});
    // The closing stage-out move: its wait serves the window messages, and
    // a contact check clicked then must not start inside the Hall run.
    CountingWindow check(program);
    bool busyDuringMove = false;
    bus.onOperation = [&](const std::string& line) {
        if (line != "W 3 12 +F") return;
        busyDuringMove = State().busy;
        CheckContactsCommand(check);
        ResistivityCommand(nullptr, check, check, {});
    };
    int readings = 0;
    HallCommand(nullptr, UseView(), [&] {
        ++readings;
        EXPECT_TRUE(State().busy);  // still held for the closing reading
    });
    EXPECT_EQ(readings, 1);
    EXPECT_TRUE(busyDuringMove);
    EXPECT_EQ(check.runs, 0);
    EXPECT_FALSE(State().busy);
    EXPECT_EQ(State().measurementStatus, 0);
}

TEST_F(HallRunTest, TheLockHolderRunsANestedMeasurement) {
    ScriptedBus& bus = Scripted();
    bus.Reply("0");
    Cycles({1e-3});
    CountingWindow other(program);
    THall& window = UseView();
    const RunLock scan = RunLock::TryAcquire(program.Core());
    ASSERT_TRUE(scan);
    // Not granted: refused like any command from outside.
    HallCommand(nullptr, window, {});
    EXPECT_EQ(bus.Log().size(), 0u);
    bus.onOperation = [&](const std::string& line) {
        if (line == "W 3 12 +F") CheckContactsCommand(other);
    };
    scan.RunNested([&] { HallCommand(nullptr, window, {}); });
    EXPECT_EQ(State().measurementStatus, 0);
    EXPECT_NEAR(Results().hallCoefficientRaw, 1e-3 / (0.5 * 100e-6), 1e-6);
    // The grant was taken by the Hall run; the click inside it was refused.
    EXPECT_EQ(other.runs, 0);
    EXPECT_EQ(RunLock::Depth(program.Core()), 1);
    EXPECT_TRUE(State().busy);
}

TEST_F(HallRunTest, BufferedPathSwitchesTheCurrentThroughTheAmplifier) {
    Settings().bufferAmplifierMode = true;
    Config().bufferAmplifierInstalled = true;
    ScriptedBus& bus = Scripted();
    Cycles({-1e-3}, "20000.0");  // 100 uA on the first range (x 200)
    hall->Measure();

    EXPECT_EQ(bus.Log()[0], "W 3 8 DI20000.0");
    const std::vector<std::string> matrix = Ops(
        "W 3 7 S58, W 3 7 M24, W 3 7 M13, W 3 7 M24, W 3 7 M13, W 3 7 M24, W 3 7 M13, W 3 7 S0M77");
    EXPECT_EQ(bus.LogStarting("W 3 7"), matrix);
    // Range byte, the configuration bytes of misalignment, North and South,
    // then the disconnect.
    EXPECT_EQ(BufferBytes(), (std::vector<int>{0x21, 146, 168, 146, 168, 146, 168, 128, 64}));
    EXPECT_NEAR(Results().hallCoefficientRaw, -1e-3 / (0.5 * 100e-6), 1e-6);
}

TEST_F(HallRunTest, FailedCycleIsListedAndLeftOutOfTheMean) {
    Settings().Cycles = 3;
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    ScriptCycle(bus, PhysicalReadings(2e-3));
    // Cycle 2: the current saturates on the first North reading.
    bus.Replies({" 0", " 0", " 0", " 0"});
    Motion(bus);
    bus.Reply("S 3.0");
    Motion(bus);  // the stage comes out before the next cycle
    ScriptCycle(bus, PhysicalReadings(4e-3));
    Motion(bus);
    // The window's progress read-out as each cycle begins, the failed one included.
    std::vector<std::string> progress;
    QObject::connect(&hall->Fields(), &FieldSet::changed, [&](int id, const QString& text) {
        if (id == HallRun::kCycleProgress && !text.isEmpty())
            progress.push_back(text.toStdString());
    });
    hall->Measure();

    EXPECT_EQ(progress, (std::vector<std::string>{"Cycle 1 of 3", "Cycle 2 of 3", "Cycle 3 of 3"}));
    EXPECT_EQ(hall->CycleLines(),
              (std::vector<std::string>{"1 +2.00e-03", "Error", "3 +4.00e-03"}));
    EXPECT_EQ(hall->Fields().Get(THall::kCycleList), "1 +2.00e-03\nError\n3 +4.00e-03");
    EXPECT_NEAR(hall->HallOverAll(), 3e-3, 1e-12);
    EXPECT_NEAR(Results().hallCoefficientRaw, 3e-3 / (0.5 * 100e-6), 1e-6);
    // The failed cycle never reached the reversal: only the stage comes out,
    // so the next cycle's misalignment is read outside the field.
    EXPECT_EQ(MagnetCommands(), Ops("-F, +F+R-F, +F-R, -F, +F, -F, +F+R-F, +F-R, +F"));
    EXPECT_EQ(State().measurementStatus, 0);
    EXPECT_EQ(bus.StepsLeft(), 0u);
}

TEST_F(HallRunTest, CycleFailingReversedBringsTheMagnetBackFirst) {
    Settings().Cycles = 2;
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    UpToSouth();       // cycle 1 fails on the first South reading, with the field reversed
    bus.Reply("  >");  // over range at gain 0 after stepping down three times
    bus.Replies({"  >", "  >", "  >"});
    Motion(bus);  // back before the next cycle
    ScriptCycle(bus, PhysicalReadings(-3e-3));
    Motion(bus);
    hall->Measure();

    EXPECT_EQ(hall->CycleLines(), (std::vector<std::string>{"Error", "2 -3.00e-03"}));
    EXPECT_EQ(MagnetCommands(), Ops("-F, +F+R-F, +F-R, -F, +F+R-F, +F-R, +F"));
    // Only the good cycle counts, with its own sign.
    EXPECT_NEAR(Results().hallCoefficientRaw, -3e-3 / (0.5 * 100e-6), 1e-6);
}

TEST_F(HallRunTest, NoCompletedCycleGivesNoResultAndReportsFailure) {
    Results().hallCoefficientRaw = 7.0;
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    bus.Reply("S 1.0");  // the first misalignment reading saturates
    Motion(bus);         // closing
    hall->Measure();

    EXPECT_EQ(hall->CycleLines(), std::vector<std::string>{"Error"});
    EXPECT_EQ(Results().hallCoefficientRaw, 7.0);
    EXPECT_EQ(Results().flags & 2u, 0u);
    // Not "Ready" over a list of errors: the run failed, and says why.
    EXPECT_EQ(Status().Text(), "ERROR");
    EXPECT_EQ(Status().Detail(), "I-meas Saturating");
    // A scan must not take the previous coefficient for this point's.
    EXPECT_EQ(State().measurementStatus, 1);
    EXPECT_EQ(MagnetCommands(), std::vector<std::string>{"+F"});
}

// A motion that fails before a reading leaves the field unknown: the run has
// no result and ends with "Motion Error", not with a cycle listed as failed.
TEST_F(HallRunTest, FailedMotionBeforeAReadingEndsTheRunWithMotionError) {
    for (const bool pollError : {false, true}) {
        Results().hallCoefficientRaw = 7.0;
        ScriptedBus& bus = Scripted();
        bus.ClearLog();
        bus.Reply("100.0");
        bus.Replies({" 0", " 0", " 0", " 0"});  // misalignment
        if (pollError) {
            bus.Poll(0).FailRead("ENOL: no listeners");  // "-F": counted as done
        } else {
            bus.Poll(0).Poll(0x66);  // "-F": SRQ: Motor Timeout
        }
        Motion(bus);  // closing
        hall->Measure();

        EXPECT_EQ(Status().Text(), "ERROR") << pollError;
        EXPECT_EQ(Status().Detail(), "Motion Error") << pollError;
        EXPECT_TRUE(hall->CycleLines().empty()) << pollError;
        EXPECT_EQ(Results().hallCoefficientRaw, 7.0) << pollError;
        EXPECT_EQ(State().measurementStatus, 1) << pollError;
        // No reading after the failed move; the stage is brought out.
        EXPECT_EQ(MagnetCommands(), Ops("-F, +F")) << pollError;
        EXPECT_TRUE(bus.LogStarting("R 3 9").size() == 4u) << pollError;
        EXPECT_EQ(bus.StepsLeft(), 0u) << pollError;
    }
}

// The move back after the last reading does not touch the readings: its
// failure is told by its box and the result stands.
TEST_F(HallRunTest, FailedMotionAfterTheLastReadingKeepsTheResult) {
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    bus.Replies({" 0", " 0", " 0", " 0"});
    const double scale = 1000.0 * 256.0 / 127.0;
    const std::vector<double> volts = PhysicalReadings(-3e-3);
    for (int position = 0; position < 2; ++position) {
        Motion(bus);
        for (int k = 0; k < 4; ++k)
            bus.Replies({" 3.0", Printf(" %.12g", volts[4 * position + k] * scale)});
    }
    bus.Poll(0).Poll(0x66);  // "+F-R" fails
    Motion(bus);             // closing
    hall->Measure();

    EXPECT_EQ(Status().Text(), "Ready");
    EXPECT_EQ(State().measurementStatus, 0);
    EXPECT_NEAR(Results().hallCoefficientRaw, -3e-3 / (0.5 * 100e-6), 1e-6);
}

TEST_F(HallRunTest, ZeroFieldSettingStoresNoInfinity) {
    Settings().Tesla = 0.0;
    Results().hallCoefficientRaw = 7.0;
    Cycles({1e-3});
    hall->Measure();

    EXPECT_EQ(Results().hallCoefficientRaw, 7.0);
    EXPECT_EQ(Outcome(), "ERROR | F.P.Divide By Zero | 1");
    EXPECT_EQ(hall->CycleLines().size(), 1u);
}

TEST_F(HallRunTest, AbortDuringSouthReturnsTheReversedMagnet) {
    Results().hallCoefficientRaw = 7.0;
    Settings().LogInclude = 8;
    OpenLog();
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    UpToSouth();
    Motion(bus);  // closing
    bus.onOperation = [](const std::string& line) {
        if (line == "W 3 12 +F+R-F") State().cancelRequested = true;
    };
    hall->Measure();

    EXPECT_EQ(Outcome(), "Cancelled |  | 1");
    const auto& log = bus.Log();
    const std::vector<std::string> tail(log.end() - 6, log.end());
    EXPECT_EQ(tail, Ops("H, W 3 7 S31M24, W 3 7 S0M77, H, W 3 12 +F-R, H"));
    EXPECT_EQ(Results().hallCoefficientRaw, 7.0);
    EXPECT_TRUE(hall->CycleLines().empty());
    EXPECT_EQ(LogBytes(), "");  // the cycle never ended
    EXPECT_FALSE(hall->MagnetReversed());
}

TEST_F(HallRunTest, AbortDuringNorthTakesTheStageOut) {
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    bus.Replies({" 0", " 0", " 0", " 0"});
    Motion(bus);
    Motion(bus);  // closing
    bus.onOperation = [](const std::string& line) {
        if (line == "W 3 12 -F") State().cancelRequested = true;
    };
    hall->Measure();

    EXPECT_EQ(Status().Text(), "Cancelled");
    EXPECT_EQ(MagnetCommands(), (std::vector<std::string>{"-F", "+F"}));
    EXPECT_EQ(bus.LogStarting("W 3 7").back(), "W 3 7 S0M77");
}

TEST_F(HallRunTest, BusErrorStopsWhereItIsAndTheNextRunRecovers) {
    Results().hallCoefficientRaw = 7.0;
    Settings().LogInclude = 8;
    OpenLog();
    ScriptedBus& bus = Scripted();
    bus.Reply("100.0");
    UpToSouth();
    bus.FailRead();  // the first South reading times out
    hall->Measure();

    EXPECT_EQ(Outcome(), "ERROR | GPIB | 1");
    EXPECT_EQ(bus.Log().back(), "R 3 9");  // nothing after the failing transfer
    EXPECT_TRUE(bus.LogStarting("W 3 7 S0M77").empty());
    EXPECT_EQ(Results().hallCoefficientRaw, 7.0);
    EXPECT_EQ(Results().flags, 0u);
    EXPECT_EQ(LogBytes(), "");
    EXPECT_FALSE(hall->StopEnabled());

    // The magnet was left reversed: the next run brings it back before it
    // reads "North", so its sign is right.
    bus.ClearLog();
    bus.Reply("100.0");
    Motion(bus);
    ScriptCycle(bus, PhysicalReadings(-1e-3));
    Motion(bus);
    hall->Measure();
    EXPECT_EQ(MagnetCommands(), Ops("+F-R, -F, +F+R-F, +F-R, +F"));
    EXPECT_EQ(Outcome(), "Ready |  | 0");
    EXPECT_NEAR(Results().hallCoefficientRaw, -1e-3 / (0.5 * 100e-6), 1e-6);
}

TEST_F(HallRunTest, StopButtonStaysDisabledWithoutIntegration) {
    Settings().Cycles = 2;
    std::vector<bool> enabled;
    QObject::connect(hall, &HallRun::stopEnabledChanged, [&](bool on) { enabled.push_back(on); });
    Cycles({1e-3, 1e-3});
    Scripted().onOperation = [&](const std::string& line) {
        if (line == "W 3 12 -F") hall->StopThisCycle();  // a disabled button cannot be pressed
    };
    hall->Measure();
    EXPECT_TRUE(enabled.empty());
    EXPECT_EQ(hall->CycleLines().size(), 2u);
}

TEST_F(HallRunTest, NoInstrumentOnlyShowsTheLabels) {
    Config().noInstrument = true;
    Specimen().Shape = 1;
    hall->Measure();
    EXPECT_EQ(Texts(hall->Fields(), {1, 2}), Lines({"12", "43"}));
    EXPECT_TRUE(Scripted().Log().empty());
}

// ---------------------------------------------------------------------------
// Against a model of the electronics

namespace {

// The Hall electronics reduced to what a Hall run needs: the switching
// matrix's voltage pair, the current direction, decade and fine gain and the
// offset, the stage and the magnet. A reading is the specimen's voltage for
// the present state, plus the offset, times the gain.
class HallRig : public ScriptedBus {
  public:
    struct Pair {
        double hall, misalignment;
    };
    std::map<std::string, Pair> pairs;  // by voltage pair "M24", ...
    double thermal = 4e-5, nernst = 2e-5;
    std::vector<std::string> writes;
    std::function<void(const std::string&)> onWrite;

    bool Open() override { return false; }
    void Write(int, int secondary, const std::string& text) override {
        writes.push_back(std::to_string(secondary) + " " + text);
        if (onWrite) onWrite(text);
        if (secondary == 7) {
            const auto m = text.find('M');
            if (m != std::string::npos) pair_ = text.substr(m, 3);
        } else if (secondary == 8) {
            if (text == "P" || text == "N") direction_ = text == "P" ? 1 : -1;
            const auto i = text.find('I');
            if (i != std::string::npos) current_ = std::stod(text.substr(i + 1));
        } else if (secondary == 9) {
            Voltmeter(text);
        } else if (secondary == 12) {
            motion_ = text;
        }
    }
    std::string Read(int, int secondary, int) override {
        if (secondary == 13) return Printf("%.1f", current_);
        const auto found = pairs.find(pair_);
        const Pair p = found == pairs.end() ? Pair{0, 0} : found->second;
        const int field = stageIn_ ? (reversed_ ? -1 : 1) : 0;
        const double volts = direction_ * field * p.hall + direction_ * p.misalignment + thermal +
                             field * nernst - 0.03333 * offset_ / DecadeFactor(gain_);
        const double reading = volts * DecadeFactor(gain_) * 256.0 / hold_;
        if (std::fabs(reading) > 6.0) return "  >";
        return Printf(" %.12g", reading);
    }
    int SerialPoll(int, int) override { return 0; }
    int PollHall() override {
        if (motion_.empty()) return 0;
        for (std::size_t k = 0; k + 1 < motion_.size(); k += 2) {
            const std::string move = motion_.substr(k, 2);
            if (move == "+F") stageIn_ = false;
            if (move == "-F") stageIn_ = true;
            if (move == "+R") reversed_ = true;
            if (move == "-R") reversed_ = false;
        }
        motion_.clear();
        return 0x50;
    }

  private:
    void Voltmeter(const std::string& text) {
        std::size_t k = 0;
        while (k < text.size()) {
            const char item = text[k++];
            std::size_t used = 0;
            const int value = std::stoi(text.substr(k), &used);
            k += used;
            if (item == 'G') gain_ = value;
            if (item == 'H') hold_ = value;
            if (item == 'O') offset_ = value;
        }
    }

    std::string pair_;
    int direction_ = 1;
    double current_ = 0.0;
    int gain_ = 0, hold_ = 255, offset_ = 0;
    bool stageIn_ = false, reversed_ = false;
    std::string motion_;
};

}  // namespace

TEST_F(HallRunTest, StopThisCycleFinishesTheRunningCycleWithIntegration) {
    HallRig& rig = UseBus(std::make_unique<HallRig>());
    rig.pairs["M24"] = {-1e-3, 1e-2};
    rig.pairs["M13"] = {-1e-3, 1e-2};
    Settings().Cycles = 3;
    Settings().Integrations = 1;
    UseView();
    std::vector<bool> enabled;
    QObject::connect(hall, &HallRun::stopEnabledChanged, [&](bool on) { enabled.push_back(on); });
    bool buttonEnabled = false;
    rig.onWrite = [&](const std::string& text) {
        if (text != "+F+R-F") return;
        auto* button = view->findChild<QPushButton*>("button39");
        buttonEnabled = button->isEnabled();
        button->click();
    };
    hall->Measure();

    EXPECT_TRUE(buttonEnabled);
    EXPECT_EQ(hall->CycleLines().size(), 1u);
    EXPECT_EQ(enabled, (std::vector<bool>{true, false}));
    EXPECT_FALSE(hall->StopEnabled());
    // The stopped cycle ended normally: magnet back, stage out, result stored.
    EXPECT_EQ(rig.writes.back(), "12 +F");
    EXPECT_NEAR(Results().hallCoefficientRaw, -1e-3 / (0.5 * 100e-6), 1e-3);
    EXPECT_EQ(State().measurementStatus, 0);
}
