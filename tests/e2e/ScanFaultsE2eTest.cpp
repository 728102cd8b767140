#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../temperature/FakeHotStage.h"
#include "ProgramRun.h"

// Unattended scans against temperature controllers that misbehave: replies
// of junk, a controller that falls silent, a hot stage whose frames come
// broken. Whatever the controller does, no point is recorded at a
// temperature the stage was not read at, and every scan ends, finished or
// paused with a message.
namespace {

// The temperatures of the scan file's point lines (after its five header lines).
std::vector<double> FileTemperatures(const std::string& path) {
    std::vector<double> temperatures;
    int n = 0;
    for (const std::string& line : Lines(ReadText(path)))
        if (++n > 5 && !line.empty()) temperatures.push_back(std::atof(line.c_str()));
    return temperatures;
}

// Equal steps in T.
std::vector<double> Planned(int start, int stop, int points) {
    std::vector<double> planned;
    for (int i = 0; i < points; ++i)
        planned.push_back(start + i * static_cast<double>(stop - start) / (points - 1));
    return planned;
}

class ScanFaultsE2eTest : public TracedE2eTest {
  protected:
    ProgramResult Scan(const std::string& stage, const std::string& rack, int start, int stop,
                       int points, const std::string& extraItems = "") {
        const std::string config = run_.WriteFile("rack.json", rack);
        return run_.Run({stage, "--simulate=" + config, "--time-scale", "0.01", "--set",
                         Setup(start, stop, points), "--run",
                         "54,SCANPANEL.107,SCANPANEL.107" + extraItems, "--answer", "OK",
                         "--dump"});
    }
    std::string Setup(int start, int stop, int points) const {
        return "ScanTstart=" + std::to_string(start) + ",ScanTstop=" + std::to_string(stop) +
               ",ScanNpoints=" + std::to_string(points) + ",DataDir=" + run_.Folder();
    }
    std::vector<double> Points() const { return FileTemperatures(run_.Folder() + "/scan.tsc"); }

    // What every scan must leave, faults or not: it finished, or it paused
    // with a message; each recorded point near its planned temperature (the
    // hot stage regulates to whole kelvin). Returns the scan's state.
    std::string ExpectTrustworthy(const ProgramResult& r, const std::vector<double>& planned,
                                  bool wholeKelvin, const std::string& label) {
        EXPECT_EQ(r.exitCode, 0) << label << r.errors;
        EXPECT_EQ(r.errors.find("run:"), std::string::npos) << label << r.errors;
        const auto scan = ProgramResult::Pairs(r.First("scan"));
        const std::string state = scan.count("state") ? scan.at("state") : "?";
        if (state != "4") {
            EXPECT_EQ(state, "2") << label << " " << r.First("scan");
            EXPECT_FALSE(r.All("message").empty()) << label << ": paused without a word";
        }
        const std::vector<double> points = Points();
        EXPECT_LE(points.size(), planned.size()) << label;
        for (std::size_t i = 0; i < points.size() && i < planned.size(); ++i) {
            const double target = wholeKelvin ? std::trunc(planned[i]) : planned[i];
            EXPECT_GT(points[i], 1.0) << label << " point " << i;
            EXPECT_NEAR(points[i], target, 2.0) << label << " point " << i;
        }
        if (state == "4") {
            EXPECT_EQ(points.size(), planned.size()) << label;
        }
        std::printf("[ scan    ] %s: state %s, %zu of %zu points, %zu messages\n", label.c_str(),
                    state.c_str(), points.size(), planned.size(), r.All("message").size());
        return state;
    }
    void ClearFiles() {
        std::remove((run_.Folder() + "/scan.tsc").c_str());
        std::remove(trace_.c_str());
    }
};

bool StartsWithAny(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& line : lines)
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

// Junk in three of ten temperature replies: the panel shows "Error" then,
// and no such reading becomes a point's temperature.
TEST_F(ScanFaultsE2eTest, Ln2TemperatureRepliesOfJunk) {
    for (int seed : {5, 7, 12}) {
        ClearFiles();
        const std::string rack = R"({"seed":)" + std::to_string(seed) +
                                 R"(,"faults":[{"device":"ln2","kind":"garbage","secondary":4,)"
                                 R"("probability":0.3}]})";
        ProgramResult r = Scan("/n", rack, 300, 100, 4);
        const std::string state =
            ExpectTrustworthy(r, Planned(300, 100, 4), false, "ln2 seed " + std::to_string(seed));
        // A reading fails now and then: the scan reads again and goes on.
        EXPECT_EQ(state, "4");
    }
}

// The LN2 controller stops answering while the scan waits at a point: after
// 60 s of failed readings the scan pauses and says why.
TEST_F(ScanFaultsE2eTest, Ln2ControllerFallsSilent) {
    // Silent from the hundredth temperature reading on: a point or two is measured before.
    ProgramResult r = Scan("/n",
                           R"({"ln2":{"tau_seconds":3,"sample_tau_seconds":0.3},)"
                           R"("faults":[{"device":"ln2","kind":"silence","secondary":4,)"
                           R"("after":100}]})",
                           300, 100, 4);
    EXPECT_EQ(ExpectTrustworthy(r, Planned(300, 100, 4), false, "ln2 silent"), "2");
    EXPECT_GE(Points().size(), 1u);
    EXPECT_TRUE(StartsWithAny(r.All("message"),
                              "Temperature Scan | No temperature from the LN2 controller for 6"))
        << r.First("message");
    EXPECT_EQ(r.First("status"), "Standby | ");
}

constexpr const char* kFastItc5 = R"("itc5":{"tau_seconds":5,"sample_tau_seconds":3})";

TEST_F(ScanFaultsE2eTest, Itc5RepliesOfJunk) {
    for (int seed : {3, 8}) {
        ClearFiles();
        const std::string rack = R"({"seed":)" + std::to_string(seed) + "," + kFastItc5 +
                                 R"(,"faults":[{"device":"itc5","kind":"garbage",)"
                                 R"("probability":0.1}]})";
        ProgramResult r = Scan("/h", rack, 300, 100, 3);
        ExpectTrustworthy(r, Planned(300, 100, 3), false, "itc5 seed " + std::to_string(seed));
    }
}

TEST_F(ScanFaultsE2eTest, Itc5FallsSilent) {
    ProgramResult r = Scan("/h",
                           std::string("{") + kFastItc5 +
                               R"(,"faults":[{"device":"itc5","kind":"silence","after":60}]})",
                           300, 100, 3);
    EXPECT_EQ(ExpectTrustworthy(r, Planned(300, 100, 3), false, "itc5 silent"), "2");
}

constexpr const char* kFastHot = R"("hot":{"tau_seconds":10})";

TEST_F(ScanFaultsE2eTest, HotStageRepliesOfJunk) {
    for (int seed : {4, 9}) {
        ClearFiles();
        const std::string rack = R"({"seed":)" + std::to_string(seed) + "," + kFastHot +
                                 R"(,"faults":[{"device":"hot","kind":"garbage",)"
                                 R"("probability":0.3}]})";
        ProgramResult r = Scan("/y", rack, 300, 400, 3);
        const std::string state =
            ExpectTrustworthy(r, Planned(300, 400, 3), true, "hot seed " + std::to_string(seed));
        EXPECT_EQ(state, "4");
    }
}

// The hot stage's line dies while the scan waits, and the operator forces
// the measurement: no point is taken without a temperature.
TEST_F(ScanFaultsE2eTest, HotStageLineDiesBeforeForceMeas) {
    ProgramResult r =
        Scan("/y",
             R"({"hot":{"tau_seconds":400},"faults":[{"device":"hot","kind":"silence",)"
             R"("command":"0100XRS","after":5}]})",
             600, 700, 3, ",SCANPANEL.105@40");
    EXPECT_EQ(ExpectTrustworthy(r, Planned(600, 700, 3), true, "hot line dies"), "2");
    EXPECT_TRUE(Points().empty());
    EXPECT_TRUE(StartsWithAny(r.All("message"),
                              "Temperature Scan | No temperature from the hot stage for 6"))
        << r.First("message");
}

// A hot stage on a pseudo-terminal that sends some replies without their
// frame: the scan records the stage where it is (300, 350, 400 K), never a
// number cut out of an unframed reply (0, 50, 0 K).
TEST_F(ScanFaultsE2eTest, HotStageAlternatingFramedAndUnframedReplies) {
    // Before the stage: its thread uses them until the stage is gone.
    std::atomic<int> setPoint{293};
    std::atomic<int> reads{0};
    FakeStage stage;
    ASSERT_FALSE(stage.Path().empty());
    stage.Answer([&](const std::string& text) -> std::string {
        static const std::string setPrefix = "0100XWS,1002W,";
        if (text.rfind(setPrefix, 0) == 0) {
            setPoint = std::atoi(text.c_str() + setPrefix.size());
            return Frame("0100XWS,OK");
        }
        if (text.rfind("0100XWS,", 0) == 0) return Frame("0100XWS,OK");
        const std::string reading = "0100XRS," + std::to_string(setPoint.load()) + ".0";
        // Every third reply without its STX (it read "50.0" for 350.0 by
        // position): a scan point's three readings are the tick's and the
        // two measurements', so each point's last one is such a reply.
        return ++reads % 3 == 0 ? reading + "\x03\r\n" : Frame(reading);
    });
    std::string settings = ReadText(run_.RegistryFile());
    settings += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\System\\Ports]\r\n\"COM2\"=\"" +
                stage.Path() + "\"\r\n";
    std::ofstream(run_.RegistryFile(), std::ios::binary) << settings;
    ProgramResult r = run_.Run({"/y", "--gpib-library", VANTRIS_GPIBSIM_LIBRARY, "--time-scale",
                                "0.05", "--set", Setup(300, 400, 3), "--run",
                                "54,SCANPANEL.107,SCANPANEL.107", "--answer", "OK", "--dump"});
    EXPECT_EQ(ExpectTrustworthy(r, Planned(300, 400, 3), true, "hot on a terminal"), "4");
    EXPECT_EQ(Points(), (std::vector<double>{300.0, 350.0, 400.0}));
    EXPECT_GT(reads.load(), 6);
}

}  // namespace
