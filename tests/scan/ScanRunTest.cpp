#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "bus/GpibBus.h"
#include "scan/GraphLook.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "scan/ScanRun.h"
#include "scan/ScanRunCurrent.h"
#include "records/ScanSettings.h"
#include "scan/ScanState.h"
#include "ScriptedBus.h"
#include "core/SpecimenData.h"
#include "scan/TScanAcq.h"
#include "scan/TSetupTemp.h"
#include "temperature/TTemp.h"
#include "scan/TScanDlg.h"
#include "temperature/Itc5Func.h"
#include "platform/FileRegistryStore.h"
#include "temperature/PidRegistry.h"
#include "platform/RegistryStore.h"
#include <QPushButton>
#include <QTimer>
#include "platform/TimeScale.h"

namespace {

// ---------------------------------------------------------------------------
// The set-up's checks

TEST(ScanSetup, ChecksStartStopAndPointsInOrderWithinTheControllersLimits) {
    ScanSetup s;
    const std::pair<std::array<const char*, 3>, int> refused[] = {
        {{"76", "100", "2"}, TSetupTemp::kStart},    {{"300", "551", "2"}, TSetupTemp::kStop},
        {{"300", "100", "2"}, TSetupTemp::kPoints},  {{"300", "100", "101"}, TSetupTemp::kPoints},
        {{"300.5", "100", "3"}, TSetupTemp::kStart}, {{"300", "", "3"}, TSetupTemp::kStop}};
    for (const auto& [f, field] : refused)
        EXPECT_EQ(CheckScanSetup(f[0], f[1], f[2], 77, 550, s), field)
            << ::testing::PrintToString(f);
    EXPECT_EQ(CheckScanSetup("77", " 550 ", "100", 77, 550, s), 0);
    EXPECT_EQ((std::vector<int>{s.start, s.stop, s.points}), (std::vector<int>{77, 550, 100}));
    EXPECT_FALSE(WholeNumberText("99999999999"));
    EXPECT_EQ(WholeNumberText("-20"), -20);
}

class SetupDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        Scan() = ScanSettings{};
        Prompt::SetResponder(&responder);
    }
    void TearDown() override { Prompt::SetResponder(nullptr); }
    Prompt::ScriptedResponder responder;
};

TEST_F(SetupDialog, RefusedPointsKeepTheDialogOpenWithTheFocusOnThem) {
    TSetupTemp dialog(nullptr, 77, 550);
    dialog.show();
    dialog.Fields().Set(TSetupTemp::kPoints, "2");
    dialog.accept();
    EXPECT_EQ(dialog.Refused(), TSetupTemp::kPoints);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QLineEdit*>("field105"));
    EXPECT_EQ(Scan().ScanNpoints, 0);  // nothing stored
}

TEST_F(SetupDialog, OkStoresAllSevenFieldsAndShowsThemNextTime) {
    {
        TSetupTemp dialog(nullptr, 77, 550);
        dialog.Fields().Set(TSetupTemp::kStart, "290");
        dialog.Fields().Set(TSetupTemp::kStop, "80");
        dialog.Fields().Set(TSetupTemp::kPoints, "7");
        for (const char* name : {"button104", "button106", "button107", "button108"})
            dialog.findChild<QAbstractButton*>(name)->click();
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    const ScanSettings& sc = Scan();
    EXPECT_EQ((std::vector<int>{sc.ScanTstart, sc.ScanTstop, sc.ScanNpoints}),
              (std::vector<int>{290, 80, 7}));
    EXPECT_TRUE(sc.ScanInverse && sc.ResOnly && sc.ReturnRoomTemp && sc.AutoSetIm);
    TSetupTemp again(nullptr, 77, 550);
    EXPECT_EQ(again.Fields().Get(TSetupTemp::kPoints), "7");
    EXPECT_TRUE(again.findChild<QAbstractButton*>("button104")->isChecked());
}

// ---------------------------------------------------------------------------
// The scan's current search against a specimen of a fixed resistance

// The Hall electronics with one resistor: Vr follows the current the
// source was given; readings above `overRange` volts are over range.
class ResistorBus : public ScriptedBus {
  public:
    double ohms = 1000.0;    // Vr per ampere, as the search computes it
    double overRange = 1e9;  // volts at the voltmeter
    int readings = 0;
    std::string Read(int primary, int secondary, int size) override {
        if (primary != 3) return ScriptedBus::Read(primary, secondary, size);
        if (onOperation) onOperation(Printf("R %d %d", primary, secondary));
        if (secondary == 13) return Printf("%.7g", source_);
        if (secondary == 9) {
            ++readings;
            // Vr (mV) = (vP - vN) / (4 * 0.002): each reading is +-4 Vr/1000 / 2.
            const double volts = ohms * source_ * 1e-6 * 4.0 * (positive_ ? 1 : -1);
            if (std::fabs(volts) > overRange) return "N+>";
            return Printf("N%+.6E", volts);
        }
        return ScriptedBus::Read(primary, secondary, size);
    }
    void Write(int primary, int secondary, const std::string& text) override {
        ScriptedBus::Write(primary, secondary, text);
        if (primary != 3 || secondary != 8) return;
        if (text == "P") positive_ = true;
        if (text == "N") positive_ = false;
        if (text.size() > 2 && text[1] == 'I') source_ = std::atof(text.c_str() + 2);
    }

  private:
    double source_ = 0.0;
    bool positive_ = true;
};

class CurrentSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        program.Install();
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

class FollowingStage : public TTempCon {
  public:
    FollowingStage(ProgramState& program, ControllerKind kind)
        : TTempCon(kind, program.Instruments().Bus(), program.Config()) {}
    void SetTemperature(double k) override {
        setPoint_ = k;
        given.push_back(k);
    }
    void ReadTemperature() override {
        ++reads;
        if (failing > 0) {
            // As the controllers absorb a failed reading: "Error" and 0 K.
            --failing;
            present_ = 0.0;
            SetReadingText("Error");
            ReadingFailed("The stage's reply \"#\" carries no temperature.");
            return;
        }
        present_ = setPoint + offset;
        SetReadingText(Printf("%.1f", present));
        ReadingSucceeded();
    }
    int failing = 0;  // readings still to fail
    int reads = 0;
    void SetControl(int mode, int) override { modes.push_back(mode); }
    double offset = 0.2;
    std::vector<double> given;
    std::vector<int> modes;
};

class ScanRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program.Install();
        ResetScanState();
        TimeScale::SetFactor(0.001);
        ASSERT_TRUE(folder.isValid());
        Style() = DefaultGraphStyle();
        Scan() = ScanSettings{};
        Scan().DataDir = folder.path().toStdString();
        Prompt::SetResponder(&responder);
        live = std::make_unique<TScanAcq>(&stage);
        live->resize(640, 440);
        run = std::make_unique<ScanRun>(program, stage, *live);
        run->SetCommandSender([this](int id) {
            sent.push_back(id);
            nestedGranted.push_back(RunLock::Held() && RunLock::CanStart());
            ::State().measurementStatus = (id == 52 && failHall > 0 && --failHall == 0) ? 1 : 0;
            Results().symmetryFactor = 1.0;
            // The commands end by reading the temperature, as the program's do.
            if (id == 52 && failAfterHall > 0 && --failAfterHall == 0) stage.failing = 1;
            stage.ReadTemperature();
        });
        run->SetClock([this] { return now; });
    }
    void TearDown() override {
        run.reset();
        Prompt::SetResponder(nullptr);
        TimeScale::SetFactor(1.0);
        ResetScanState();
    }
    void Plan(int start, int stop, int points, bool inverse = false) {
        Scan().ScanTstart = start, Scan().ScanTstop = stop, Scan().ScanNpoints = points;
        Scan().ScanInverse = inverse;
        run->AcceptSetup();
    }
    // Ticks until the scan stops running (or a bound is reached).
    void RunToTheEnd(int bound = 1000) {
        for (int i = 0; i < bound && run->State() == kScanPause && run->TimerActive(); ++i)
            run->Tick();
    }
    // The run's state and its main button's label.
    std::pair<int, std::string> Phase() const {
        return {run->State(), run->Fields().Get(ScanRun::kMainButton)};
    }
    // Which of the buttons are enabled, in the order asked.
    std::vector<bool> Enabled(std::initializer_list<int> buttons) const {
        std::vector<bool> enabled;
        for (int b : buttons) enabled.push_back(run->Enabled(b));
        return enabled;
    }
    int Lines() {
        std::ifstream in(TScanAcq::WorkingFile(), std::ios::binary);
        int n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    }

    ProgramState program;
    QTemporaryDir folder;
    Prompt::ScriptedResponder responder;
    FollowingStage stage{program, ControllerKind::HotStage};
    std::unique_ptr<TScanAcq> live;
    std::unique_ptr<ScanRun> run;
    std::vector<int> sent;
    std::vector<bool> nestedGranted;
    int failHall = 0;
    int failAfterHall = 0;  // the reading after this Hall run fails
    double now = 0.0;       // the run's clock, rack seconds
};

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
    EXPECT_FALSE(RunLock::Held());
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

// The temperatures of the file's point lines.
std::vector<double> FileTemperatures() {
    std::ifstream in(TScanAcq::WorkingFile(), std::ios::binary);
    std::vector<double> temperatures;
    int n = 0;
    for (std::string line; std::getline(in, line);)
        if (++n > 5) temperatures.push_back(std::atof(line.c_str()));
    return temperatures;
}

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
    TScanAcq itcLive(&itc);
    run = std::make_unique<ScanRun>(program, itc, itcLive);
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

// The ITC5 on a scripted bus: its readings stay at 293 K, the status reply
// gives automatic mode 3; each sensor switch calls `onSwitch` at its "$A0"
// and "$H" writes, that is, just before each of its two waits.
class Itc5Bus : public ScriptedBus {
  public:
    Itc5Bus() { SetDefaultReply(""); }
    void ItcWrite(const std::string& text) override {
        ScriptedBus::ItcWrite(text);
        last_ = text;
        if ((text == "$A0" || text.rfind("$H", 0) == 0) && onSwitch) onSwitch();
    }
    std::string ItcRead() override {
        ScriptedBus::ItcRead();  // logged; the script is left empty
        return last_ == "X" ? "X0A3C1S0H1" : "R+2930";
    }
    std::function<void()> onSwitch;

  private:
    std::string last_;
};

TEST_F(ScanRunTest, PressesInsideTheItc5SensorSwitchDoNothing) {
    TimeScale::SetFactor(0.1);  // each of the switch's waits takes 25 ms
    SetRegistry(std::make_unique<FileRegistryStore>(folder.filePath("Hall.reg").toStdString()));
    const std::string key = PidTableKey(ControllerKind::ITC5);
    ASSERT_TRUE(Registry().Set(key + "\\2",
                               PidEntryValues(ControllerKind::ITC5, Tpid{2, 1, 1, 1, 1, 1, 1})));
    ASSERT_TRUE(Registry().SetDword(key, kTchangeName, 100));
    auto made = std::make_unique<Itc5Bus>();
    Itc5Bus* bus = made.get();
    program.SetBus(std::move(made));
    ITC5Func itc(program.Instruments().Bus(), program.Config());
    ASSERT_EQ(itc.tchange, 100.0);
    run.reset();
    TScanAcq itcLive(&itc);
    itcLive.resize(640, 440);
    run = std::make_unique<ScanRun>(program, itc, itcLive);
    TScanDlg panel(*run);

    Plan(80, 140, 3);  // 80, 110, 140 K: the second point switches to the sample sensor
    run->PressMain();
    run->Tick();  // 293 K: far from 80, the scan waits
    EXPECT_EQ(run->Fields().Get(ScanRun::kSampleField), "293.0");
    ASSERT_EQ(run->State(), kScanPause)
        << (responder.Asked().empty() ? "" : responder.Asked()[0].text);

    // Every plan-changing button pressed, on the panel and on the run,
    // inside each of the switch's waits.
    std::vector<std::string> seen;
    bus->onSwitch = [&] {
        QTimer::singleShot(0, [&] {
            std::string enabled;
            for (int id : {ScanRun::kNextButton, ScanRun::kForceButton, ScanRun::kMainButton,
                           ScanRun::kNewRunButton}) {
                auto* button = panel.findChild<QPushButton*>(QString("button%1").arg(id));
                enabled += button && button->isEnabled() ? "1" : "0";
                if (button) button->click();
            }
            run->PressNextTemp();
            run->PressForce();
            run->PressMain();
            run->PressNewRun();
            seen.push_back(enabled + (run->Moving() ? " moving" : ""));
        });
    };
    bus->ClearLog();
    run->PressNextTemp();
    bus->onSwitch = nullptr;

    EXPECT_EQ(seen, (std::vector<std::string>{"0000 moving", "0000 moving"}));
    // The stage, the panel and the plan agree on the second point.
    std::vector<std::string> setPoints;
    for (const auto& line : bus->Log())
        if (line.rfind("IW $T", 0) == 0) setPoints.push_back(line);
    EXPECT_EQ(setPoints, (std::vector<std::string>{"IW $T110.0"}));
    EXPECT_DOUBLE_EQ(itc.setPoint, 110.0);
    EXPECT_TRUE(itc.sampleSensor);
    EXPECT_EQ(run->CurrentSlot(), 1);
    EXPECT_EQ(run->Fields().Get(ScanRun::kPointField), "2");
    EXPECT_EQ(run->Fields().Get(ScanRun::kSetField), "110.0");
    EXPECT_EQ(Phase(), (std::pair<int, std::string>{kScanPause, "Pause"}));
    EXPECT_TRUE(run->TimerActive());
    EXPECT_TRUE(sent.empty());
    // Once the stage has its point the buttons work again.
    EXPECT_TRUE(panel.findChild<QPushButton*>("button106")->isEnabled());
    run->PressMain();
    EXPECT_EQ(run->State(), kScanResume);
    EXPECT_FALSE(run->TimerActive());
    run.reset();
    program.SetBus(nullptr);
    SetRegistry(nullptr);
}

}  // namespace

TEST_F(ScanRunTest, PanelShowsThePointsPlannedAndTheTimeLeftAtTheMeanPaceOfRunning) {
    TScanDlg panel(*run);
    auto field = [&](int id) { return run->Fields().Get(id); };
    // Nothing planned: the panel's line is as it always was.
    EXPECT_EQ(panel.DumpLine().find(" 110="), std::string::npos) << panel.DumpLine();
    stage.offset = 50.0;  // never stable: Next Temp ends each point
    Plan(300, 320, 4);
    EXPECT_EQ(field(ScanRun::kOfField), "4");
    EXPECT_EQ(field(ScanRun::kTimeLeftField), "");  // no point done yet
    run->PressMain();
    now = 300.0;
    run->PressNextTemp();
    EXPECT_EQ(field(ScanRun::kPointField), "2");
    EXPECT_EQ(field(ScanRun::kTimeLeftField), "0:15");  // 300 s a point, 3 to go
    // The time it waits paused is not the scan's pace.
    run->PressMain();
    ASSERT_EQ(run->State(), kScanResume);
    now += 5000.0;
    run->PressMain();
    now += 300.0;
    run->PressNextTemp();
    EXPECT_EQ(field(ScanRun::kTimeLeftField), "0:10");
    now += 900.0;  // a slow point: 500 s a point so far, 8 1/3 minutes for the last
    run->PressNextTemp();
    EXPECT_EQ(field(ScanRun::kTimeLeftField), "0:09");
    EXPECT_NE(panel.DumpLine().find(" 109=320.0 110=4 111=0:09 enabled="), std::string::npos)
        << panel.DumpLine();
    ASSERT_NE(panel.findChild<QLabel*>("field110"), nullptr);
    EXPECT_EQ(panel.findChild<QLabel*>("field111")->text().toStdString(), "0:09");
    now += 100.0;
    run->PressNextTemp();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(field(ScanRun::kTimeLeftField), "0:00");
    EXPECT_EQ(field(ScanRun::kPointField), "4");  // "Point #" keeps its meaning
    // A new plan starts the count afresh.
    Plan(300, 320, 7);
    EXPECT_EQ(field(ScanRun::kOfField), "7");
    EXPECT_EQ(field(ScanRun::kTimeLeftField), "");
}

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
