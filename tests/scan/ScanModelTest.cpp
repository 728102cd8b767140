// The scan's model without a window: what it writes to the working file is
// what it holds, a file it wrote reads back as the same scan, and a scan
// keeps writing where it started.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/MeasurementResults.h"
#include "core/SpecimenData.h"
#include "core/xmsg.h"
#include "platform/Prompt.h"
#include "records/ProgramState.h"
#include "records/ScanSettings.h"
#include "scan/ScanModel.h"
#include "temperature/TTemp.h"
#include "TestProgram.h"

namespace {
// A controller whose readings come from a list.
class ListedStage : public TTemp {
  public:
    explicit ListedStage(ProgramState& program)
        : TTemp(program.Instruments().Bus(), program.Config()) {}
    std::vector<double> readings;
    void ReadTemperature() override {
        if (!readings.empty()) {
            present_ = readings.front();
            readings.erase(readings.begin());
        }
    }
};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ScanModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ASSERT_TRUE(folder.isValid());
        ScanSettings& sc = program.Records().scan;
        sc.DataDir = folder.path().toStdString();
        sc.ScanNpoints = 4, sc.ScanTstart = 300, sc.ScanTstop = 150, sc.ScanInverse = false;
        SpecimenData& s = program.Specimen();
        s.WaferID = "W-9", s.BatchID = "B", s.Description = "GaAs on SI", s.Material = "GaAs";
        s.Thickness = 2.5;
    }
    // One point as the scan run takes it: the marker, the reading, the results.
    bool Take(double kelvin, double scale) {
        stage.readings = {kelvin};
        model.ToggleSetPointMarker();
        model.UpdateTemperatureMarker();
        model.TakeTemperature();
        MeasurementResults r;
        r.bulkResistivity = 0.02 * scale, r.sheetResistance = 80 * scale;
        r.hallCoefficientRaw = -3.5e-4 * scale, r.bulkConcentration = -2e17 / scale;
        r.sheetConcentration = -5e13 / scale, r.mobility = 1500 / scale;
        const bool written = model.AddResults(r);
        if (written) model.NextSlot();
        return written;
    }

    ProgramState program;
    QTemporaryDir folder;
    ListedStage stage{program};
    ScanModel model{program, &stage};
};

TEST_F(ScanModelTest, APointTakenIsTheLineInTheFileAndThePointInTheModel) {
    ASSERT_TRUE(model.StartScan());
    model.Plan();
    std::vector<int> added;
    QObject::connect(&model, &ScanModel::pointAdded, [&added](int slot) { added.push_back(slot); });
    ASSERT_TRUE(Take(299.7, 1));
    // "Next Temp" on the second point: counted, but no line.
    model.SkipCurrentPoint();
    model.NextSlot();
    ASSERT_TRUE(Take(199.4, 10));
    EXPECT_EQ(added, (std::vector<int>{0, 2}));

    const ScanData& data = model.Data();
    EXPECT_EQ((std::vector<int>{data.count, data.current}), (std::vector<int>{3, 3}));
    const std::string expected = HeaderText(model.Header()) + PointLine(data.points[0]) + "\r\n" +
                                 PointLine(data.points[2]) + "\r\n";
    EXPECT_EQ(Bytes(model.WorkingFile()), expected);
    // The header is the specimen record, written once at the start.
    EXPECT_EQ(HeaderText(model.Header()), "W-9\r\nB\r\nGaAs on SI\r\nGaAs\r\n2.5\r\n");
    // The extents follow the points taken, not the planned temperatures.
    EXPECT_DOUBLE_EQ(data.T.maximum, 299.7);
    EXPECT_DOUBLE_EQ(data.T.minimum, 199.4);
}

// The viewer's model of the file reads back the scan the live model wrote:
// the same header, the same points (as the file's precision keeps them).
TEST_F(ScanModelTest, AFileItWroteReadsBackAsTheSameScan) {
    ASSERT_TRUE(model.StartScan());
    model.Plan();
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Take(300.0 - 50 * i + 0.3, 1 + i));
    std::ifstream in(model.WorkingFile(), std::ios::binary);
    ScanModel read;
    ASSERT_TRUE(read.Load(in));
    EXPECT_TRUE(read.ReadNotes().empty());
    EXPECT_EQ(read.PlannedCount(), 0);  // a file has no plan
    const ScanHeader a = model.Header(), b = read.Header();
    EXPECT_EQ((std::vector<std::string>{b.WaferID, b.BatchID, b.Description, b.Material}),
              (std::vector<std::string>{a.WaferID, a.BatchID, a.Description, a.Material}));
    EXPECT_DOUBLE_EQ(b.Thickness, a.Thickness);
    ASSERT_EQ(read.Data().count, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(PointLine(read.Data().points[i]), PointLine(model.Data().points[i])) << i;
}

// A settings set read while the scan is paused may name another data
// directory: the points still go to the file the scan started, which alone
// has their header.
TEST_F(ScanModelTest, PointsGoToTheFileTheScanStartedIn) {
    ASSERT_TRUE(model.StartScan());
    const std::string started = model.WorkingFile();
    model.Plan();
    ASSERT_TRUE(Take(300.2, 1));
    const QString other = folder.filePath("other");
    ASSERT_TRUE(QDir().mkpath(other));
    program.Records().scan.DataDir = other.toStdString();
    ASSERT_TRUE(Take(250.2, 1));
    EXPECT_EQ(model.ScanFile(), started);
    EXPECT_NE(model.WorkingFile(), started);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(model.WorkingFile())));
    std::istringstream text(Bytes(started));
    EXPECT_EQ(ReadScanFile(text).data.count, 2);
    // The dump names the file the scan writes.
    std::vector<std::string> lines;
    model.DumpScanLines(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "scanwindow: planned=4 temperatures=300.2,250.2,200,150 current=2 "
              "setmarker=0 tempmarker=0 file=" +
                  started);
}

// A reading that raises leaves the temperature marker off, and a new plan
// takes both markers down: a marker never stands at a stale reading.
TEST_F(ScanModelTest, MarkersNeverOutliveTheirReadingOrThePlan) {
    class FailingStage : public TTemp {
      public:
        using TTemp::TTemp;
        void ReadTemperature() override { throw xgpib("no reply"); }
    } failing(program.Instruments().Bus(), program.Config());
    ScanModel live(program, &failing);
    live.Plan();
    EXPECT_THROW(live.UpdateTemperatureMarker(), xgpib);
    EXPECT_FALSE(live.TemperatureMarkerShown());
    stage.readings = {280.0};
    model.Plan();
    model.ToggleSetPointMarker();
    model.UpdateTemperatureMarker();
    EXPECT_EQ(model.TemperatureMarker(), std::optional<double>(280.0));
    model.Plan();
    EXPECT_FALSE(model.SetPointMarkerShown() || model.TemperatureMarkerShown());
}
}  // namespace
