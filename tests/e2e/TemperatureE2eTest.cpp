#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ProgramRun.h"

// The temperature stages against the rack: what the panels send (the rack's
// trace of the commands its instruments received), what they read back, the
// hot stage over a real serial device.
namespace {
// True when `wanted` appear in `lines` in this order, one right after the other.
bool Consecutive(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    return std::search(lines.begin(), lines.end(), wanted.begin(), wanted.end()) != lines.end();
}

// True when `wanted` appear in `lines` in this order, others between them.
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    auto it = lines.begin();
    for (const auto& w : wanted) {
        it = std::find(it, lines.end(), w);
        if (it == lines.end()) return false;
        ++it;
    }
    return true;
}

class TemperatureE2eTest : public TracedE2eTest {
  protected:
    void ClearTrace() { std::remove(trace_.c_str()); }
    std::map<std::string, std::string> Temperature(const ProgramResult& r) {
        return ProgramResult::Pairs(r.First("temperature"));
    }
};

TEST_F(TemperatureE2eTest, Ln2PanelSendsSetPointFactorsPumpAndMode) {
    ProgramResult r = run_.Run(
        {"/n", "--simulate", "--time-scale", "0.01", "--run",
         "40,LN2PANEL.101=150,LN2PANEL.110,LN2PANEL.104,LN2PANEL.107,LN2PANEL.108,LN2PANEL.104,"
         "LN2PANEL.101=600,LN2PANEL.110,LN2PANEL.1",
         "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
    const auto trace = Trace();
    EXPECT_TRUE(Consecutive(trace, {"W 12 3 1500", "W 12 2 30", "W 12 12 40", "W 12 13 40"}))
        << ReadText(trace_);
    EXPECT_TRUE(InOrder(trace, {"W 12 3 1500", "W 12 5 U", "W 12 10 0", "W 12 5 F", "W 12 10 1",
                                "W 12 5 C", "W 12 3 5500"}))
        << ReadText(trace_);
    auto t = Temperature(r);
    EXPECT_EQ(t["kind"], "1");
    EXPECT_EQ(t["set"], "550");
    EXPECT_EQ(t["min"], "77");
    EXPECT_EQ(t["max"], "550");
    EXPECT_EQ(r.All("pid").size(), 3u);
    EXPECT_EQ(r.First("pid"), "77 25 50 50 1 10 0");
}

TEST_F(TemperatureE2eTest, Ln2StageApproachesTheSetPointAndTheRunReadsIt) {
    // Set 150 K, leave the panel open for 3 s of program time (300 s of the
    // rack's, five time constants), then measure: the closing reading is the stage's.
    QDir(QString::fromStdString(run_.Folder())).mkdir("Logs");
    ProgramResult r =
        run_.Run({"/n", "--simulate", "--time-scale", "0.01", "--set", "WaferID=L1", "--run",
                  "40,LN2PANEL.101=150,LN2PANEL.110,LN2PANEL.1@300,51,62,LOGFILE.106", "--answer",
                  "OK", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    auto t = Temperature(r);
    const double present = std::atof(t["present"].c_str());
    EXPECT_NEAR(present, 150.0, 3.0) << r.First("temperature");
    EXPECT_EQ(std::atof(t["text"].c_str()), present);
    const std::string log = ReadText(run_.Folder() + "/Logs/L1.txt");
    EXPECT_NE(log.find("Temperature: K\t" + t["text"] + "\r\n"), std::string::npos) << log;
}

TEST_F(TemperatureE2eTest, Ln2TickTimeOutStopsTheReadingsAndTheProgramGoesOn) {
    const std::string config =
        run_.WriteFile("rack.json", R"({"faults":[{"device":"ln2","kind":"timeout","after":6}]})");
    ProgramResult r = run_.Run({"/n", "--simulate=" + config, "--time-scale", "0.01", "--run",
                                "40,LN2PANEL.101=150,LN2PANEL.1@100,51", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    bool shown = false;
    for (const auto& m : r.All("message")) shown = shown || m.rfind("Exception: | ", 0) == 0;
    EXPECT_TRUE(shown) << r.First("message");
    EXPECT_EQ(r.All("message").size(), 1u);  // the timer stopped: one box only
    EXPECT_EQ(r.First("status"), "Ready | ");
    EXPECT_EQ(r.First("measurementStatus"), "0");
}

TEST_F(TemperatureE2eTest, Itc5SwitchesSensorsAtTchange) {
    ASSERT_TRUE(run_.EditRegistry("\"Tchange\"=dword:00000064", "\"Tchange\"=dword:00000032"));
    const std::string items =
        "40,ITC5PANEL.105,ITC5PANEL.101=20,ITC5PANEL.104,ITC5PANEL.101=80,ITC5PANEL.104,"
        "ITC5PANEL.101=20,ITC5PANEL.104,ITC5PANEL.1";
    ProgramResult r =
        run_.Run({"/h", "--simulate", "--time-scale", "0.01", "--run", items, "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
    auto trace = Trace();
    // 293 (the controller's set-point read on opening) to 20: the cryostat sensor.
    EXPECT_TRUE(Consecutive(trace, {"W 24 -1 X", "W 24 -1 $A0"})) << ReadText(trace_);
    EXPECT_TRUE(InOrder(
        trace, {"W 24 -1 $C1", "W 24 -1 $A0", "W 24 -1 $H1", "W 24 -1 $T20.0", "W 24 -1 $A0",
                "W 24 -1 $H2", "W 24 -1 $T80.0", "W 24 -1 $A0", "W 24 -1 $H1", "W 24 -1 $T20.0"}))
        << ReadText(trace_);
    const auto h2 = std::find(trace.begin(), trace.end(), "W 24 -1 $H2");
    ASSERT_NE(h2, trace.end());
    const auto restore = std::find_if(
        h2, trace.end(), [](const std::string& l) { return l.rfind("W 24 -1 $A", 0) == 0; });
    ASSERT_NE(restore, trace.end());
    EXPECT_EQ(restore->size(), std::string("W 24 -1 $A0").size());
    EXPECT_LT(restore - trace.begin(),
              std::find(h2, trace.end(), "W 24 -1 $T80.0") - trace.begin());
    EXPECT_EQ(Temperature(r)["set"], "20");
    EXPECT_EQ(Temperature(r)["kind"], "2");
    EXPECT_EQ(r.All("pid").size(), 4u);

    // The byte-wise link never switches; opening the panel asks "?" first.
    ClearTrace();
    r = run_.Run({"/g", "--simulate", "--time-scale", "0.01", "--run", items, "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    trace = Trace();
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const std::string& l) { return l.find("$H") != std::string::npos; }),
              0)
        << ReadText(trace_);
    EXPECT_TRUE(InOrder(trace, {"W 24 -1 ?", "W 24 -1 V", "W 24 -1 R0", "W 24 -1 $T80.0"}))
        << ReadText(trace_);
}

// The hot stage on a pseudo-terminal, opened as any serial device is: the
// settings map its port name to the terminal.
class HotStageE2eTest : public TemperatureE2eTest {
  protected:
    std::string StartServer(const QStringList& extra = {}) {
        server_.setProgram(VANTRIS_HOTSTAGE_PTY);
        server_.setArguments(QStringList{"--seconds", "120"} + extra);
        server_.start();
        if (!server_.waitForReadyRead(5000)) return {};
        const std::string path = server_.readLine().trimmed().toStdString();
        std::string text = ReadText(run_.RegistryFile());
        text += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\System\\Ports]\r\n\"COM2\"=\"" +
                path + "\"\r\n";
        std::ofstream(run_.RegistryFile(), std::ios::binary) << text;
        return path;
    }
    void TearDown() override {
        server_.terminate();
        server_.waitForFinished(3000);
        TemperatureE2eTest::TearDown();
    }
    QProcess server_;
};

TEST_F(HotStageE2eTest, SetPointAndReadingOverARealSerialDevice) {
    ASSERT_FALSE(StartServer().empty());
    ProgramResult r =
        run_.Run({"/y", "--gpib-library", VANTRIS_GPIBSIM_LIBRARY, "--time-scale", "0.1", "--run",
                  "40,HOTPANEL.101=373.9,HOTPANEL.102,HOTPANEL.103,HOTPANEL.104,"
                  "HOTPANEL.2",
                  "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(r.All("message").empty()) << r.First("message");
    EXPECT_TRUE(InOrder(Trace(), {"H 0100XWS,1002W,373", "H 0100XWS,508W,18", "H 0100XRS,504W,1"}))
        << ReadText(trace_);
    auto t = Temperature(r);
    EXPECT_EQ(t["kind"], "3");
    EXPECT_EQ(t["set"], "373.9");
    EXPECT_NEAR(std::atof(t["text"].c_str()), 293.0, 2.0) << r.First("temperature");
    // The PID editor is there for the LN2 and the ITC5 only.
    bool disabled = false;
    for (const auto& m : r.All("menu"))
        disabled = disabled || (m.rfind("41 ", 0) == 0 && m.find("enabled=0") != std::string::npos);
    EXPECT_TRUE(disabled);
}

TEST_F(HotStageE2eTest, SilentStageTakesTheTimeOutAndReadsError) {
    ASSERT_FALSE(StartServer({"--mute"}).empty());
    QElapsedTimer clock;
    clock.start();
    ProgramResult r = run_.Run({"/y", "--gpib-library", VANTRIS_GPIBSIM_LIBRARY, "--time-scale",
                                "1", "--run", "40,HOTPANEL.104,HOTPANEL.2", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_EQ(Temperature(r)["text"], "Error");
    EXPECT_EQ(Temperature(r)["present"], "0");
}
}  // namespace
