// The scan's set-up dialog and its panel over the run (widgets: test_scan).
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ScanRunFixture.h"
#include "platform/FileRegistryStore.h"
#include "platform/RegistryStore.h"
#include "scan/TScanAcq.h"
#include "scan/TScanDlg.h"
#include "scan/TSetupTemp.h"
#include "temperature/Itc5Func.h"
#include "temperature/PidRegistry.h"
#include "TestRecords.h"

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
        UseProgram(program);
        Scan() = ScanSettings{};
        Prompt::SetResponder(&responder);
    }
    void TearDown() override { Prompt::SetResponder(nullptr); }
    ProgramState program;
    Prompt::ScriptedResponder responder;
};

TEST_F(SetupDialog, RefusedPointsKeepTheDialogOpenWithTheFocusOnThem) {
    TSetupTemp dialog(nullptr, Scan(), 77, 550);
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
        TSetupTemp dialog(nullptr, Scan(), 77, 550);
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
    TSetupTemp again(nullptr, Scan(), 77, 550);
    EXPECT_EQ(again.Fields().Get(TSetupTemp::kPoints), "7");
    EXPECT_TRUE(again.findChild<QAbstractButton*>("button104")->isChecked());
}

// ---------------------------------------------------------------------------
// The run's panel

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
    run = std::make_unique<ScanRun>(program, itc);
    TScanAcq itcLive(run->Model(), Scan(), Config(), Status(), Style());
    itcLive.resize(640, 440);
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
