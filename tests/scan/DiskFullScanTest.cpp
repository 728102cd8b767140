// A scan whose file cannot be written: it does not start, or it pauses at the
// point that could not be written and measures that point again on Resume.
// The full disk comes through the write's failure hook.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DiskFull.h"
#include "platform/FileWrite.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunLock.h"
#include "scan/ScanData.h"
#include "scan/ScanRun.h"
#include "records/ScanSettings.h"
#include "scan/ScanState.h"
#include "core/SpecimenData.h"
#include "scan/ScanModel.h"
#include "temperature/TTemp.h"
#include "platform/TimeScale.h"
#include "TestProgram.h"

namespace {
// A stage that is where it is told to be.
class ObedientStage : public TTempCon {
  public:
    explicit ObedientStage(ProgramState& program)
        : TTempCon(ControllerKind::HotStage, program.Instruments().Bus(), program.Config()) {}
    void SetTemperature(double k) override {
        setPoint_ = k;
        given.push_back(k);
    }
    void ReadTemperature() override {
        present_ = setPoint + 0.2;
        SetReadingText(Printf("%.1f", present));
    }
    void SetControl(int mode, int) override { modes.push_back(mode); }
    std::vector<double> given;
    std::vector<int> modes;
};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class DiskFullScan : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ResetScanState();
        TimeScale::SetFactor(0.001);
        ASSERT_TRUE(folder.isValid());
        Scan() = ScanSettings{};
        Scan().DataDir = folder.path().toStdString();
        Specimen() = SpecimenData{};
        Specimen().WaferID = "W1";
        Prompt::SetResponder(&responder);
        run = std::make_unique<ScanRun>(program, stage);
        live = &run->Model();
        run->SetCommandSender([this](int id) {
            sent.push_back(id);
            ::State().measurementStatus = 0;
            Results().sheetResistance = 150.6, Results().bulkResistivity = 150.6;
            Results().symmetryFactor = 1.0;
            Results().sheetConcentration = -1e12, Results().mobility = 3300;
            Results().hallCoefficientRaw = -62.4;
        });
    }
    void TearDown() override {
        FileWrite::SetFailureHook(nullptr);
        run.reset();
        Prompt::SetResponder(nullptr);
        TimeScale::SetFactor(1.0);
        ResetScanState();
    }
    void Plan(int points) {
        Scan().ScanTstart = 300, Scan().ScanTstop = 320, Scan().ScanNpoints = points;
        run->AcceptSetup();
    }
    void RunToTheEnd() {
        for (int i = 0; i < 1000 && run->State() == kScanPause && run->TimerActive(); ++i)
            run->Tick();
    }
    std::string File() const { return folder.filePath("scan.tsc").toStdString(); }
    // The points the file reads back as.
    std::vector<double> Temperatures(const std::string& file = {}) const {
        std::istringstream in(Bytes(file.empty() ? File() : file));
        const ScanFileRead read = ReadScanFile(in);
        std::vector<double> t;
        for (int i = 0; i < read.data.count; ++i) t.push_back(read.data.points[i].T);
        return t;
    }

    ProgramState program;
    QTemporaryDir folder;
    Prompt::ScriptedResponder responder;
    ObedientStage stage{program};
    std::unique_ptr<ScanRun> run;
    const ScanModel* live = nullptr;  // the live scan's model, the run's own
    std::vector<int> sent;
};
}  // namespace

TEST_F(DiskFullScan, AScanWhoseFileCannotBeMadeDoesNotStartUntilItCan) {
    const std::string missing = folder.filePath("unplugged").toStdString();
    Scan().DataDir = missing;
    Plan(3);
    run->PressMain();
    EXPECT_EQ(run->State(), kScanStart);
    EXPECT_FALSE(run->TimerActive());
    EXPECT_TRUE(stage.modes.empty());  // the stage was not taken over
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "File Error");
    EXPECT_EQ(responder.Asked()[0].text,
              "Can't write file:\n" + missing + "/scan.tsc\nNo such file or directory");
    // A folder the operator set is not made for him.
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(missing)));

    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(missing)));
    run->PressMain();
    EXPECT_EQ(run->State(), kScanPause);
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(responder.Asked().size(), 1u);
}

TEST_F(DiskFullScan, AFailedStartKeepsTheLastScansFile) {
    std::ofstream(File(), std::ios::binary) << "last scan\r\n";
    FillDiskAt(File(), 1, 2);
    Plan(3);
    run->PressMain();
    EXPECT_EQ(run->State(), kScanStart);
    EXPECT_EQ(Bytes(File()), "last scan\r\n");
    EXPECT_NE(responder.Asked().at(0).text.find("No space left on device"), std::string::npos);
}

// The second point meets the full disk half-way through its line: the scan
// pauses with the message, the point is neither counted nor in the file, and
// Resume goes back to its planned temperature, measures it and writes it.
TEST_F(DiskFullScan, APointThatCannotBeWrittenPausesAndIsMeasuredAgainOnResume) {
    Plan(3);
    run->PressMain();
    while (run->State() == kScanPause && run->Done() < 1) run->Tick();
    ASSERT_EQ(run->Done(), 1);
    const std::string onePoint = Bytes(File());
    FillDiskAt(File(), 1, 9);
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanResume);
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "File Error");
    EXPECT_EQ(responder.Asked()[0].text,
              "Can't write file:\n" + File() + "\nNo space left on device");
    EXPECT_EQ(Bytes(File()), onePoint);
    EXPECT_EQ(run->Done(), 1);
    const ScanPoint& slot = live->Data().points[1];
    EXPECT_EQ((std::vector<double>{slot.T, slot.resistivity}), (std::vector<double>{310.0, 0.0}));
    const std::size_t measured = sent.size();

    run->PressMain();
    EXPECT_EQ(stage.given.back(), 310.0);
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(sent.size(), measured + 4);  // the point again, then the last one
    EXPECT_EQ(Temperatures(), (std::vector<double>{300.2, 310.2, 320.2}));
}

TEST_F(DiskFullScan, AScanFileRemovedUnderTheScanIsWrittenAnewWithItsHeader) {
    Plan(3);
    run->PressMain();
    while (run->State() == kScanPause && run->Done() < 1) run->Tick();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(File())));
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(Temperatures(), (std::vector<double>{300.2, 310.2, 320.2}));
    EXPECT_EQ(Bytes(File()).substr(0, 4), "W1\r\n");
}

TEST_F(DiskFullScan, AnEmptyDataDirIsTheVantrisFolderInTheDocumentsMadeWhenMissing) {
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", folder.path().toUtf8());
    Scan().DataDir.clear();
    const std::string expected = folder.filePath("Documents/vantris/scan.tsc").toStdString();
    EXPECT_EQ(live->WorkingFile(), expected);
    Plan(3);
    run->PressMain();
    RunToTheEnd();
    EXPECT_EQ(run->State(), kScanFinished);
    EXPECT_EQ(Temperatures(expected).size(), 3u);
    EXPECT_EQ(live->ScanFile(), expected);
    qputenv("HOME", home);
}
