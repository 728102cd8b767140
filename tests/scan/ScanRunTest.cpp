#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "GpibBus.h"
#include "GraphLook.h"
#include "MeasurementResults.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "Printf.h"
#include "ProgramState.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "RunLock.h"
#include "ScanRun.h"
#include "ScanRunCurrent.h"
#include "ScanSettings.h"
#include "ScanState.h"
#include "ScriptedBus.h"
#include "SpecimenData.h"
#include "TScanAcq.h"
#include "TSetupTemp.h"
#include "TTemp.h"
#include "TimeScale.h"

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
        ResetScanState();
        auto made = std::make_unique<ResistorBus>();
        bus = made.get();
        SetBus(std::move(made));
        Prompt::SetResponder(&responder);
        Specimen().Shape = 0;
        Settings().TargVrVDP = 50;  // mV
        Settings().Current = 10.0, Settings().bufferAmplifierMode = false;
    }
    void TearDown() override {
        Prompt::SetResponder(nullptr);
        SetBus(nullptr);
        ResetScanState();
    }
    ResistorBus* bus = nullptr;
    Prompt::ScriptedResponder responder;
};

TEST_F(CurrentSearch, ScalesTheCurrentUntilVrIsWithinTenPercentAndDisconnects) {
    bus->ohms = 1000.0;  // 50 mV at 50 uA
    EXPECT_EQ(ScanCurrent::Search(nullptr), ScanCurrent::kFound);
    EXPECT_NEAR(Settings().Current, 50.0, 5.0);
    EXPECT_EQ(::State().measurementStatus, 0);
    EXPECT_EQ(bus->LogStarting("W 3 9").front(), "W 3 9 G0H64O0");
    EXPECT_EQ(bus->LogStarting("W 3 7").front(), "W 3 7 S12M43");
    EXPECT_EQ(bus->LogStarting("W 3 7").back(), "W 3 7 S0M77");
}

TEST_F(CurrentSearch, NoVoltageStepsTheCurrentUpInsteadOfDividingByZero) {
    bus->ohms = 0.0;
    const auto result = ScanCurrent::Search(nullptr);
    // Ten times per try until the source's maximum stops it.
    EXPECT_EQ(result, ScanCurrent::kAboveStandard);
    EXPECT_TRUE(std::isfinite(Settings().Current));
}

TEST_F(CurrentSearch, AnOverRangeHalvesTheCurrent) {
    bus->ohms = 1000.0;
    bus->overRange = 4.0 * 1000.0 * 12e-6;  // over range above 12 uA
    Settings().Current = 40.0;
    const auto result = ScanCurrent::Search(nullptr);
    EXPECT_EQ(result, ScanCurrent::kTriesUsed);  // 50 uA is never reachable
    EXPECT_LE(Settings().Current, 24.0);
}

TEST_F(CurrentSearch, AnErrorEndsTheSearchOnceWithItsMessage) {
    bus->onOperation = [](const std::string& line) {
        if (line == "R 3 9") throw xgpib("GPIB read failed");
    };
    EXPECT_EQ(ScanCurrent::SetCurrentForPoint(nullptr), ScanCurrent::kFailed);
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "Exception:");
}

TEST_F(CurrentSearch, BelowTheStandardMinimumSwitchesOnlyWithAnInstalledAmplifierAndOnce) {
    bus->ohms = 1e9;  // needs a picoampere current
    Config().bufferAmplifierInstalled = false;
    EXPECT_EQ(ScanCurrent::SetCurrentForPoint(nullptr), ScanCurrent::kBelowStandard);
    EXPECT_FALSE(Settings().bufferAmplifierMode);

    Config().bufferAmplifierInstalled = true;
    Settings().Current = 10.0;
    const auto result = ScanCurrent::SetCurrentForPoint(nullptr);
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
    explicit FollowingStage(ControllerKind kind) : TTempCon(kind) {}
    void SetTemperature(double k) override {
        setPoint = k;
        given.push_back(k);
    }
    void ReadTemperature() override {
        present = setPoint + offset;
        SetReadingText(Printf("%.1f", present));
    }
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
        });
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
    FollowingStage stage{ControllerKind::HotStage};
    std::unique_ptr<TScanAcq> live;
    std::unique_ptr<ScanRun> run;
    std::vector<int> sent;
    std::vector<bool> nestedGranted;
    int failHall = 0;
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
    SetBus(std::move(made));
    Scan().AutoSetIm = true;
    Plan(300, 320, 3);
    run->PressMain();
    // The abort arrives while the search reads.
    static_cast<ScriptedBus&>(Bus()).onOperation = [](const std::string& line) {
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
    SetBus(nullptr);
}

}  // namespace
