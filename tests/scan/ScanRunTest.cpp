// The scan run without a window: its states, buttons and ticks, its current
// search, failed readings, over its own model and a stage that follows its
// set-point. Runs under a QCoreApplication: a widget made anywhere in the
// run's sequence aborts this program.
#include "ScanRunFixture.h"

#include "bus/GpibBus.h"
#include "scan/ScanRunCurrent.h"
#include "TestProgram.h"

namespace {

// ---------------------------------------------------------------------------
// The scan's current search against a specimen of a fixed resistance

class CurrentSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ResetScanState();
        auto made = std::make_unique<ResistorBus>();
        bus = made.get();
        program.SetBus(std::move(made));
        Prompt::SetResponder(&responder);
        Specimen().Shape = 0;
        Settings().TargVrVDP = 50;  // mV
        Settings().Current = 10.0, Settings().bufferAmplifierMode = false;
    }
    void TearDown() override {
        Prompt::SetResponder(nullptr);
        program.SetBus(nullptr);
        ResetScanState();
    }
    ProgramState program;
    ResistorBus* bus = nullptr;
    Prompt::ScriptedResponder responder;
};

TEST_F(CurrentSearch, ScalesTheCurrentUntilVrIsWithinTenPercentAndDisconnects) {
    bus->ohms = 1000.0;  // 50 mV at 50 uA
    EXPECT_EQ(ScanCurrent::Search(program, nullptr), ScanCurrent::kFound);
    EXPECT_NEAR(Settings().Current, 50.0, 5.0);
    EXPECT_EQ(::State().measurementStatus, 0);
    EXPECT_EQ(bus->LogStarting("W 3 9").front(), "W 3 9 G0H64O0");
    EXPECT_EQ(bus->LogStarting("W 3 7").front(), "W 3 7 S12M43");
    EXPECT_EQ(bus->LogStarting("W 3 7").back(), "W 3 7 S0M77");
}

TEST_F(CurrentSearch, NoVoltageStepsTheCurrentUpInsteadOfDividingByZero) {
    bus->ohms = 0.0;
    const auto result = ScanCurrent::Search(program, nullptr);
    // Ten times per try until the source's maximum stops it.
    EXPECT_EQ(result, ScanCurrent::kAboveStandard);
    EXPECT_TRUE(std::isfinite(Settings().Current));
}

TEST_F(CurrentSearch, AnOverRangeHalvesTheCurrent) {
    bus->ohms = 1000.0;
    bus->overRange = 4.0 * 1000.0 * 12e-6;  // over range above 12 uA
    Settings().Current = 40.0;
    const auto result = ScanCurrent::Search(program, nullptr);
    EXPECT_EQ(result, ScanCurrent::kTriesUsed);  // 50 uA is never reachable
    EXPECT_LE(Settings().Current, 24.0);
}

TEST_F(CurrentSearch, AnErrorEndsTheSearchOnceWithItsMessage) {
    bus->onOperation = [](const std::string& line) {
        if (line == "R 3 9") throw xgpib("GPIB read failed");
    };
    EXPECT_EQ(ScanCurrent::SetCurrentForPoint(program, nullptr), ScanCurrent::kFailed);
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "Exception:");
}

TEST_F(CurrentSearch, BelowTheStandardMinimumSwitchesOnlyWithAnInstalledAmplifierAndOnce) {
    bus->ohms = 1e9;  // needs a picoampere current
    Config().bufferAmplifierInstalled = false;
    EXPECT_EQ(ScanCurrent::SetCurrentForPoint(program, nullptr), ScanCurrent::kBelowStandard);
    EXPECT_FALSE(Settings().bufferAmplifierMode);

    Config().bufferAmplifierInstalled = true;
    Settings().Current = 10.0;
    const auto result = ScanCurrent::SetCurrentForPoint(program, nullptr);
    EXPECT_TRUE(Settings().bufferAmplifierMode);
    EXPECT_EQ(Settings().Iunits, 2);
    EXPECT_NE(result, ScanCurrent::kBelowStandard);
    Config().bufferAmplifierInstalled = false;
}

TEST(ScanCurrentText, UnitFollowsTheSize) {
    EXPECT_EQ(ScanCurrent::CurrentText(1500.0), "1.5 mA");
    EXPECT_EQ(ScanCurrent::CurrentText(1000.0), "1000.0 \u00b5A");
    EXPECT_EQ(ScanCurrent::CurrentText(1.0), "1000.0 nA");
    EXPECT_EQ(ScanCurrent::CurrentText(0.0005), "500.0 pA");
}

// ---------------------------------------------------------------------------
// The run's states and ticks, with a stage that follows its set-point

TEST_F(ScanRunTest, StatesLabelsAndEnablingFollowTheRun) {
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanSetup, "Setup"}));
    Plan(300, 100, 3);
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanStart, "Start"}));
    EXPECT_EQ(Enabled({ScanRun::kCloseButton, ScanRun::kForceButton}),
              (std::vector<bool>{true, false}));
    run->PressMain();
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanPause, "Pause"}));
    EXPECT_EQ(stage.modes, (std::vector<int>{1, 0, 0}));  // take over, prepare, the first point
    EXPECT_EQ(Enabled({ScanRun::kCloseButton, ScanRun::kNewRunButton, ScanRun::kForceButton,
                       ScanRun::kNextButton}),
              (std::vector<bool>{false, false, true, true}));
    EXPECT_TRUE(run->Running());
    EXPECT_EQ(run->Fields().Get(ScanRun::kSetField), "300.0");
    EXPECT_EQ(run->Fields().Get(ScanRun::kPointField), "1");
    run->PressMain();
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanResume, "Resume"}));
    EXPECT_FALSE(run->TimerActive());
    EXPECT_FALSE(live->SetPointMarkerShown());
    EXPECT_FALSE(run->Running());
}

TEST_F(ScanRunTest, HotStageIsGivenWholeKelvinAndItsPointsAreReached) {
    // 300 to 352 K in equal 1/T: the middle point is planned at 323.93 K.
    Plan(300, 352, 3, true);
    run->PressMain();
    RunToTheEnd();
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanFinished, ""}));
    EXPECT_EQ(run->Done(), 3);
    ASSERT_GE(stage.given.size(), 2u);
    EXPECT_EQ(stage.given[1], 323.0);
    EXPECT_FALSE(run->Enabled(ScanRun::kMainButton));
    EXPECT_EQ(Lines(), 5 + 3);
    EXPECT_EQ(sent, (std::vector<int>{51, 52, 51, 52, 51, 52}));
    // Each measurement ran inside the scan's lock, granted to it.
    for (bool granted : nestedGranted) EXPECT_TRUE(granted);
    EXPECT_FALSE(RunLock::Held(program.Core()));
}

TEST_F(ScanRunTest, HallFailurePausesAndResumeMeasuresThePointAgain) {
    failHall = 2;  // the second point's Hall run fails
    Plan(300, 320, 3);
    run->PressMain();
    RunToTheEnd();
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanResume, "Resume"}));
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].text, "Hall Failed");
    EXPECT_EQ(run->Done(), 1);
    EXPECT_TRUE(run->Enabled(ScanRun::kMainButton));
    run->PressMain();
    EXPECT_EQ(run->CurrentSlot(), 1);
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(Lines(), 5 + 3);
}

TEST_F(ScanRunTest, ResistivityOnlySkipsHallAndACommandThatNeverRanFails) {
    Scan().ResOnly = true;
    Plan(300, 320, 3);
    run->PressMain();
    RunToTheEnd();
    EXPECT_EQ(sent, (std::vector<int>{51, 51, 51}));
    EXPECT_TRUE(live->ResistivityOnly());
    // A sender that does not run the command (a lid left open) leaves no
    // success behind: the point is not taken.
    run->SetCommandSender([](int) {});
    Scan().ResOnly = false;
    Plan(300, 320, 3);
    run->PressMain();
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanResume);
    EXPECT_EQ(responder.Asked().back().text, "Resistivity Failed");
    EXPECT_EQ(run->Done(), 0);
}

TEST_F(ScanRunTest, NextTempSkipsPointsAndOnTheLastOneFinishesAtRoomTemperature) {
    Scan().ReturnRoomTemp = true;
    stage.offset = 50.0;  // never within the margin
    Plan(300, 320, 3);
    run->PressMain();
    for (int i = 0; i < 3; ++i) {
        run->Tick();
        run->PressNextTemp();
    }
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(run->Done(), 3);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(Lines(), 5);  // no line for a skipped point
    EXPECT_EQ(stage.modes.back(), 2);
    EXPECT_EQ(stage.given.back(), 293.0);
}

TEST_F(ScanRunTest, ForceMeasMeasuresAtTheNextTickWhateverTheTemperature) {
    stage.offset = 50.0;
    Plan(300, 320, 3);
    run->PressMain();
    run->Tick();
    EXPECT_TRUE(sent.empty());
    run->PressForce();
    run->Tick();
    EXPECT_EQ(sent, (std::vector<int>{51, 52}));
    EXPECT_EQ(run->Done(), 1);
}

TEST_F(ScanRunTest, DemoModeStartDoesNothing) {
    Config().noInstrument = true;
    Plan(300, 100, 3);
    run->PressMain();
    EXPECT_EQ(run->State(), kScanStart);
    EXPECT_TRUE(stage.modes.empty());
    Config().noInstrument = false;
}

TEST_F(ScanRunTest, AbortDuringTheCurrentSearchLeavesTheScanWaitingForPause) {
    auto made = std::make_unique<ResistorBus>();
    program.SetBus(std::move(made));
    Scan().AutoSetIm = true;
    Plan(300, 320, 3);
    run->PressMain();
    // The abort arrives while the search reads.
    static_cast<ScriptedBus&>(program.Bus()).onOperation = [](const std::string& line) {
        if (line == "R 3 9") ::State().cancelRequested = true;
    };
    run->Tick();
    EXPECT_TRUE(run->AbortedInSearch());
    EXPECT_EQ(run->State(), kScanPause);
    EXPECT_FALSE(run->TimerActive());
    EXPECT_FALSE(run->Running());
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(run->Done(), 0);
    EXPECT_EQ(Enabled({ScanRun::kMainButton, ScanRun::kForceButton, ScanRun::kNextButton}),
              (std::vector<bool>{true, false, false}));
    run->PressMain();
    EXPECT_EQ(run->State(), kScanResume);
    program.SetBus(nullptr);
}

// ---------------------------------------------------------------------------
// Failed temperature readings: never a point's temperature, and a stage that
// stops answering pauses the scan

TEST_F(ScanRunTest, AFailedReadingAfterTheMeasurementWaitsForTheNextGoodOne) {
    failAfterHall = 3;  // the last point's temperature read fails
    Plan(300, 320, 3);
    run->PressMain();
    RunToTheEnd(3);  // a point a tick
    EXPECT_EQ(run->Done(), 2);
    EXPECT_EQ(run->Fields().Get(ScanRun::kSampleField), "Error");
    stage.failing = 1;
    run->Tick();
    EXPECT_EQ(run->Done(), 2);
    EXPECT_EQ(FileTemperatures(), (std::vector<double>{300.2, 310.2}));
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    // The point took the first good reading; it was not measured again.
    EXPECT_EQ(run->Measurements(), 3);
    EXPECT_EQ(FileTemperatures(), (std::vector<double>{300.2, 310.2, 320.2}));
    EXPECT_TRUE(responder.Asked().empty());
}

// The ITC5's drift test with the late reading: too far from T0, the point is
// measured again.
TEST_F(ScanRunTest, ALateReadingThatDriftedMeasuresThePointAgain) {
    FollowingStage itc{program, ControllerKind::ITC5};
    run.reset();
    run = std::make_unique<ScanRun>(program, itc);
    run->SetCommandSender([&](int id) {
        sent.push_back(id);
        ::State().measurementStatus = 0;
        if (id == 52 && sent.size() == 2) itc.failing = 1;
        itc.ReadTemperature();
        if (sent.size() == 2) itc.offset = 5.0;  // the stage moves meanwhile
    });
    Plan(300, 320, 3);
    run->PressMain();
    StabilizationState().driftMargin = 2.0;
    StabilizationState().sampleMargin = 2.0;
    run->Tick();  // 300.2 K: measured, its temperature not read
    EXPECT_EQ(sent, (std::vector<int>{51, 52}));
    EXPECT_EQ(run->Done(), 0);
    run->Tick();  // 305 K: 4.8 K from T0, so measured again, at 305 K
    EXPECT_EQ(sent, (std::vector<int>{51, 52, 51, 52}));
    EXPECT_EQ(run->Done(), 1);
    EXPECT_EQ(FileTemperatures(), (std::vector<double>{305.0}));
    run.reset();
}

TEST_F(ScanRunTest, FailingReadingsHoldThePointAndForceMeasAndPauseAfterSixtySeconds) {
    Plan(300, 320, 3);
    run->PressMain();
    stage.failing = 1000;  // the line dies
    run->PressForce();
    for (; now < 59.0; now += 5.0) run->Tick();
    // No point from a failed reading, however long and even when forced.
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(run->Fields().Get(ScanRun::kSampleField), "Error");
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanPause, "Pause"}));
    now = 60.0;
    run->Tick();
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanResume, "Resume"}));
    EXPECT_FALSE(run->TimerActive());
    EXPECT_FALSE(run->Running());  // an automated run waiting on the scan goes on
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "Temperature Scan");
    EXPECT_EQ(responder.Asked()[0].text,
              "No temperature from the hot stage for 60 s: the scan is paused.\n"
              "The stage's reply \"#\" carries no temperature.");
    EXPECT_EQ(FileTemperatures(), std::vector<double>{});

    // Resume tries again: the same point, its own 60 s.
    run->PressMain();
    EXPECT_EQ(run->CurrentSlot(), 0);
    now += 59.0;
    run->Tick();
    EXPECT_EQ(run->State(), kScanPause);
    stage.failing = 0;  // the stage answers again
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(FileTemperatures(), (std::vector<double>{300.2, 310.2, 320.2}));
    EXPECT_EQ(responder.Asked().size(), 1u);
}

TEST_F(ScanRunTest, AGoodReadingStartsTheSixtySecondsAfresh) {
    stage.offset = 50.0;  // never ready: the scan only reads
    Plan(300, 320, 3);
    run->PressMain();
    for (int i = 0; i < 20; ++i, now += 10.0) {
        stage.failing = i % 6 == 5 ? 0 : 1;  // one good reading in six, 50 s apart
        run->Tick();
    }
    EXPECT_EQ(run->State(), kScanPause);
    EXPECT_TRUE(responder.Asked().empty());
}

}  // namespace

TEST(ScanTimeLeft, HoursAndMinutesRoundedUp) {
    EXPECT_EQ(HoursMinutes(0.0), "0:00");
    EXPECT_EQ(HoursMinutes(1.0), "0:01");
    EXPECT_EQ(HoursMinutes(60.0), "0:01");
    EXPECT_EQ(HoursMinutes(61.0), "0:02");
    EXPECT_EQ(HoursMinutes(3600.0), "1:00");
    EXPECT_EQ(HoursMinutes(100.0 * 3600.0 + 59.5 * 60.0), "101:00");
    EXPECT_EQ(HoursMinutes(1e300), "99999:59");
    EXPECT_EQ(HoursMinutes(-5.0), "0:00");
    EXPECT_EQ(HoursMinutes(std::nan("")), "0:00");
}
