#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "scan/GraphLook.h"
#include "core/MeasurementResults.h"
#include "platform/Prompt.h"
#include "records/ScanSettings.h"
#include "core/SpecimenData.h"
#include "records/ProgramState.h"
#include "scan/ScanWindows.h"
#include "scan/ScanModel.h"
#include "scan/TScanAcq.h"
#include "temperature/TTemp.h"
#include "bus/GpibBus.h"
#include "core/CoreRecords.h"
#include "TestProgram.h"

namespace {
// A controller whose readings come from a list.
class ListedTemperature : public TTemp {
  public:
    explicit ListedTemperature(BusSlot& bus) : TTemp(bus, TestCore().config) {}
    std::vector<double> readings;
    std::size_t next = 0;
    void ReadTemperature() override {
        if (next < readings.size()) present_ = readings[next++];
    }
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class LiveScan : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ASSERT_TRUE(folder.isValid());
        Style() = DefaultGraphStyle();
        Scan() = ScanSettings{};
        Scan().DataDir = folder.path().toStdString();
        Specimen() = SpecimenData{};
        Specimen().WaferID = "W-17", Specimen().BatchID = "B3";
        Specimen().Description = "Si:B wafer", Specimen().Material = "Si";
        Specimen().Thickness = 525;
        Prompt::SetResponder(&responder);
        model = std::make_unique<ScanModel>(program, &controller);
        window = std::make_unique<TScanAcq>(*model, Scan(), Config(), Status(), Style());
        window->resize(640, 440);
    }
    void TearDown() override { Prompt::SetResponder(nullptr); }

    // One point as the scan run takes it.
    void TakePoint(double kelvin, const MeasurementResults& r) {
        controller.readings = {kelvin}, controller.next = 0;
        model->ToggleSetPointMarker();
        model->UpdateTemperatureMarker();
        model->TakeTemperature();
        model->AddResults(r);
        model->NextSlot();
    }

    ProgramState program;
    QTemporaryDir folder;
    BusSlot slot;
    ListedTemperature controller{slot};
    Prompt::ScriptedResponder responder;
    std::unique_ptr<ScanModel> model;  // the scan run's model, shown by the window
    std::unique_ptr<TScanAcq> window;
};

MeasurementResults Result(double scale) {
    MeasurementResults r;
    r.sheetResistance = 120 * scale, r.bulkResistivity = 0.0063 * scale;
    r.hallCoefficientRaw = -2.1e-4 * scale, r.sheetConcentration = -3e14 / scale;
    r.bulkConcentration = -5.7e18 / scale, r.mobility = 290 / scale;
    return r;
}
}  // namespace

TEST_F(LiveScan, AScanWritesItsHeaderAndEveryPointAsItIsTaken) {
    Scan().ScanNpoints = 3, Scan().ScanTstart = 300, Scan().ScanTstop = 100;
    Scan().ScanInverse = true;
    ASSERT_TRUE(model->StartScan());
    model->Plan();
    EXPECT_EQ(model->PlannedCount(), 3);
    EXPECT_NEAR(window->Data().points[1].T, 150, 1e-9);
    const std::string header = "W-17\r\nB3\r\nSi:B wafer\r\nSi\r\n525\r\n";
    EXPECT_EQ(Slurp(model->WorkingFile()), header);

    TakePoint(299.6, Result(1));
    // Every point is in the file at once: a scan that stops early is complete.
    EXPECT_EQ(Slurp(model->WorkingFile()),
              header + "299.6 6.30e-03 -2.10e-04 -5.70e+18 2.90e+02\r\n");
    TakePoint(151.2, Result(10));
    EXPECT_EQ(window->Data().count, 2);
    EXPECT_DOUBLE_EQ(window->Data().points[1].T, 151.2);
    EXPECT_NEAR(window->Data().points[2].T, 100, 1e-9);  // still planned
    EXPECT_DOUBLE_EQ(window->Data().concentration.maximum, 5.7e18);
    EXPECT_DOUBLE_EQ(window->Data().T.minimum, 151.2);
}

TEST_F(LiveScan, SheetAndResistivityOnlyColumns) {
    Specimen().Thickness = 0;
    Scan().ScanNpoints = 4;
    model->StartScan();
    model->SetResistivityOnly(true);
    model->Plan();
    EXPECT_EQ(window->View(), TScanBase::Resistivity);
    TakePoint(200, Result(1));
    const ScanPoint& p = window->Data().points[0];
    EXPECT_DOUBLE_EQ(p.resistivity, 120);  // sheet resistance without a thickness
    EXPECT_EQ((std::vector<double>{p.hall, p.concentration, p.mobility}),
              (std::vector<double>{0, 0, 0}));
    model->SetResistivityOnly(false);
    model->Plan();
    TakePoint(210, Result(1));
    EXPECT_DOUBLE_EQ(window->Data().points[0].concentration, -3e14);  // sheet concentration
}

TEST_F(LiveScan, MarkersAreAnOverlayThatARepaintClears) {
    Scan().ScanNpoints = 5;
    model->Plan();
    model->ToggleSetPointMarker();
    EXPECT_TRUE(model->SetPointMarkerShown());
    model->ToggleSetPointMarker();  // drawn twice: gone
    EXPECT_FALSE(model->SetPointMarkerShown());
    model->ToggleSetPointMarker();
    controller.readings = {250, 251.5};
    model->UpdateTemperatureMarker();
    model->UpdateTemperatureMarker();
    EXPECT_TRUE(model->TemperatureMarkerShown());
    EXPECT_DOUBLE_EQ(controller.present, 251.5);
    model->TakeTemperature();
    EXPECT_FALSE(model->TemperatureMarkerShown());
    EXPECT_FALSE(model->SetPointMarkerShown());
    EXPECT_DOUBLE_EQ(window->Data().points[0].T, 251.5);
    // Painting the graph again leaves the overlay alone and does not count a marker.
    const int paints = window->GraphPaints();
    window->Render({640, 440});
    EXPECT_EQ(window->GraphPaints(), paints + 1);
}

TEST_F(LiveScan, SettingsSetTheAxesTheViewAndThePlan) {
    ScanSettings& sc = Scan();
    sc.Nmin = 14, sc.Nmax = 19, sc.Umin = 1, sc.Umax = 4, sc.Rmin = -2, sc.Rmax = 3, sc.RHmin = -3,
    sc.RHmax = 1, sc.Tscale1 = 80, sc.Tscale2 = 320, sc.TscaleInverse = true;
    sc.ScanNpoints = 12, sc.ScanTstart = 300, sc.ScanTstop = 80;
    window->SetView(TScanBase::Resistivity);
    window->ApplyScanSettings();
    model->Plan();
    EXPECT_EQ(window->View(), TScanBase::ConcMobility);
    EXPECT_TRUE(window->Inverse());
    EXPECT_EQ(window->bulkConcentration_.visible, (LogRange{14, 19}));
    EXPECT_EQ(window->sheetConcentration_.visible, (LogRange{10, 15}));  // shifted down by 4
    EXPECT_EQ(window->sheetResistance_.visible, (LogRange{2, 7}));       // shifted up by 4
    EXPECT_EQ(window->hallScale_.set, (LogRange{-3, 1}));
    EXPECT_NEAR(window->inverseScale_.visible.minimum, 1000.0 / 320, 1e-12);
    EXPECT_NEAR(window->inverseScale_.visible.maximum, 12.5, 1e-12);
    EXPECT_EQ((std::pair{model->PlannedCount(), window->Data().count}), (std::pair{12, 0}));
    // A sheet specimen shows the sheet axes; the set-scale result goes back
    // into the settings in bulk decades.
    Specimen().Thickness = 0;
    EXPECT_EQ(window->LeftScale().label, "Log Ns (/cm\xC2\xB2)");
    window->sheetConcentration_.set = {9, 13};
    window->SetTemperatureRange(90, 310);
    EXPECT_EQ((std::vector<int>{sc.Nmin, sc.Nmax, sc.Tscale2}), (std::vector<int>{13, 17, 310}));
}

TEST_F(LiveScan, SaveAsCopiesTheWorkingFileExactly) {
    Scan().ScanNpoints = 3;
    model->StartScan();
    model->Plan();
    TakePoint(290, Result(1));
    const std::string copy = folder.filePath("kept.tsc").toStdString();
    EXPECT_FALSE(model->CopyWorkingFile(copy).has_value());
    EXPECT_EQ(Slurp(copy), Slurp(model->WorkingFile()));
    // A larger file crosses the 2048-byte blocks.
    {
        std::ofstream out(model->WorkingFile(), std::ios::binary | std::ios::app);
        for (int i = 0; i < 300; ++i) out << PointLine({100.0 + i, 1, 0, 0, 0}) << "\r\n";
    }
    std::ofstream(copy) << "something longer than the copy will be, to be overwritten........";
    EXPECT_FALSE(model->CopyWorkingFile(copy).has_value());
    EXPECT_EQ(Slurp(copy), Slurp(model->WorkingFile()));
    // Onto itself: left as it is.
    const std::string before = Slurp(model->WorkingFile());
    EXPECT_FALSE(model->CopyWorkingFile(model->WorkingFile()).has_value());
    EXPECT_EQ(Slurp(model->WorkingFile()), before);
    // An unwritable destination and a missing working file are told.
    const auto unwritable =
        model->CopyWorkingFile(folder.filePath("no/such/dir/x.tsc").toStdString());
    ASSERT_TRUE(unwritable.has_value());
    EXPECT_NE(unwritable->find("Can't write file"), std::string::npos);
    QFile::remove(QString::fromStdString(model->WorkingFile()));
    EXPECT_TRUE(model->CopyWorkingFile(copy).has_value());
    EXPECT_FALSE(Slurp(copy).empty());  // the old copy is not destroyed

    // The command: the default extension, and the message on failure.
    Prompt::ScriptedResponder answers({folder.filePath("named").toStdString()});
    Prompt::SetResponder(&answers);
    window->SaveAsCommand();
    ASSERT_GE(answers.Asked().size(), 2u);
    EXPECT_EQ(answers.Asked()[0].caption, "Save Scan Datafile");
    EXPECT_EQ(answers.Asked()[1].kind, "message");
}

TEST_F(LiveScan, APointThatCannotBeWrittenIsNotTaken) {
    const std::string missing = folder.filePath("missing/dir").toStdString();
    Scan().DataDir = missing, Scan().ScanNpoints = 3;
    EXPECT_FALSE(model->StartScan());
    EXPECT_EQ(model->LastWriteFailure(),
              "Can't write file:\n" + missing + "/scan.tsc\nNo such file or directory");
    model->Plan();
    const double planned = window->Data().points[0].T;
    controller.readings = {280};
    model->UpdateTemperatureMarker();
    model->TakeTemperature();
    EXPECT_FALSE(model->AddResults(Result(1)));
    // The slot is as planned: no results, no extents, its set-point back.
    EXPECT_EQ(
        (std::vector<double>{window->Data().points[0].T, window->Data().points[0].resistivity}),
        (std::vector<double>{planned, 0.0}));
    EXPECT_EQ(window->Data().count, 0);
    EXPECT_DOUBLE_EQ(window->Data().T.maximum, 0.0);
}

// A printout, a clipboard copy or a bitmap draws the graph onto another
// surface: the window's zoom, plot and scales and the model's points and
// markers stay as the operator sees them.
TEST_F(LiveScan, PrintingAndCopyingLeaveTheWindowAndTheScanAsTheyWere) {
    Scan().ScanNpoints = 4, Scan().ScanTstart = 320, Scan().ScanTstop = 200;
    ASSERT_TRUE(model->StartScan());
    model->Plan();
    TakePoint(319.5, Result(1));
    TakePoint(281.0, Result(3));
    model->ToggleSetPointMarker();
    controller.readings = {250.5}, controller.next = 0;
    model->UpdateTemperatureMarker();
    window->AutoScale();
    int mode = 1;  // zoom
    window->SetToolModeSource([&mode] { return mode; }, {});
    const PlotRect plot = window->Frame().plot;
    window->Press({plot.left + 30, plot.top + 30});
    window->Release({plot.left + 300, plot.bottom - 40});
    ASSERT_EQ(window->BandState(), TScanBase::Band::Zoomed);

    auto state = [&] {
        std::vector<std::string> lines;
        window->DumpLines(lines);
        model->DumpScanLines(lines);
        const PlotRect r = window->Frame().plot;
        char b[160];
        std::snprintf(b, sizeof b, "plot=%d,%d,%d,%d factors=%.17g,%.17g,%.17g", r.left, r.top,
                      r.right, r.bottom, window->XScale().factor, window->LeftScale().factor,
                      window->RightScale() ? window->RightScale()->factor : 0.0);
        lines.push_back(b);
        lines.push_back(std::to_string(model->TemperatureMarker().value_or(-1.0)) +
                        (model->SetPointMarkerShown() ? " set" : ""));
        return lines;
    };
    const std::vector<std::string> before = state();
    const QImage shown = window->Render(window->size());

    // A page at printer resolution: its own tick length, pen and font.
    QImage page(2400, 3300, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&page);
        window->Paint(p, QRect(0, 100, 2400, 2800), 24, 3);
    }
    window->CopyBitmap();
    window->CopyMetafile();
    EXPECT_EQ(state(), before);
    EXPECT_EQ(window->Render(window->size()), shown);
}

// The live window only shows the scan: closed and made again, it shows the
// same plan and points, and the points the scan took meanwhile.
TEST_F(LiveScan, ThePlanAndThePointsOutliveTheWindowThatShowedThem) {
    ScanWindows windows(Scan(), Config(), Status(), Style(), nullptr);
    Scan().ScanNpoints = 3, Scan().ScanTstart = 290, Scan().ScanTstop = 250;
    ASSERT_TRUE(model->StartScan());
    model->Plan();
    TakePoint(289.8, Result(1));
    TScanAcq* shown = windows.CreateLive(*model);
    std::vector<std::string> before;
    windows.Dump(before);
    ASSERT_EQ(before.size(), 3u);  // graph:, one point:, scanwindow:
    delete shown;
    std::vector<std::string> closed;
    windows.Dump(closed);
    EXPECT_TRUE(closed.empty());
    EXPECT_EQ(windows.Live(), nullptr);

    TakePoint(270.1, Result(2));  // the scan goes on without a window
    TScanAcq* again = windows.CreateLive(*model);
    std::vector<std::string> after;
    windows.Dump(after);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2].substr(0, 10), "point: 270");
    EXPECT_EQ(after[3].substr(0, 51), "scanwindow: planned=3 temperatures=289.8,270.1,250 ");
    EXPECT_EQ(windows.All(), (std::vector<TScanBase*>{again}));
    delete again;
}
