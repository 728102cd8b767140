#include <gtest/gtest.h>

#include "temperature/Itc5Func.h"
#include "temperature/Ln2Func.h"
#include "temperature/Stability.h"
#include "TemperatureFixture.h"
#include "TestRecords.h"

class Ln2Test : public TemperatureFixture {
  protected:
    void SetUp() override {
        TemperatureFixture::SetUp();
        AddEntry(ControllerKind::LN2, Tpid{77, 25, 50, 50, 1, 10, 0});
        AddEntry(ControllerKind::LN2, Tpid{150, 30, 40, 41, 2, 5, 0});
    }
};

TEST_F(Ln2Test, SetPointThenTheEntrysFactorsInOrder) {
    LN2Func ln2(slot, Config());
    ASSERT_EQ(ln2.Table()->Entries().size(), 2u);
    ln2.SetTemperature(293.15);
    EXPECT_EQ(bus->LogText(), "REN 1\nW 12 3 2931\nW 12 2 30\nW 12 12 40\nW 12 13 41");
    EXPECT_DOUBLE_EQ(ln2.setPoint, 293.15);
    EXPECT_DOUBLE_EQ(StabilizationState().stabilityMargin, 2.0);
    EXPECT_EQ(StabilizationState().stabilizeTicks, 10);
    bus->ClearLog();
    ln2.SetTemperature(149.9);
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{"W 12 3 1499", "W 12 2 25", "W 12 12 50", "W 12 13 50"}));
}

TEST_F(Ln2Test, SetPointBelowEveryEntryIsRefusedBeforeAnythingIsSent) {
    LN2Func ln2(slot, Config());
    ln2.SetTemperature(150.0);
    bus->ClearLog();
    StabilizationState().stabilityMargin = 7.0;
    try {
        ln2.SetTemperature(50.0);
        FAIL() << "no PID entry, no set-point";
    } catch (const xmsg& e) {
        EXPECT_NE(e.why().find("50.0 K"), std::string::npos) << e.why();
    }
    EXPECT_TRUE(bus->Log().empty());
    EXPECT_DOUBLE_EQ(ln2.setPoint, 150.0);
    EXPECT_DOUBLE_EQ(StabilizationState().stabilityMargin, 7.0);
}

TEST_F(Ln2Test, DemoModeSendsNothingAndKeepsTheSetPoint) {
    Config().noInstrument = true;
    LN2Func ln2(slot, Config());
    ln2.SetTemperature(200.0);
    ln2.ReadTemperature();
    ln2.SetControl(1, 0);
    EXPECT_TRUE(bus->Log().empty());
    EXPECT_DOUBLE_EQ(ln2.setPoint, 0.0);
    EXPECT_EQ(ln2.ReadingText(), "");
}

TEST_F(Ln2Test, ReadingsAndTheirFailures) {
    LN2Func ln2(slot, Config());
    bus->Reply("2931");
    ln2.ReadTemperature();
    EXPECT_EQ(ln2.ReadingText(), "293.1");
    EXPECT_DOUBLE_EQ(ln2.present, 293.1);
    // A bus error and a reply without a number both read "Error" and 0 K.
    bus->FailRead("timeout");
    ln2.ReadTemperature();
    EXPECT_EQ(ln2.ReadingText(), "Error");
    EXPECT_DOUBLE_EQ(ln2.present, 0.0);
    EXPECT_FALSE(ln2.ReadingValid());
    bus->Reply("2931");
    ln2.ReadTemperature();
    EXPECT_TRUE(ln2.ReadingValid());
    bus->Reply("junk");
    ln2.ReadTemperature();
    EXPECT_EQ(ln2.ReadingText(), "Error");
    EXPECT_DOUBLE_EQ(ln2.present, 0.0);
    // The 0 K is no reading: whoever records a temperature can tell, and why.
    EXPECT_FALSE(ln2.ReadingValid());
    EXPECT_NE(ln2.ReadingFailure().find("\"junk\""), std::string::npos) << ln2.ReadingFailure();
    EXPECT_EQ(bus->LogStarting("R 12 4").size(), 4u);
}

TEST_F(Ln2Test, ControlModes) {
    LN2Func ln2(slot, Config());
    ln2.SetControl(1, 1);
    ln2.SetControl(2, 0);
    ln2.SetControl(0, 0);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"W 12 5 C", "W 12 10 1", "W 12 10 0", "W 12 5 O"}));
}

TEST_F(TemperatureFixture, MissingControllerKeyIsShownAndLeavesTheTableEmpty) {
    LN2Func ln2(slot, Config());
    EXPECT_TRUE(ln2.Table()->Entries().empty());
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "Can't Open Registry Key:");
    EXPECT_EQ(responder.Asked()[0].text, "SOFTWARE\\Brisel\\Hall\\System\\RT4450");
    EXPECT_EQ(responder.Asked()[0].buttons, Prompt::Buttons::OkCancel);
    ITC5Func itc(slot, Config());
    EXPECT_DOUBLE_EQ(itc.tchange, 999.0);
    EXPECT_EQ(Prompts().back(), "Can't Open Registry Key:|SOFTWARE\\Brisel\\Hall\\System\\ITC5");
}

class Itc5Test : public TemperatureFixture {
  protected:
    void SetUp() override {
        TemperatureFixture::SetUp();
        AddEntry(ControllerKind::ITC5, Tpid{2, 10, 5, 1, 1, 1, 0});
        ASSERT_TRUE(Registry().SetDword(PidTableKey(ControllerKind::ITC5), "Tchange", 50));
    }
    // The writes without the waits' and reads' lines.
    std::vector<std::string> Writes() const {
        std::vector<std::string> lines;
        for (const auto& line : bus->Log())
            if (line.rfind("IW ", 0) == 0) lines.push_back(line.substr(3));
        return lines;
    }
};

TEST_F(Itc5Test, CrossingTchangeSwitchesTheSensorFirst) {
    ITC5Func itc(slot, Config());
    EXPECT_DOUBLE_EQ(itc.tchange, 50.0);
    itc.SetTemperature(20.0);
    EXPECT_EQ(Writes(), (std::vector<std::string>{"$T20.0", "$P10", "$I5", "$D1"}));
    // B3 of 0 gives a drift margin of a quarter kelvin.
    EXPECT_DOUBLE_EQ(StabilizationState().driftMargin, 0.25);
    bus->ClearLog();
    bus->Reply("X0A3C1S0H1");
    itc.SetTemperature(80.0);
    EXPECT_EQ(Writes(),
              (std::vector<std::string>{"X", "$A0", "$H2", "$A3", "$T80.0", "$P10", "$I5", "$D1"}));
    EXPECT_TRUE(itc.sampleSensor);
    bus->ClearLog();
    itc.SetTemperature(60.0);  // both above: no switch
    EXPECT_EQ(Writes().front(), "$T60.0");
    bus->ClearLog();
    bus->Reply("X0A1C1S0H2");
    itc.SetTemperature(20.0);
    EXPECT_EQ(Writes(),
              (std::vector<std::string>{"X", "$A0", "$H1", "$A1", "$T20.0", "$P10", "$I5", "$D1"}));
    EXPECT_FALSE(itc.sampleSensor);
}

TEST_F(Itc5Test, StatusWithoutItsDigitRefusesTheSwitch) {
    ITC5Func itc(slot, Config());
    itc.SetTemperature(20.0);
    bus->ClearLog();
    bus->Reply("X0");
    EXPECT_THROW(itc.SetTemperature(80.0), xgpib);
    EXPECT_EQ(Writes(), (std::vector<std::string>{"X"}));
    EXPECT_DOUBLE_EQ(itc.setPoint, 20.0);
}

TEST_F(Itc5Test, BytewiseLinkNeverSwitchesAndQueriesBeforeAPoint) {
    Config().bytewiseItc = true;
    ITC5Func itc(slot, Config());
    itc.SetTemperature(20.0);
    itc.SetTemperature(80.0);
    const auto writes = Writes();
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "X"), 0);
    bus->ClearLog();
    bus->Reply("?");
    itc.SetControl(0, 0);
    EXPECT_EQ(bus->LogText(), "REN 1\nIW ?\nIR");
    bus->ClearLog();
    Config().bytewiseItc = false;
    itc.SetControl(0, 0);
    itc.SetControl(1, 0);
    EXPECT_EQ(bus->LogText(), "REN 1\nREN 1\nIW $C1\r$A3");
}

TEST_F(Itc5Test, ReadingsOfBothSensors) {
    ITC5Func itc(slot, Config());
    bus->Replies({"R+2931", "R+0775", "R+x"});
    itc.ReadTemperature();
    EXPECT_EQ(itc.ReadingText(), "293.1");
    itc.ReadCryostat();
    EXPECT_EQ(itc.CryostatText(), "77.5");
    EXPECT_DOUBLE_EQ(itc.cryostat, 77.5);
    EXPECT_THROW(itc.ReadTemperature(), xgpib);
    EXPECT_EQ(itc.ReadingText(), "293.1");
    EXPECT_FALSE(itc.ReadingValid());  // the 293.1 is not a reading of now
}

TEST_F(Itc5Test, DemoModeSendsNothingOnTheUnopenedBus) {
    Config().noInstrument = true;
    slot.Set(nullptr);  // demo mode opens none
    bus = nullptr;
    ITC5Func itc(slot, Config());
    EXPECT_NO_THROW(itc.SetTemperature(80.0));
    EXPECT_NO_THROW(itc.ReadTemperature());
    EXPECT_NO_THROW(itc.SetControl(1, 0));
    EXPECT_NO_THROW(itc.ReadCryostat());
    EXPECT_NO_THROW(itc.Send("$C1"));  // the panel's boxes in demo mode
    EXPECT_THROW(itc.Identify(), xgpib);
    EXPECT_DOUBLE_EQ(itc.setPoint, 80.0);
}

namespace {
// "ready|status|cryostat" of one tick of the scan's wait, "waiting|..." before it is ready.
std::string Tick(StabilityTest& test) {
    const StabilityTest::Verdict v = test.Tick(false);
    return std::string(v.ready ? "ready" : "waiting") + "|" + v.status + "|" + v.cryostatText;
}
}  // namespace

// The scan's wait, tick by tick.
TEST_F(Ln2Test, StabilityCountsTwiceTheSecondsOnceInsideTheMargin) {
    LN2Func ln2(slot, Config());
    ln2.SetTemperature(77.0);  // dT 1, Sec 10: 20 ticks
    StabilityTest test(ln2);
    test.Restart();
    ln2.SetPresent(80.0);
    EXPECT_FALSE(test.Tick(false).ready);
    ln2.SetPresent(77.5);
    EXPECT_EQ(Tick(test), "waiting|Stabilizing|");
    ln2.SetPresent(90.0);  // out again: the count runs on
    int ticks = 0;
    while (!test.Tick(false).ready) ASSERT_LT(++ticks, 100);
    EXPECT_EQ(ticks + 1, 20);
    test.Restart();
    EXPECT_TRUE(test.Tick(true).ready);  // "Force Meas"
}

TEST_F(Itc5Test, StabilityOnTheCryostatThenTheSample) {
    ITC5Func itc(slot, Config());
    itc.SetTemperature(20.0);  // B1 1, B2 1
    StabilityTest test(itc);
    test.Restart();
    itc.SetPresent(25.0);
    bus->Reply("R+0230");  // cryostat 23.0: outside
    EXPECT_EQ(Tick(test), "waiting||23.0");
    bus->Reply("R+0203");  // inside: "Stabilizing", but the sample lags
    EXPECT_EQ(Tick(test), "waiting|Stabilizing|20.3");
    itc.SetPresent(20.5);
    bus->Reply("R+0201");
    EXPECT_EQ(Tick(test), "ready||20.1");  // the status is shown once per point

    itc.sampleSensor = true;  // heater on the sample sensor
    test.Restart();
    itc.SetPresent(21.5);
    EXPECT_EQ(Tick(test), "waiting||N/A");
    itc.SetPresent(20.4);
    EXPECT_TRUE(test.Tick(false).ready);
}

TEST(Stability, HotStageWithinHalfAKelvinAndNoneNever) {
    BusSlot slot;
    TTempCon hot(ControllerKind::HotStage, slot, Config());
    hot.SetSetPoint(400.0);
    hot.SetPresent(399.4);
    StabilityTest test(hot);
    EXPECT_FALSE(test.Tick(false).ready);
    hot.SetPresent(399.6);
    EXPECT_TRUE(test.Tick(false).ready);
    TTemp none(slot, Config());
    none.SetTemperature(293.0);
    StabilityTest never(none);
    EXPECT_FALSE(never.Tick(false).ready);
    EXPECT_TRUE(never.Tick(true).ready);
}
