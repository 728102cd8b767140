// The measurement configuration: the auto-set search against a scripted bus
// (each outcome and its exact command order), the Current page's units,
// limits and target checks, the Delays steps, the Scattering page, the sheet's
// OK / Apply / Cancel rules and the configuration log block.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QTabWidget>

#include "measure/AutoSet.h"
#include "MeasureTestSupport.h"
#include "core/Printf.h"
#include "measure/TConfigPages.h"
#include "measure/TConfigSheet.h"
#include "TestRecords.h"

namespace {

class AutoSetTest : public MeasureTest {
  protected:
    void SetUp() override {
        MeasureTest::SetUp();
        Settings().TargVrVDP = 50;
        Settings().TargVrBar = 500;
        Settings().TargVrBridge = 500;
    }
    // A voltmeter reply carrying v.
    static std::string Reading(double v) { return Printf("N%+.6E", v); }
    // The readings at + and - current that give this Vr (millivolts) for a
    // hold scale of 4 (van der Pauw) or 1.004 (bar).
    void Vr(double millivolts, double holdScale = 4.0) {
        const double half = millivolts * holdScale * 0.001;
        Bus_().Reply(Reading(half));
        Bus_().Reply(Reading(-half));
    }
    // How a search ended, and after how many tries.
    static std::string Ended(const AutoSet::Report& report) {
        return report.outcome + " after " + std::to_string(report.tries);
    }
    void ReadBack(double current) { Bus_().Reply(Printf("%.7g", current)); }
    AutoSet::Report Run() {
        AutoSet::AutoSetCommand(program, nullptr);
        if (AutoSet::Reports().empty()) return {};
        return AutoSet::Reports().back();
    }
};

class CurrentPageTest : public AutoSetTest {};
class SheetTest : public AutoSetTest {};

// ------------------------------------------------------------ the search

TEST_F(AutoSetTest, OnTargetAtOnceKeepsTheStartingCurrent) {
    Settings().Current = 123.0;
    ReadBack(10.0);
    Vr(52.0);  // within 10 %
    const auto report = Run();
    EXPECT_EQ(Ended(report), "Success after 1");
    EXPECT_DOUBLE_EQ(report.current, 10.0);
    EXPECT_EQ(Joined(trace), Joined(Ops("W 3 8 DI10.0, R 3 13, W 3 9 G0H64O0, W 3 7 S12M43, W 3 8 "
                                        "P, R 3 9, W 3 8 N, R 3 9, W 3 7 S0M77")));
    EXPECT_FALSE(State().busy);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AutoSetTest, ScalesTheCurrentByTheRatioOnABar) {
    Specimen().Shape = 1;
    Settings().Iunits = 0;  // mA: starts at 1000 uA
    Settings().AC = 1;
    ReadBack(1000.0);
    Vr(250.0, 1.004);  // half the target: twice the current
    ReadBack(2000.0);
    Vr(480.0, 1.004);
    const auto report = Run();
    EXPECT_EQ(Ended(report), "Success after 2");
    EXPECT_DOUBLE_EQ(Settings().Current, 2000.0);
    EXPECT_EQ(
        Joined(trace),
        Joined(Ops("W 3 8 AI1000.0, R 3 13, W 3 7 S56M14, W 3 9 G0H255O0, W 3 8 P, R 3 9, W 3 8 N, "
                   "R 3 9, W 3 8 AI2000.0, R 3 13, W 3 8 P, R 3 9, W 3 8 N, R 3 9, W 3 7 S0M77")));
}

TEST_F(AutoSetTest, BufferedVanDerPauwSwitchesThroughTheAmplifier) {
    Config().bufferAmplifierInstalled = true;
    Settings().bufferAmplifierMode = true;
    Settings().Iunits = 2;  // nA: starts at 0.1 uA
    ReadBack(200.0);        // 0.1 uA x 2000
    Vr(50.0);
    const auto report = Run();
    EXPECT_EQ(report.outcome, "Success");
    EXPECT_DOUBLE_EQ(report.current, 0.1);
    EXPECT_EQ(Joined(trace),
              Joined(Ops("W 3 8 DI200.0, R 3 13, B 34, W 3 9 G0H64O0, W 3 7 S58M43, B 133, W 3 8 "
                         "P, R 3 9, W 3 8 N, R 3 9, B 128, B 64, W 3 7 S0M77")));
}

TEST_F(AutoSetTest, OverRangeQuartersTheCurrentUntilTheLowerClampThenMinimum) {
    ReadBack(10.0);
    for (const double current : {2.5, 0.625, 0.15625, 0.1}) {
        Bus_().Reply("N+>");  // over range at + current: the try ends there
        ReadBack(current);
    }
    Bus_().Reply("N+>");
    const auto report = Run();
    EXPECT_EQ(Ended(report), "Minimum after 5");
    EXPECT_DOUBLE_EQ(report.current, 0.1);
    EXPECT_EQ(Bus_().LogStarting("W 3 8 D"),
              Ops("W 3 8 DI10.0, W 3 8 DI2.5, W 3 8 DI0.6, W 3 8 DI0.2, W 3 8 DI0.1"));
    EXPECT_TRUE(Bus_().LogStarting("W 3 8 N").empty());
}

// Searches given as read-back currents and the Vr each gives.
TEST_F(AutoSetTest, TheSearchEndsAtTheClampsOrOnTarget) {
    const struct {
        const char* name;
        int units;
        std::vector<std::pair<double, double>> tries;  // current read back, Vr (mV)
        const char* outcome;
        double current;
        const char* settings;  // the currents set, in order
    } cases[] = {
        // ratio 50: 50 mA is clamped to 19.9 mA
        {"upper clamp",
         0,
         {{1000, 1.0}, {19900, 2.5}},
         "Maximum",
         19900,
         "W 3 8 DI1000.0, W 3 8 DI19900.0"},
        // ratio 0.005: 0.05 uA is clamped to 0.1 uA; too much there is not Maximum
        {"lower clamp", 1, {{10, 10000}, {0.1, 100}}, "Minimum", 0.1, "W 3 8 DI10.0, W 3 8 DI0.1"},
        // clamped to 19900, too much now: halve and go on searching
        {"step back",
         0,
         {{1000, 1.0}, {19900, 100}, {9950, 50}},
         "Success",
         9950,
         "W 3 8 DI1000.0, W 3 8 DI19900.0, W 3 8 DI9950.0"},
        // a negative Vr is searched by its size
        {"negative", 1, {{10, -25}, {20, -50}}, "Success", 20, "W 3 8 DI10.0, W 3 8 DI20.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        trace.clear();
        Bus_().ClearLog();
        Settings().Iunits = c.units;
        for (const auto& [current, vr] : c.tries) {
            ReadBack(current);
            Vr(vr);
        }
        const auto report = Run();
        EXPECT_EQ(Ended(report), c.outcome + (" after " + std::to_string(c.tries.size())));
        EXPECT_DOUBLE_EQ(report.current, c.current);
        EXPECT_EQ(Bus_().LogStarting("W 3 8 D"), Ops(c.settings));
        EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    }
}

TEST_F(AutoSetTest, AnUnreadableReadingEndsTheSearchWithItsTextAndKeepsTheCurrent) {
    ReadBack(10.0);
    // No number anywhere, in every try: not a sign of too much current.
    Bus_().Replies({"N+garbage", "N+garbage", "N+garbage"});
    const auto report = Run();
    EXPECT_EQ(Ended(report), "Failed after 1");
    EXPECT_DOUBLE_EQ(report.current, 10.0);  // not quartered
    EXPECT_EQ(Messages(), Lines({"Exception: | V-meas Unreadable"}));
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
}

TEST_F(AutoSetTest, ThirtyNineTriesWithoutAnEndFail) {
    ReadBack(10.0);
    double current = 10.0;
    for (int n = 1; n <= AutoSet::kMaxTries; ++n) {
        // Vr swings around the target: 100 mV at 10 uA, 25 mV at 5 uA.
        Vr(current == 10.0 ? 100.0 : 25.0);
        current = current == 10.0 ? 5.0 : 10.0;
        ReadBack(current);
    }
    const auto report = Run();
    EXPECT_EQ(Ended(report), "Failed after 39");
    EXPECT_EQ(Bus_().StepsLeft(), 0u);
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
}

TEST_F(AutoSetTest, TheOperatorsAbortEndsTheSearchAborted) {
    State().cancelRequested = true;  // a stale request does not stop a new search
    ReadBack(10.0);
    Vr(5.0);
    ReadBack(100.0);
    onOperation = [](const std::string& line) {
        if (line == "R 3 13") State().cancelRequested = true;
    };
    bool sawBusy = false;
    QObject listening;  // ends the connection with the test
    QObject::connect(&Status(), &StatusFields::busyChanged, &listening,
                     [&](bool busy) { sawBusy |= busy; });
    const auto report = Run();
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(Ended(report), "aborted after 2");
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    EXPECT_FALSE(State().busy);
}

TEST_F(AutoSetTest, ABusErrorIsShownAndTheElectronicsLeftAlone) {
    ReadBack(10.0);
    Bus_().FailRead("GPIB");
    const auto report = Run();
    EXPECT_EQ(report.outcome, "Failed");
    EXPECT_EQ(Messages(), Lines({"Exception: | GPIB"}));
    EXPECT_EQ(responder.Asked().at(0).icon, Prompt::Icon::Stop);
    EXPECT_TRUE(Bus_().LogStarting("W 3 7 S0M77").empty());
}

TEST_F(AutoSetTest, AFailingCurrentSettingStopsBeforeTheSearch) {
    Bus_().FailRead("no current");
    const std::size_t before = AutoSet::Reports().size();
    AutoSet::AutoSetCommand(program, nullptr);
    EXPECT_EQ(AutoSet::Reports().size(), before);
    EXPECT_EQ(Messages(), Lines({"Exception: | no current"}));
}

TEST_F(AutoSetTest, AStoredTargetOutOfRangeIsRefusedBeforeAnyTraffic) {
    Settings().TargVrVDP = 201;
    AutoSet::AutoSetCommand(program, nullptr);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(Messages(), Lines({"Invalid TargVr | Range is 4 - 200 mV"}));
}

// ------------------------------------------------------------ rules

TEST(ConfigRules, TargetRangesIncludeBothEnds) {
    struct Case {
        const char* text;
        int shape;
        bool accepted;
    } cases[] = {{"200", 0, true},  {"201", 0, false}, {"200", 1, true},
                 {"3", 0, false},   {"4", 0, true},    {"39", 1, false},
                 {"40", 2, true},   {"2000", 2, true}, {"2001", 1, false},
                 {" 50 ", 0, true}, {"", 0, false},    {"abc", 0, false},
                 {"-50", 0, false}, {"12a", 0, false}, {"99999999999999999999", 1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(AutoSet::ParseTarget(c.text, c.shape).has_value(), c.accepted)
            << '"' << c.text << "\" shape " << c.shape;
}

TEST(ConfigRules, DelayAndIntegrationStepByOneToTenThenByFive) {
    const int steps[][4] = {{9, +1, 100, 10}, {10, +1, 100, 15},   {15, -1, 100, 10},
                            {10, -1, 100, 9}, {100, +1, 100, 100}, {0, -1, 100, 0},
                            {55, +1, 60, 60}, {60, +1, 60, 60}};
    for (const auto& s : steps)
        EXPECT_EQ(StepSeconds(s[0], s[1], s[2]), s[3]) << s[0] << " by " << s[1] << " to " << s[2];
    // Walking the whole range up and down visits the same values.
    std::vector<int> up{0}, down{100};
    while (up.back() != 100) up.push_back(StepSeconds(up.back(), +1, 100));
    while (down.back() != 0) down.push_back(StepSeconds(down.back(), -1, 100));
    EXPECT_EQ(up.size(), 29u);
    EXPECT_EQ(std::vector<int>(down.rbegin(), down.rend()), up);
}

TEST(ConfigRules, CyclesJumpBetweenTenAndHundred) {
    const int steps[][3] = {{9, +1, 10},   {10, +1, 100}, {100, +1, 100},
                            {100, -1, 10}, {2, -1, 1},    {1, -1, 1}};
    for (const auto& s : steps) EXPECT_EQ(StepCycles(s[0], s[1]), s[2]) << s[0] << " by " << s[1];
}

// ------------------------------------------------------------ Current page

TEST_F(CurrentPageTest, UnitButtonsKeepTheCurrentAndChooseTheElectronics) {
    Config().bufferAmplifierInstalled = true;
    TCurrent page(program);
    page.Fields().Set(103, "2.5");
    page.findChild<QAbstractButton*>("button106")->click();  // nA
    EXPECT_EQ(page.Fields().Get(103), "2.5e+03");
    EXPECT_EQ(Settings().Iunits, 2);
    EXPECT_TRUE(Settings().bufferAmplifierMode);
    EXPECT_DOUBLE_EQ(Settings().Current, 2.5);
    page.findChild<QAbstractButton*>("button104")->click();  // mA
    EXPECT_EQ(page.Fields().Get(103), "0.0025");
    EXPECT_FALSE(Settings().bufferAmplifierMode);
    page.findChild<QAbstractButton*>("button101")->click();  // AC
    EXPECT_EQ(Settings().AC, 1);
    EXPECT_TRUE(trace.empty());
}

TEST_F(CurrentPageTest, NanoAndPicoNeedTheAmplifier) {
    TCurrent page(program);
    EXPECT_FALSE(page.findChild<QAbstractButton*>("button106")->isEnabled());
    EXPECT_FALSE(page.findChild<QAbstractButton*>("button107")->isEnabled());
    EXPECT_TRUE(page.findChild<QAbstractButton*>("button105")->isChecked());
}

TEST_F(CurrentPageTest, LimitsRefuseWithTheirMessagesAndClampTheCurrent) {
    Config().bufferAmplifierInstalled = true;
    struct Case {
        int unit;
        const char* text;
        const char* message;
        double clamped;
    } cases[] = {
        {2, "5001", "Max. current 5000 nA.\nSelect standard electronics.", 5.0},
        {3, "0.5", "Min. current 1 pA", 1e-6},
        {0, "20", "Max. current 19.9 mA", 19900.0},
        {1, "0.05", "Min. current 0.1 \u00b5A\nSelect buffer amplifier", 0.1},
    };
    for (const auto& c : cases) {
        TCurrent page(program);
        page.SelectUnit(c.unit);
        page.Fields().Set(103, c.text);
        const std::size_t asked = responder.Asked().size();
        EXPECT_FALSE(page.Apply()) << c.text;
        ASSERT_EQ(responder.Asked().size(), asked + 1);
        EXPECT_EQ(Messages().back(), std::string("Can't Set Current | ") + c.message);
        EXPECT_DOUBLE_EQ(Settings().Current, c.clamped);
        EXPECT_EQ(page.Fields().Get(103), c.text);  // the operator's text stays
    }
    TCurrent page(program);
    page.SelectUnit(2);
    page.Fields().Set(103, "5000");
    EXPECT_TRUE(page.Apply());
    EXPECT_DOUBLE_EQ(Settings().Current, 5.0);
}

TEST_F(CurrentPageTest, TargetIsCheckedAfterTheCurrentAndStoredForTheShape) {
    Specimen().Shape = 1;
    TCurrent page(program);
    EXPECT_EQ(page.Fields().Get(108), "500");
    page.Fields().Set(108, "39");
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(Messages(), Lines({"Invalid TargVr | Range is 40 - 2000 mV"}));
    page.Fields().Set(108, "201");
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(Settings().TargVrBar, 201);
    EXPECT_EQ(Settings().TargVrVDP, 50);
}

TEST_F(CurrentPageTest, SetPostsTheSearchToThePage) {
    TCurrent page(program);
    page.Fields().Set(108, "60");
    ReadBack(10.0);
    Vr(30.0);
    ReadBack(20.0);
    Vr(60.0);
    page.findChild<QAbstractButton*>("button109")->click();
    // Only the starting current is set by the click; the search follows.
    EXPECT_EQ(Joined(trace), Joined(Lines({"W 3 8 DI10.0", "R 3 13"})));
    EXPECT_EQ(page.Fields().Get(103), "10");
    EXPECT_TRUE(page.Searching());
    EXPECT_FALSE(page.findChild<QAbstractButton*>("button109")->isEnabled());
    QCoreApplication::processEvents();
    EXPECT_FALSE(page.Searching());
    EXPECT_EQ(Settings().TargVrVDP, 60);
    EXPECT_EQ(Texts(page.Fields(), {110, 111, 112, 103}), Lines({"2", "60.0", "Success", "20"}));
    EXPECT_TRUE(page.findChild<QAbstractButton*>("button109")->isEnabled());
}

TEST_F(CurrentPageTest, OverIsShownForATryThatOverRanges) {
    TCurrent page(program);
    ReadBack(10.0);
    Bus_().Reply("N+>");
    ReadBack(2.5);
    Bus_().FailRead("GPIB");  // stop here to look at the fields
    page.StartAutoSet();
    QCoreApplication::processEvents();
    EXPECT_EQ(Texts(page.Fields(), {110, 111, 103, 112}), Lines({"2", "Over", "2.5", "Failed"}));
}

TEST_F(CurrentPageTest, WithoutAnInstrumentSetOnlyShowsTheStartingCurrent) {
    Config().noInstrument = true;
    Settings().Iunits = 3;
    Settings().bufferAmplifierMode = true;
    TCurrent page(program);
    page.StartAutoSet();
    QCoreApplication::processEvents();
    EXPECT_EQ(page.Fields().Get(103), "100");
    EXPECT_DOUBLE_EQ(Settings().Current, 0.0001);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(page.Fields().Get(112), "");
}

// ------------------------------------------------------------ the sheet

TEST_F(SheetTest, ARefusingPageKeepsTheSheetOpenOnItself) {
    TConfigSheet sheet(program);
    sheet.Tabs()->setCurrentIndex(2);
    static_cast<TCurrent*>(sheet.Page(0))->Fields().Set(103, "50000");
    sheet.Page(2)->Fields().Set(103, "1.93");
    responder.Add("OK");
    EXPECT_EQ(Prompt::Exec(sheet), Prompt::IDCANCEL);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
    EXPECT_EQ(Messages(), Lines({"Measurment Configuration | CONFIGURATION",
                                 "Can't Set Current | Max. current 19.9 mA"}));
    // The refusal came first: the Scattering page took nothing.
    EXPECT_DOUBLE_EQ(Settings().ScatFactor, 1.0);
}

TEST_F(SheetTest, ScatteringPresetAppliedUpdatesTheHallResult) {
    Results().hallCoefficientRaw = -0.001;
    Results().measured = MeasurementResults::kHallMeasured;
    ResultsUpdateHall(program);
    ASSERT_EQ(ResultsFields().Get(3), "-0.001");
    TConfigSheet sheet(program);
    EXPECT_EQ(sheet.Page(2)->Fields().Get(103), "1.00");
    sheet.Tabs()->setCurrentIndex(2);
    sheet.Page(2)->findChild<QAbstractButton*>("button105")->click();  // Lattice Acoustic
    EXPECT_EQ(sheet.Page(2)->Fields().Get(103), "1.18");
    EXPECT_DOUBLE_EQ(Settings().ScatFactor, 1.0);  // only the edit so far
    sheet.findChild<QAbstractButton*>("IDAPPLY")->click();
    EXPECT_DOUBLE_EQ(Settings().ScatFactor, 1.18);
    EXPECT_EQ(ResultsFields().Get(3), Printf("%+.3lg", -0.001 / 1.18));
}

TEST_F(SheetTest, StepsTakeEffectAtOnceAndCancelDoesNotUndoThem) {
    Settings().Delay = 9;
    Settings().Cycles = 10;
    responder.onDialog = [](QDialog& dialog) {
        // Integration is at 0 already; button101 is AC.
        for (const char* name :
             {"updown111Up", "updown111Up", "updown113Up", "updown112Down", "button101"}) {
            auto* button = dialog.findChild<QAbstractButton*>(name);
            ASSERT_NE(button, nullptr) << name;
            button->click();
        }
    };
    responder.Add("Cancel");
    ConfigurationCommand(program, nullptr);
    EXPECT_EQ(Settings().Delay, 15);
    EXPECT_EQ(Settings().Cycles, 100);
    EXPECT_EQ(Settings().Integrations, 0);
    EXPECT_EQ(Settings().AC, 1);
}

TEST_F(SheetTest, ClosingDuringASearchAbortsTheSearchInstead) {
    TConfigSheet sheet(program);
    sheet.show();
    auto* page = static_cast<TCurrent*>(sheet.Page(0));
    ReadBack(10.0);
    Vr(5.0);
    ReadBack(100.0);
    int readBacks = 0;
    onOperation = [&sheet, &readBacks](const std::string& line) {
        // The second read-back is inside the search.
        if (line == "R 3 13" && ++readBacks == 2) sheet.reject();
    };
    page->StartAutoSet();
    sheet.reject();  // Cancel before the posted search starts
    EXPECT_TRUE(sheet.isVisible());
    QCoreApplication::processEvents();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(page->Fields().Get(112), "aborted");
    sheet.reject();
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(SheetTest, LogBlockOnOkOnly) {
    Settings().Current = 2.5;
    Settings().Iunits = 1;
    Settings().ScatFactor = 1.18;
    Settings().Delay = 15;
    Settings().Integrations = 2;
    Settings().Cycles = 100;
    Settings().LogInclude = 0;  // the block does not depend on the bits
    OpenLog();
    responder.Add("Cancel");
    ConfigurationCommand(program, nullptr);
    responder.onDialog = [](QDialog& dialog) {
        static_cast<TConfigSheet&>(dialog).Page(0)->Fields().Set(103, "50000");
    };
    responder.Add("OK");  // refused: the sheet does not close
    responder.Add("OK");  // the limit's message
    ConfigurationCommand(program, nullptr);
    responder.onDialog = nullptr;
    Settings().Current = 2.5;
    responder.Add("OK");
    ConfigurationCommand(program, nullptr);
    Settings().Iunits = 2;
    Settings().bufferAmplifierMode = true;
    Settings().AC = 1;
    Settings().Current = 0.0123456;
    responder.Add("OK");
    ConfigurationCommand(program, nullptr);
    EXPECT_EQ(LogBytes(),
              "*** Configuration ***\r\nI-meas:\t2.5 \xB5"
              "A DC\r\nScat.Factor:\t1.18\r\nDelay: sec\t15\r\nIntegration: sec\t2\r\n"
              "Cycles:\t100\r\n"
              "*** Configuration ***\r\nI-meas:\t12.3 nA AC\r\nScat.Factor:\t1.18\r\n"
              "Delay: sec\t15\r\nIntegration: sec\t2\r\nCycles:\t100\r\n");
}

}  // namespace
