// A disk that fills up under the records: the archive, the log, the text
// window that writes the archive back and the settings file stay whole, and
// each failed write is told with the file's name.
#include <QFileInfo>
#include <QPlainTextEdit>
#include <cstdio>

#include "records/Archive.h"
#include "records/ArchiveCommands.h"
#include "platform/DataFolder.h"
#include "platform/FileNames.h"
#include "DiskFull.h"
#include "platform/FileWrite.h"
#include "records/InitRegistry.h"
#include "core/MeasurementResults.h"
#include "records/RecordCommands.h"
#include "RecordsFixture.h"
#include "records/RegValues.h"
#include "records/SettingsSets.h"
#include "records/TextWindow.h"
#include "TestRecords.h"

namespace {
class DiskTest : public RecordsTest {
  protected:
    void SetUp() override {
        RecordsTest::SetUp();
        archive_ = dir_.filePath("results.dat").toStdString();
        Archive().DataArchive = archive_;
        FixClock(2026, 12, 7, 15, 7);
        Results() = {};
    }
    void TearDown() override {
        FileWrite::SetFailureHook(nullptr);
        SetClockForTesting({});
        for (TextWindow* w : TextWindow::Open()) delete w;
        RecordsTest::TearDown();
    }
    void Measured(const char* wafer, double rs, double rh) {
        Specimen().WaferID = wafer, Specimen().BatchID = "L1", Specimen().Material = "GaAs";
        Specimen().Description = "disc", Specimen().Thickness = 0;
        Results().sheetResistance = rs, Results().hallCoefficientRaw = rh;
        Results().symmetryFactor = 1.0;
    }
    std::vector<Trecord> Records() const {
        std::vector<Trecord> records;
        std::FILE* file = std::fopen(archive_.c_str(), "rb");
        if (!file) return records;
        ArchiveFormat::ArchiveReader reader(file);
        for (std::string line; reader.Next(line);)
            records.push_back(ArchiveFormat::ParseRecordLine(line));
        std::fclose(file);
        return records;
    }
    std::string Full(const std::string& path) const {
        return "File Error|Can't write file:\n" + path + "\nNo space left on device";
    }
    std::string archive_;
};
}  // namespace

// W1's Add meets a full disk half-way through its line; once there is room
// again W1 and W2 are added, and every record reads back whole.
TEST_F(DiskTest, AFailedAddLeavesTheArchiveAsItWasAndLaterRecordsReadBackWhole) {
    Measured("W0", 98.5, -1.0e-2);
    ASSERT_TRUE(OnArchiveAdd(program_));
    const std::string before = FileBytes(archive_);

    Measured("W1", 150.6, -6.24e-2);
    FillDiskAt(archive_, 1, 30);
    EXPECT_FALSE(OnArchiveAdd(program_));
    EXPECT_EQ(FileBytes(archive_), before);
    EXPECT_EQ(Asked(), std::vector<std::string>{Full(archive_)});

    ASSERT_TRUE(OnArchiveAdd(program_));
    Measured("W2", 212.0, 3.1e-2);
    ASSERT_TRUE(OnArchiveAdd(program_));
    const std::vector<Trecord> records = Records();
    ASSERT_EQ(records.size(), 3u);
    std::vector<std::pair<std::string, double>> read;
    for (const Trecord& r : records) read.emplace_back(r.waferId, r.sheetResistance);
    EXPECT_EQ(read, (std::vector<std::pair<std::string, double>>{
                        {"W0", 98.5}, {"W1", 150.6}, {"W2", 212.0}}));
    EXPECT_DOUBLE_EQ(records[1].hallCoefficient, -6.24e-2);
    EXPECT_EQ(records[2].date, records[0].date);
    EXPECT_EQ(responder_.Asked().size(), 1u);
}

TEST_F(DiskTest, TheLogKeepsWholeBlocksAndTellsTheFirstFailureOfAStreak) {
    QDir(dir_.path()).mkpath("Logs");
    ASSERT_EQ(Log().Create("Logs/W1.txt"), LogFile::CreateResult::Created);
    const std::string log = dir_.filePath("Logs/W1.txt").toStdString();
    ASSERT_TRUE(Log().Append("Date 12/07/26\r\n"));
    FillDiskAt("Logs/W1.txt", 2, 5);
    EXPECT_FALSE(Log().Append("*** Hall ***\r\n"));
    EXPECT_FALSE(Log().Append("Sheet Res: (ohms/sq)\t150.6\r\n"));
    EXPECT_EQ(FileBytes(log), "Date 12/07/26\r\n");
    EXPECT_EQ(Asked(), std::vector<std::string>{Full("Logs/W1.txt")});
    // Room again: the log goes on, and a new failure is told again.
    ASSERT_TRUE(Log().Append("Mobility: cm2/(V-sec)\t3300\r\n"));
    FillDiskAt("Logs/W1.txt", 1, 0);
    EXPECT_FALSE(Log().Append("lost\r\n"));
    EXPECT_EQ(FileBytes(log), "Date 12/07/26\r\nMobility: cm2/(V-sec)\t3300\r\n");
    EXPECT_EQ(responder_.Asked().size(), 2u);
}

TEST_F(DiskTest, AnArchiveWrittenBackFromItsWindowIsReplacedWholeOrNotAtAll) {
    WriteFile(archive_, "W0,L1,GaAs,\"disc\",AMB,0,1,1.00000e+02,0.00000e+00,t,d\r\n");
    const std::string before = FileBytes(archive_);
    TextWindow window;
    ASSERT_TRUE(window.Load(QString::fromStdString(archive_)));
    window.Editor()->setPlainText(
        "W0,L1,GaAs,\"disc\",AMB,0,1,1.00000e+02,0.00000e+00,t,d\n"
        "W1,L1,GaAs,\"typed\",AMB,0,1,2.00000e+02,0.00000e+00,t,d");
    FillDiskAt(archive_, 1, 40);
    EXPECT_FALSE(window.Save());
    EXPECT_EQ(FileBytes(archive_), before);
    ASSERT_TRUE(window.Save());
    EXPECT_EQ(ArchiveFormat::CountRecordLines(archive_), 2);
}

TEST_F(DiskTest, ASettingsOrStyleSetThatCannotBeWrittenIsTold) {
    Specimen().WaferID = "kept";
    ASSERT_TRUE(SaveSettingsSet(program_, Registry(), "default"));
    const std::string before = FileBytes(file_);
    Specimen().WaferID = "lost";
    FillDiskAt(file_, 2, 100);
    OnSettingsSave(program_, nullptr);
    OnStyleSave(program_, nullptr);
    EXPECT_EQ(FileBytes(file_), before);
    EXPECT_EQ(
        Asked(),
        (std::vector<std::string>{
            "File Error|Can't write file:\n" + file_ + "\n(Settings set \"default\" not saved)",
            "File Error|Can't write file:\n" + file_ + "\n(Styles set \"default\" not saved)"}));
    // With room, a save says nothing.
    OnSettingsSave(program_, nullptr);
    EXPECT_EQ(responder_.Asked().size(), 2u);
    EXPECT_EQ(RegValues::Text(Registry(), RegValues::SettingsKey("default"), "WaferID", 16),
              std::optional<std::string>("lost"));
}

TEST_F(DiskTest, TheInstallerPutsTheScanDataIntoTheDocumentsFolder) {
    ASSERT_TRUE(InitRegistry(Registry()).Ok());
    const auto dataDir =
        RegValues::Text(Registry(), RegValues::SettingsKey("default"), "Data Dir", 256);
    ASSERT_TRUE(dataDir.has_value());
    EXPECT_EQ(FileNames::FromStored(*dataDir), DataFolder::Default());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*dataDir)).fileName(), "vantris");
    EXPECT_NE(*dataDir, QDir::homePath().toStdString());
}
