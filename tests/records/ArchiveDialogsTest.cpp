// The Archive commands, the sort dialog and the record viewer.
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

#include "records/Archive.h"
#include "records/ArchiveCommands.h"
#include "core/MeasurementResults.h"
#include "records/RecordsDump.h"
#include "RecordsFixture.h"
#include "records/TextWindow.h"
#include "records/Tsort.h"
#include "records/Tticket.h"
#include "TestRecords.h"

namespace {
class ArchiveTest : public RecordsTest {
  protected:
    void SetUp() override {
        RecordsTest::SetUp();
        archive_ = dir_.filePath("results.dat").toStdString();
        Archive().DataArchive = archive_;
        FixClock(2026, 12, 7, 15, 7);
        ArchiveCallbacks() = {};
        Results() = {};
        SetDateTimeSettings(DateTimeSettings{});
        FormatNow();
        stamps_ = TimeText() + "," + DateText();
        date_ = DateText();
    }
    void TearDown() override {
        SetClockForTesting({});
        ArchiveCallbacks() = {};
        for (TextWindow* w : TextWindow::Open()) delete w;
        RecordsTest::TearDown();
    }
    void Specimen(const char* wafer, const char* material, double thickness) {
        ::Specimen().WaferID = wafer, ::Specimen().BatchID = "Lot,9";
        ::Specimen().Material = material, ::Specimen().Description = "etched \"twice\"";
        ::Specimen().Thickness = thickness;
    }
    std::string archive_;
    std::string stamps_, date_;
};

void Select(Tticket& dialog, std::initializer_list<int> rows) {
    auto* list = dialog.findChild<QListView*>("field101");
    for (int row : rows)
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}
}  // namespace

TEST_F(ArchiveTest, AddedRecordsReadBackFieldForField) {
    Specimen("W,1", "GaAs", 0);
    Results().sheetResistance = 123.456, Results().symmetryFactor = 1.5;
    ASSERT_TRUE(OnArchiveAdd(program_));
    Specimen("W2", "Si", 12.5);
    Results().hallCoefficientRaw = -3.25e-2;
    ASSERT_TRUE(OnArchiveAdd(program_));
    EXPECT_EQ(stamps_, "3:07 PM,12/07/26");
    EXPECT_EQ(FileBytes(archive_),
              "W;1,Lot;9,GaAs,\"etched 'twice'\",AMB,0,1.5,1.23456e+02,0.00000e+00," + stamps_ +
                  "\r\n"
                  "W2,Lot;9,Si,\"etched 'twice'\",AMB,12.5,1.5,1.23456e+02,-3.25000e-02," +
                  stamps_ + "\r\n");
    EXPECT_EQ(ArchiveFormat::CountRecordLines(archive_), 2);
}

TEST_F(ArchiveTest, AddWithoutUsablePathSaysSoWithTheFilesName) {
    Archive().DataArchive = "";
    EXPECT_FALSE(OnArchiveAdd(program_));
    const std::string missing = dir_.filePath("no/such/folder/a.dat").toStdString();
    Archive().DataArchive = missing;
    EXPECT_FALSE(OnArchiveAdd(program_));
    EXPECT_EQ(Asked(),
              (std::vector<std::string>{
                  "File Error|No archive file is set.\nChoose one with Archive, Set Path...",
                  "File Error|Can't write file:\n" + missing + "\nNo such file or directory"}));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(missing)));
}

TEST_F(ArchiveTest, SetPathTakesTheChosenFileAndRefusesOverlongOnes) {
    responder_.Add(dir_.filePath("chosen.dat").toStdString());
    OnArchiveSetPath(program_, nullptr);
    EXPECT_EQ(Archive().DataArchive, dir_.filePath("chosen.dat").toStdString());
    ASSERT_EQ(responder_.Asked().size(), 1u);
    EXPECT_EQ(responder_.Asked()[0].caption, "Set Archive");
    // The dialog starts with the present archive's name.
    EXPECT_NE(responder_.Asked()[0].text.find("results.dat"), std::string::npos);
    responder_.Add("/" + std::string(300, 'x') + ".dat");
    OnArchiveSetPath(program_, nullptr);
    EXPECT_EQ(Archive().DataArchive, dir_.filePath("chosen.dat").toStdString());
}

TEST_F(ArchiveTest, SortDialogFailuresKeepItOpen) {
    Archive().DataArchive = dir_.filePath("missing.dat").toStdString();
    {
        Tsort dialog(nullptr, Archive().DataArchive, Config());
        dialog.findChild<QPushButton*>("IDOK")->click();
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_TRUE(dialog.Destination().empty());
    }
    WriteFile(archive_, ArchiveFormat::RecordLine(Trecord{}));
    {
        Tsort dialog(nullptr, archive_, Config());
        dialog.findChild<QLineEdit*>("field201")->setText(dir_.filePath("nodir/x.txt"));
        dialog.findChild<QLineEdit*>("field105")->setText("x");
        dialog.findChild<QPushButton*>("IDOK")->click();
        EXPECT_TRUE(dialog.Destination().empty());
    }
    {
        Tsort dialog(nullptr, archive_, Config());
        dialog.findChild<QPushButton*>("IDOK")->click();
        EXPECT_TRUE(dialog.Destination().empty());
        // The table was created, and is left empty.
        EXPECT_EQ(FileBytes(dir_.filePath("Sorted.txt").toStdString()), "");
    }
    EXPECT_EQ(Asked(), (std::vector<std::string>{"File Error|Can't open archive",
                                                 "File Error|Can't create sort file",
                                                 "Error|No sort string"}));
}

TEST_F(ArchiveTest, SortRecordsOpensTheTableInATextWindow) {
    Config().ID1 = "Wafer ID";
    Specimen("W1", "GaAs", 2);
    Results().sheetResistance = 100;
    OnArchiveAdd(program_);
    Specimen("W2", "GaAs", 0);
    OnArchiveAdd(program_);
    responder_.onDialog = [](QDialog& d) {
        EXPECT_EQ(d.findChild<QRadioButton*>("button101")->text(), "Wafer ID");
        d.findChild<QRadioButton*>("button103")->setChecked(true);
        d.findChild<QLineEdit*>("field105")->setText("GAAS");
        d.findChild<QCheckBox*>("button206")->setChecked(true);
    };
    responder_.Add("OK");
    QWidget* shown = nullptr;
    ArchiveCallbacks().showTextWindow = [&shown](QWidget* w) { shown = w; };
    OnArchiveSort(program_, nullptr);
    auto* window = qobject_cast<TextWindow*>(shown);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Path(), "Sorted.txt");
    const std::string table = FileBytes(dir_.filePath("Sorted.txt").toStdString());
    EXPECT_NE(table.find("*** AMB ***\r\n" + date_ + ",Lot;9,W1,+2.000e-02,"), std::string::npos)
        << table;
    EXPECT_EQ(table.find(",W2,"), std::string::npos);
    // The window edits the text and writes it back with CR LF.
    window->Editor()->setPlainText("one\ntwo");
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(FileBytes(dir_.filePath("Sorted.txt").toStdString()), "one\r\ntwo");
}

TEST_F(ArchiveTest, ExamineAndViewOfAMissingArchiveSaySo) {
    Archive().DataArchive = dir_.filePath("missing.dat").toStdString();
    OnArchiveExamine(program_, nullptr);
    EXPECT_TRUE(TextWindow::Open().empty());
    OnArchiveView(program_, nullptr);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"File Error|Can't open archive",
                                                 "File Error|Can't open archive"}));
}

TEST_F(ArchiveTest, ViewerListsRecordsAndWritesTicketsOfTheSelection) {
    WriteFile(archive_,
              "\r\nA1,B1,GaAs,\"one\",AMB,1,1,1,1,t1,d1\r\n\r\n"
              "A2,B2,GaAs,\"two\",AMB,1,1,1,1,t2,d2\r\n"
              "A3,B3,GaAs,\"three\",AMB,1,1,1,1,t3,d3\r\n");
    Tticket dialog(nullptr, archive_, program_);
    ASSERT_TRUE(dialog.Opened());
    ASSERT_EQ(dialog.Count(), 3);
    auto* list = dialog.findChild<QListView*>("field101");
    EXPECT_EQ(list->model()->index(1, 0).data().toString(), "d2\tA2\tB2");
    // Nothing selected: nothing happens.
    dialog.findChild<QPushButton*>("button102")->click();
    EXPECT_TRUE(editorOpened_.empty());
    Select(dialog, {2, 0});
    dialog.findChild<QPushButton*>("button102")->click();
    ASSERT_FALSE(editorOpened_.empty());
    EXPECT_EQ(editorOpened_, Tticket::TicketPath(Config()));
    const std::string tickets = FileBytes(editorOpened_);
    const auto first = tickets.find("Wafer: A1\r\n"), third = tickets.find("Wafer: A3\r\n");
    EXPECT_TRUE(first < third && third != std::string::npos) << tickets;
    EXPECT_EQ(tickets.find("Wafer: A2"), std::string::npos);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Asked().empty());

    // No editor to start: the operator learns it, and where the tickets are.
    editorWorks_ = false;
    Tticket again(nullptr, archive_, program_);
    Select(again, {0});
    again.findChild<QPushButton*>("button102")->click();
    EXPECT_EQ(Asked(), std::vector<std::string>{"View Records|No text editor could be started.\n"
                                                "The tickets are in " +
                                                Tticket::TicketPath(Config())});
    EXPECT_EQ(again.result(), QDialog::Accepted);
}

TEST_F(ArchiveTest, ReadIntoApplicationNeedsExactlyOneEntryAndCutsTexts) {
    WriteFile(archive_, std::string(20, 'w') + ",B,GaAs," + "\"" + std::string(50, 'd') +
                            "\",12345.678,2.5,1.1,2.00000e+02,-1.00000e-02,t,d\r\nx,y\r\n");
    Tticket dialog(nullptr, archive_, program_);
    Trecord got;
    bool read = false;
    ArchiveCallbacks().recordRead = [&](const Trecord& r) {
        got = r;
        read = true;
    };
    dialog.onReadRecord = [this](const Trecord& r) { ReadIntoApplication(program_, r); };
    dialog.findChild<QPushButton*>("button103")->click();
    Select(dialog, {0, 1});
    dialog.findChild<QPushButton*>("button103")->click();
    EXPECT_FALSE(read);
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Error|You must select exactly one record",
                                                 "Error|You must select exactly one record"}));
    dialog.findChild<QListView*>("field101")->selectionModel()->clearSelection();
    Select(dialog, {0});
    dialog.findChild<QPushButton*>("button103")->click();
    ASSERT_TRUE(read);
    EXPECT_EQ(::Specimen().WaferID, std::string(15, 'w'));
    EXPECT_EQ(::Specimen().Description, std::string(35, 'd'));
    EXPECT_EQ((std::vector<double>{::Specimen().Thickness, Results().sheetResistance,
                                   Results().hallCoefficientRaw, Results().symmetryFactor}),
              (std::vector<double>{2.5, 200.0, -0.01, 1.1}));
    EXPECT_EQ(got.temperature, "12345.678");  // the controller cuts its own text
}

TEST_F(ArchiveTest, DumpNamesTheArchiveAndItsRecordCount) {
    WriteFile(archive_, "a\r\n\r\nb\r\n");
    std::vector<std::string> lines;
    DumpArchive(program_, lines);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "archive: " + archive_ + " 2");
    Archive().DataArchive = dir_.filePath("missing.dat").toStdString();
    lines.clear();
    DumpArchive(program_, lines);
    EXPECT_EQ(lines[0], "archive: " + Archive().DataArchive + " -1");
}

// A device, a FIFO or a folder named as the archive is refused before it is
// opened, by every command that reads it: /dev/zero never ends, a FIFO
// blocks in its open. The alarm makes a regression fail instead of hang.
TEST_F(ArchiveTest, OnlyARegularFileIsReadAsTheArchive) {
    const std::string fifo = dir_.filePath("pipe").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(30);
    for (const std::string& path : {std::string("/dev/zero"), fifo, dir_.path().toStdString()}) {
        Archive().DataArchive = path;
        const std::size_t before = Asked().size();
        OnArchiveExamine(program_, nullptr);
        OnArchiveView(program_, nullptr);
        {
            Tsort dialog(nullptr, path, Config());
            dialog.findChild<QLineEdit*>("field105")->setText("x");
            dialog.findChild<QPushButton*>("IDOK")->click();
            EXPECT_TRUE(dialog.Destination().empty());
        }
        const auto asked = Asked();
        EXPECT_EQ(std::vector<std::string>(asked.begin() + static_cast<long>(before), asked.end()),
                  std::vector<std::string>(3, "File Error|Can't open archive"))
            << path;
        EXPECT_TRUE(TextWindow::Open().empty());
        std::vector<std::string> lines;
        DumpArchive(program_, lines);
        EXPECT_EQ(lines.at(0), "archive: " + path + " -1");
    }
    // Nor is a sorted table written into a FIFO.
    WriteFile(archive_, ArchiveFormat::RecordLine(Trecord{}));
    Tsort dialog(nullptr, archive_, Config());
    dialog.findChild<QLineEdit*>("field201")->setText(QString::fromStdString(fifo));
    dialog.findChild<QLineEdit*>("field105")->setText("x");
    dialog.findChild<QPushButton*>("IDOK")->click();
    EXPECT_EQ(Asked().back(), "File Error|Can't create sort file");
    ::alarm(0);
}

// A text window reads no more than its limit, whatever size the file claims.
TEST_F(ArchiveTest, ATextWindowRefusesMoreThanItsLimit) {
    const std::string big = dir_.filePath("big.dat").toStdString();
    WriteFile(big, "x");
    ASSERT_EQ(::truncate(big.c_str(), TextWindow::kMaxBytes + 1), 0);  // sparse: no disc used
    TextWindow window;
    EXPECT_FALSE(window.Load(QString::fromStdString(big)));
    ASSERT_EQ(::truncate(big.c_str(), 1000), 0);
    EXPECT_TRUE(window.Load(QString::fromStdString(big)));
    EXPECT_EQ(window.Editor()->toPlainText().size(), 1000);
}

// One rule for names: what the command line, a dialog and the settings name
// is one file, held in the settings' 8-bit text (Windows-1252).
TEST_F(ArchiveTest, ANonAsciiArchiveNameIsTheSameFileEverywhere) {
    const QString unicode = dir_.filePath(QString::fromUtf8("\u00FCtf8.dat"));
    std::string error;
    ASSERT_TRUE(ApplySetting(program_, "DataArchive", unicode.toStdString(), error)) << error;
    EXPECT_EQ(Archive().DataArchive, dir_.path().toStdString() + "/\xFCtf8.dat");
    Specimen("W1", "Si", 0);
    ASSERT_TRUE(OnArchiveAdd(program_));
    // The file is the one the name says, not its bytes read as another code.
    EXPECT_NE(FileBytes(unicode.toStdString()).find("W1,"), std::string::npos);
    EXPECT_TRUE(QDir(dir_.path()).entryList({"*tf8.dat"}, QDir::Files).size() == 1);
    OnArchiveExamine(program_, nullptr);
    ASSERT_EQ(TextWindow::Open().size(), 1u);
    EXPECT_EQ(TextWindow::Open()[0]->Path(), unicode.toStdString());
    Tticket viewer(nullptr, Archive().DataArchive, program_);
    EXPECT_EQ(viewer.Count(), 1);
    std::vector<std::string> lines;
    DumpArchive(program_, lines);
    EXPECT_EQ(lines.at(0), "archive: " + unicode.toStdString() + " 1");

    // A name the settings cannot hold is refused, naming its character, and
    // the archive stays; so is one longer than its field.
    const std::string kept = Archive().DataArchive;
    EXPECT_FALSE(ApplySetting(program_, "DataArchive",
                              dir_.filePath(QString::fromUtf8("\u540D.dat")).toStdString(), error));
    EXPECT_EQ(error,
              "DataArchive: the name holds \"\u540D\" (U+540D), which the settings' 8-bit "
              "text (Windows-1252) cannot hold");
    EXPECT_FALSE(ApplySetting(program_, "DataArchive", "/" + std::string(300, 'x'), error));
    EXPECT_EQ(error, "DataArchive: the name is longer than 259 characters");
    EXPECT_EQ(Archive().DataArchive, kept);

    // The Set Path dialog: the same rule, said in a message box.
    responder_.Add(dir_.filePath(QString::fromUtf8("\u540D.dat")).toStdString());
    OnArchiveSetPath(program_, nullptr);
    EXPECT_EQ(Archive().DataArchive, kept);
    EXPECT_EQ(responder_.Asked().back().caption, "Set Archive");
    EXPECT_NE(responder_.Asked().back().text.find("\"\u540D\" (U+540D)"), std::string::npos);
    EXPECT_NE(responder_.Asked().back().text.find(
                  QFile::encodeName(dir_.filePath(QString::fromUtf8("\u540D.dat"))).toStdString()),
              std::string::npos);
    responder_.Add(dir_.filePath(QString::fromUtf8("caf\u00E9.dat")).toStdString());
    OnArchiveSetPath(program_, nullptr);
    EXPECT_EQ(Archive().DataArchive, dir_.path().toStdString() + "/caf\xE9.dat");
    // The dialog starts at the stored name's file, in Unicode.
    responder_.Add("");
    OnArchiveSetPath(program_, nullptr);
    EXPECT_NE(responder_.Asked().back().text.find("caf\u00E9.dat"), std::string::npos);
}
