#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "ProgramRun.h"

// The unattended temperature scan against the rack: the scan file it
// leaves, checked against the rack's physics; errors, drift, the panel's
// menus and a program killed in the middle of a scan.
namespace {
struct FilePoint {
    double T, rho, hall, n, mu;
};

// The header's five lines and the point lines of a working file; every line
// must end in CR LF.
struct ScanFile {
    std::vector<std::string> header;
    std::vector<FilePoint> points;
    bool wellFormed = true;
};

ScanFile ReadScanFile(const std::string& path) {
    ScanFile file;
    const std::string text = ReadText(path);
    const std::regex pointLine(
        R"(^ *\d+\.\d [0-9]\.\d\de[+-]\d\d [+-]\d\.\d\de[+-]\d\d [+-]\d\.\d\de[+-]\d\d \d\.\d\de[+-]\d\d$)");
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find("\r\n", at);
        if (end == std::string::npos) {
            file.wellFormed = false;  // a line cut short
            break;
        }
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (file.header.size() < 5) {
            file.header.push_back(line);
            continue;
        }
        if (!std::regex_match(line, pointLine)) {
            file.wellFormed = false;
            break;
        }
        FilePoint p{};
        std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &p.T, &p.rho, &p.hall, &p.n, &p.mu);
        file.points.push_back(p);
    }
    return file;
}

// The rack's specimen: n(T) and mu(T) with the defaults the tests keep.
constexpr double kBoltzmann = 8.617333262e-5;  // eV/K
constexpr double kActivation = 0.05;
double TrueConcentration(double T) {
    return 1e17 * std::exp(-(kActivation / kBoltzmann) * (1.0 / T - 1.0 / 300.0));
}
double TrueMobility(double T) {
    return 4000.0 * std::pow(T / 300.0, -1.5);
}

// Least squares of ln|n| against 1/T: the activation energy in eV.
double FittedActivation(const std::vector<FilePoint>& points) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double k = static_cast<double>(points.size());
    for (const auto& p : points) {
        const double x = 1.0 / p.T, y = std::log(std::fabs(p.n));
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double slope = (k * sxy - sx * sy) / (k * sxx - sx * sx);
    return -slope * kBoltzmann;
}

bool Has(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

class ScanRunE2eTest : public TracedE2eTest {
  protected:
    // A scan from the command line: the set-up through --set, the panel
    // opened, the set-up dialog answered OK, the scan started.
    ProgramResult Scan(const std::string& stage, const std::string& rack, const std::string& setup,
                       const std::string& extraItems = "", const std::string& scale = "0.001") {
        const std::string config = run_.WriteFile("rack.json", rack);
        return run_.Run({stage, "--simulate=" + config, "--time-scale", scale, "--set",
                         setup + ",DataDir=" + run_.Folder() + ",Thickness=1,ScatFactor=1", "--run",
                         "54,SCANPANEL.107,SCANPANEL.107" + extraItems, "--answer", "OK",
                         "--dump"});
    }
    std::map<std::string, std::string> ScanLine(const ProgramResult& r) {
        return ProgramResult::Pairs(r.First("scan"));
    }
    ScanFile File() { return ReadScanFile(run_.Folder() + "/scan.tsc"); }
    // Each point against the rack's n(T) and mu(T) at its recorded T.
    void ExpectPhysics(const ScanFile& file) {
        for (const auto& p : file.points) {
            EXPECT_LT(p.n, 0.0) << "electrons";
            EXPECT_NEAR(std::fabs(p.n) / TrueConcentration(p.T), 1.0, 0.02) << "T=" << p.T;
            EXPECT_NEAR(p.mu / TrueMobility(p.T), 1.0, 0.02) << "T=" << p.T;
        }
    }
};

constexpr const char* kFastLn2 =
    R"({"specimen":{"activation_eV":0.05},"ln2":{"tau_seconds":3,"sample_tau_seconds":0.3}})";

TEST_F(ScanRunE2eTest, Ln2ScanInEqualInverseStepsMeasuresTheRacksActivationEnergy) {
    ProgramResult r =
        Scan("/n", kFastLn2, "ScanTstart=300,ScanTstop=100,ScanNpoints=6,ScanInverse=1");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
    auto scan = ScanLine(r);
    EXPECT_EQ(scan["state"], "4");
    EXPECT_EQ(scan["done"], "6");
    EXPECT_EQ(scan["of"], "6");
    EXPECT_EQ(r.First("status"), "Finished | ");
    EXPECT_TRUE(r.All("message").empty()) << r.First("message");

    const ScanFile file = File();
    ASSERT_TRUE(file.wellFormed);
    ASSERT_EQ(file.header.size(), 5u);
    ASSERT_EQ(file.points.size(), 6u);
    // The set-points, planned in equal steps of 1000/T; the LN2 entries' margin is 1 K.
    for (int i = 0; i < 6; ++i) {
        const double a = 1000.0 / 300.0, b = 1000.0 / 100.0;
        const double planned = 1000.0 / (a + i * (b - a) / 5.0);
        EXPECT_NEAR(file.points[i].T, planned, 1.0) << i;
    }
    ExpectPhysics(file);
    EXPECT_NEAR(FittedActivation(file.points) / kActivation, 1.0, 0.02);
    // The live window shows the same points.
    EXPECT_EQ(r.All("point").size(), 6u);
}

TEST_F(ScanRunE2eTest, Itc5ScanWithTheSampleLaggingTheCryostat) {
    ProgramResult r = Scan("/h",
                           R"({"specimen":{"activation_eV":0.05},)"
                           R"("itc5":{"tau_seconds":5,"sample_tau_seconds":3}})",
                           "ScanTstart=300,ScanTstop=100,ScanNpoints=3", "",
                           // The lagging sample moves during a measurement: at a
                           // thousandth of real time a busy machine's pauses would
                           // move it further than any instrument would.
                           "0.01");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(ScanLine(r)["state"], "4");
    const ScanFile file = File();
    ASSERT_EQ(file.points.size(), 3u);
    const double planned[] = {300, 200, 100};
    // The ITC5's default entries: sample margin 2 K.
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(file.points[i].T, planned[i], 2.0) << i;
    ExpectPhysics(file);
}

TEST_F(ScanRunE2eTest, ByteWiseItcLinkQueriesBeforeEachNewSetPoint) {
    ProgramResult r = Scan("/g", R"({"itc5":{"tau_seconds":5,"sample_tau_seconds":1}})",
                           "ScanTstart=300,ScanTstop=200,ScanNpoints=3");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(File().points.size(), 3u);
    const auto trace = Trace();
    int setPoints = 0;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        // The points' set-points; the room temperature at the end is no point.
        if (trace[i].rfind("W 24 -1 $T", 0) != 0 || setPoints == 3) continue;
        ++setPoints;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(trace[i - 1], "W 24 -1 ?") << trace[i];
    }
    EXPECT_EQ(setPoints, 3);
}

// A reading of the third Hall run times out (three "S31M24" a run).
constexpr const char* kHallFailsAtTheThirdPoint =
    R"({"specimen":{"activation_eV":0.05},"ln2":{"tau_seconds":3,"sample_tau_seconds":0.3},)"
    R"("faults":[{"device":"hall","kind":"timeout","command":"S31M24","after":6}]})";

TEST_F(ScanRunE2eTest, HallFailureAtTheThirdPointPausesAndResumeMeasuresItAgain) {
    ProgramResult r = Scan("/n", kHallFailsAtTheThirdPoint,
                           "ScanTstart=300,ScanTstop=100,ScanNpoints=4", ",SCANPANEL.107");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(Has(r.All("message"), "Exception: | Hall Failed")) << r.First("message");
    auto scan = ScanLine(r);
    EXPECT_EQ(scan["state"], "4");
    EXPECT_EQ(scan["done"], "4");
    // Every point measured once to the end: the failed one again after Resume.
    EXPECT_EQ(scan["measured"], "4");
    const auto trace = Trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "W 3 7 S14M23"), 5);  // resistivity runs
    const ScanFile file = File();
    ASSERT_EQ(file.points.size(), 4u);
    EXPECT_NEAR(file.points[2].T, 300.0 - 2 * 200.0 / 3.0, 1.0);
    ExpectPhysics(file);
}

TEST_F(ScanRunE2eTest, ASettingsSetReadWhilePausedKeepsTheMeasuredPoints) {
    // Paused by the failure at the third point, the panel is closed, the
    // settings set is read again, and the scan resumes where it stood.
    ProgramResult r =
        Scan("/n", kHallFailsAtTheThirdPoint, "ScanTstart=300,ScanTstop=100,ScanNpoints=4",
             ",SCANPANEL.2,11,READREG.101=default,READREG.1,54,SCANPANEL.107");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    auto scan = ScanLine(r);
    EXPECT_EQ(scan["state"], "4");
    EXPECT_EQ(scan["done"], "4");
    EXPECT_EQ(scan["measured"], "4");
    const ScanFile file = File();
    ASSERT_EQ(file.points.size(), 4u);
    EXPECT_NEAR(file.points[2].T, 300.0 - 2 * 200.0 / 3.0, 1.0);
    EXPECT_NEAR(file.points[3].T, 100.0, 1.0);
}

TEST_F(ScanRunE2eTest, Itc5DriftBeyondTheMarginRepeatsEachPointAtMostTenTimes) {
    // Entries that let every point be measured at once while the stage is
    // still on its way, with the drift margin at its least (0 reads 0.25 K).
    ASSERT_TRUE(run_.EditRegistry("\"B1\"=dword:00000002", "\"B1\"=dword:000001f4"));
    ASSERT_TRUE(run_.EditRegistry("\"B2\"=dword:00000002", "\"B2\"=dword:000001f4"));
    ASSERT_TRUE(run_.EditRegistry("\"B3\"=dword:00000002", "\"B3\"=dword:00000000"));
    ProgramResult r = Scan("/h", R"({"itc5":{"tau_seconds":3000,"sample_tau_seconds":1}})",
                           "ScanTstart=200,ScanTstop=100,ScanNpoints=3");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    auto scan = ScanLine(r);
    EXPECT_EQ(scan["state"], "4");
    EXPECT_EQ(scan["measured"], "30");
    EXPECT_EQ(scan["point_measured"], "10");
    EXPECT_EQ(File().points.size(), 3u);
}

TEST_F(ScanRunE2eTest, PanelGreysTheMenusButGraphAndClosingItRestoresThem) {
    // One run: a dump while the panel is up, the closing one after it has gone.
    ProgramResult r = run_.Run({"/n", "--simulate", "--run", "54,DUMP,SCANPANEL.2", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const auto dumps = r.Dumps();
    ASSERT_EQ(dumps.size(), 2u);
    const ProgramResult& open = dumps[0];
    const ProgramResult& closed = dumps[1];
    const auto menus = open.All("menu");
    auto enabled = [](const std::vector<std::string>& lines, const std::string& id) {
        for (const auto& l : lines)
            if (l.rfind(id + " ", 0) == 0) return l.find("enabled=1") != std::string::npos;
        return false;
    };
    EXPECT_FALSE(enabled(menus, "51"));  // Measure
    EXPECT_FALSE(enabled(menus, "62"));  // File
    EXPECT_FALSE(enabled(menus, "42"));  // Configure
    EXPECT_TRUE(enabled(menus, "74"));   // Graph stays
    std::string panel;
    for (const auto& w : open.All("window"))
        if (w.rfind("SCANPANEL", 0) == 0) panel = w;
    EXPECT_NE(panel.find("107=Setup"), std::string::npos) << panel;
    EXPECT_NE(panel.find("enabled=2,107,108,998"), std::string::npos) << panel;

    EXPECT_TRUE(enabled(closed.All("menu"), "51"));
    EXPECT_TRUE(enabled(closed.All("menu"), "62"));
    EXPECT_EQ(closed.First("status"), "Ready | ");
    for (const auto& w : closed.All("window")) EXPECT_EQ(w.find("SCANPANEL"), std::string::npos);
}

TEST_F(ScanRunE2eTest, KilledAtAnyMomentTheWorkingFileHoldsWholeLines) {
    const std::string config = run_.WriteFile("rack.json", kFastLn2);
    const QString file = QString::fromStdString(run_.Folder() + "/scan.tsc");
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMs(0, 1500);
    int withPoints = 0;
    for (int trial = 0; trial < 20; ++trial) {
        QFile::remove(file);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VANTRIS_REGISTRY", QString::fromStdString(run_.RegistryFile()));
        env.remove("VANTRIS_SIM_TRACE");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(run_.Folder()));
        process.start(
            VANTRIS_NI_PROGRAM,
            {"/n", QString::fromStdString("--simulate=" + config), "--time-scale", "0.004", "--set",
             QString::fromStdString("ScanTstart=300,ScanTstop=100,ScanNpoints=12,"
                                    "DataDir=" +
                                    run_.Folder()),
             "--run", "54,SCANPANEL.107,SCANPANEL.107", "--answer", "OK"});
        ASSERT_TRUE(process.waitForStarted());
        // A moment of the scan: after its start, when the file is there.
        for (int i = 0; i < 2000 && !QFile::exists(file); ++i) QThread::msleep(2);
        QThread::msleep(delayMs(random));
        process.kill();  // SIGKILL
        process.waitForFinished();
        ASSERT_TRUE(QFile::exists(file)) << trial;
        const ScanFile scan = ReadScanFile(file.toStdString());
        EXPECT_TRUE(scan.wellFormed) << "trial " << trial << "\n" << ReadText(file.toStdString());
        EXPECT_EQ(scan.header.size(), 5u) << trial;
        if (scan.points.empty()) continue;
        ++withPoints;
        // A viewer opens what was left.
        ProgramResult viewer = run_.Run({"/n", "--open", file.toStdString(), "--dump"});
        ASSERT_EQ(viewer.exitCode, 0) << viewer.errors;
        EXPECT_EQ(viewer.All("point").size(), scan.points.size()) << trial;
    }
    EXPECT_GT(withPoints, 5);
}

}  // namespace
