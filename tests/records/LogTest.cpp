// Log file naming, creation and header bytes; the date and time texts; the
// dump lines and --set assignments.
#include <QDir>
#include <cerrno>
#include <cstdlib>

#include "records/RecordsDump.h"
#include "RecordsFixture.h"
#include "TestRecords.h"

namespace {
std::string TimeOf(const DateTimeSettings& s, int hour, int minute) {
    DateTimeText texts(s);
    texts.Format(At(2026, 1, 1, hour, minute));
    return texts.Time();
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}
}  // namespace

TEST(LogNameTest, IdentifiersMakeTheNameWithForbiddenCharactersReplaced) {
    EXPECT_EQ(LogFileName("A/B", ""), "Logs/A_B.txt");
    EXPECT_EQ(LogFileName("W1", "B:2"), "Logs/W1;B_2.txt");
    EXPECT_EQ(LogFileName("", "B"), "Logs/;B.txt");
    EXPECT_EQ(LogFileName("a/\\*:?\"<>|z", "x;y"), "Logs/a_________z;x;y.txt");
}

TEST_F(RecordsTest, LogCreationNeverOverwritesAndReportsTheSystemError) {
    // No folder yet: creation fails with the system's code.
    EXPECT_EQ(Log().Create("Logs/x.txt"), LogFile::CreateResult::Failed);
    EXPECT_EQ(Log().LastError(), ENOENT);
    EXPECT_FALSE(Log().IsOpen());
    QDir().mkdir("Logs");
    WriteFile("Logs/x.txt", "kept");
    EXPECT_EQ(Log().Create("Logs/x.txt"), LogFile::CreateResult::Exists);
    EXPECT_EQ(FileBytes("Logs/x.txt"), "kept");
    ASSERT_EQ(Log().Create("Logs/y.txt"), LogFile::CreateResult::Created);
    Log().Append("one\r\n");
    // A new creation closes the open log first, even when it fails.
    EXPECT_EQ(Log().Create("Logs/x.txt"), LogFile::CreateResult::Exists);
    EXPECT_FALSE(Log().IsOpen());
    Log().Append("lost\r\n");
    EXPECT_EQ(FileBytes("Logs/y.txt"), "one\r\n");
}

TEST_F(RecordsTest, AnEmptyWaferIdDoesNotMakeTheLogsFolder) {
    Specimen().BatchID = "B";
    const std::string name = LogFileName(Specimen().WaferID, Specimen().BatchID);
    EXPECT_EQ(name, "Logs/;B.txt");
    EXPECT_EQ(Log().Create(name), LogFile::CreateResult::Failed);
    EXPECT_FALSE(QDir("Logs").exists());
}

TEST_F(RecordsTest, HeaderBlockIsByteExactAndAddsDimensionsForBarsAndBridges) {
    auto& sp = Specimen();
    sp.WaferID = "W7";
    sp.BatchID = "L3";
    sp.Material = "Si";
    sp.Description = "test piece";
    sp.Thickness = 525;
    sp.Shape = 2;
    sp.Length = 4.125;
    sp.Width = 1;
    Settings().Tesla = 0.4;
    EXPECT_EQ(LogHeaderBlock(Specimen(), Settings(), ControllerText(program_.Records()), "12/24/26",
                             "3:07 PM"),
              "Date 12/24/26\tTime 3:07 PM\r\n"
              "Magnet: tesla\t0.400\r\n"
              "Temperature: K\tAMB\r\n"
              "*** Sample ***\r\n"
              "Wafer ID:\tW7\r\n"
              "Batch ID:\tL3\r\n"
              "Material:\tSi\r\n"
              "Description:\ttest piece\r\n"
              "Thickness \xB5m:\t525.000\r\n"
              "Length mm:\t4.12\r\n"
              "Width mm:\t1.00\r\n");
    sp.Shape = 0;
    EXPECT_EQ(LogHeaderBlock(Specimen(), Settings(), ControllerText(program_.Records()), "d", "t")
                  .find("Length"),
              std::string::npos);
}

TEST(DateTimeTest, ClockAndDateFollowTheSettings) {
    DateTimeSettings twelve;  // the defaults: 12-hour, no leading zero, M/D/Y
    EXPECT_EQ(TimeOf(twelve, 15, 7), "3:07 PM");
    EXPECT_EQ(TimeOf(twelve, 0, 30), "0:30 AM");
    EXPECT_EQ(TimeOf(twelve, 12, 10), "12:10 PM");
    EXPECT_EQ(TimeOf(twelve, 11, 59), "11:59 AM");
    DateTimeSettings day{1, 1, 1, ".", ":", "AM", "PM"};
    EXPECT_EQ(TimeOf(day, 9, 5), "09:05");
    EXPECT_EQ(TimeOf(day, 23, 0), "23:00");

    DateTimeText texts(day);
    texts.Format(At(2026, 12, 7, 1, 2));
    EXPECT_EQ(texts.Date(), "07.12.26");
    DateTimeText ymd(DateTimeSettings{0, 0, 2, "/", ":", "AM", "PM"});
    ymd.Format(At(2005, 2, 3, 1, 2));
    EXPECT_EQ(ymd.Date(), "05/02/03");
    DateTimeText mdy(DateTimeSettings{});
    mdy.Format(At(2000, 1, 9, 1, 2));
    EXPECT_EQ(mdy.Date(), "01/09/00");

    // An order the texts do not know leaves the date alone, the time not.
    DateTimeText odd(DateTimeSettings{1, 0, 5, "/", ".", "AM", "PM"});
    odd.Format(At(2026, 12, 7, 8, 15));
    EXPECT_EQ(odd.Date(), "");
    EXPECT_EQ(odd.Time(), "8.15");
}

TEST(DateTimeTest, LocaleFormatsGiveTheSettings) {
    const auto us = DateTimeSettingsFromFormats("h:mm AP", "M/d/yy", "AM", "PM");
    EXPECT_EQ(us.iTime, 0);
    EXPECT_EQ(us.iTLZero, 0);
    EXPECT_EQ(us.iDate, 0);
    EXPECT_EQ(us.sDate, "/");
    const auto de = DateTimeSettingsFromFormats("HH:mm", "dd.MM.yy", "AM", "PM");
    EXPECT_EQ(de.iTime, 1);
    EXPECT_EQ(de.iTLZero, 1);
    EXPECT_EQ(de.iDate, 1);
    EXPECT_EQ(de.sDate, ".");
    const auto iso = DateTimeSettingsFromFormats("HH.mm", "yyyy-MM-dd", "", "");
    EXPECT_EQ(iso.iDate, 2);
    EXPECT_EQ(iso.sDate, "-");
    EXPECT_EQ(iso.sTime, ".");
    const auto ampm = DateTimeSettingsFromFormats("hh:mm ap", "d/M/yy", "vorm.", "nachm.");
    EXPECT_EQ(ampm.iTLZero, 1);
    EXPECT_EQ(ampm.s1159, "vorm");
    EXPECT_EQ(ampm.s2359, "nach");
    // Nothing to go by: the defaults.
    const auto none = DateTimeSettingsFromFormats("", "", "", "");
    EXPECT_EQ(none.iTime, 0);
    EXPECT_EQ(none.sDate, "/");
    EXPECT_EQ(none.s1159, "AM");
}

TEST(DateTimeTest, EnvironmentFixesSettingsAndClock) {
    DateTimeSettings s;
    std::string now;
    EXPECT_TRUE(
        ParseDateTimeSettings("iTime=1;iTLZero=1;iDate=1;sDate=-;now=2026-12-07 15:07", s, &now));
    EXPECT_EQ(s.iTime, 1);
    EXPECT_EQ(s.sDate, "-");
    EXPECT_EQ(now, "2026-12-07 15:07");
    for (const char* bad :
         {"iTime", "iTime=x", "sDate=ab", "colour=1", "now=2026-13-01 10:00",
          "now=-2147483648-01-01 00:00", "now=0-01-01 00:00", "now=10000-01-01 00:00"}) {
        DateTimeSettings t;
        EXPECT_FALSE(ParseDateTimeSettings(bad, t)) << bad;
    }
    setenv("VANTRIS_DATETIME", "iTime=1;iTLZero=1;iDate=2;sDate=.;now=2031-04-05T06:07", 1);
    SetDateTimeSettings(SystemDateTimeSettings());
    FormatNow();
    unsetenv("VANTRIS_DATETIME");
    EXPECT_EQ(TimeText(), "06:07");
    EXPECT_EQ(DateText(), "31.04.05");
}

TEST_F(RecordsTest, DumpListsEveryRecordAndSetAssignsByName) {
    std::string error;
    EXPECT_TRUE(ApplySetting(program_, "Current", "123.456789012", error)) << error;
    EXPECT_TRUE(ApplySetting(program_, "shape", "1", error)) << error;
    EXPECT_TRUE(ApplySetting(program_, "WaferID", "ABCDEFGHIJKLMNOPQRST", error));
    EXPECT_TRUE(ApplySetting(program_, "SetTemp", "77", error));
    EXPECT_TRUE(ApplySetting(program_, "Rmin", "-3", error));
    EXPECT_TRUE(ApplySetting(program_, "AutoSetIm", "1", error));
    EXPECT_TRUE(ApplySetting(program_, "DataDir", "/tmp/scans", error));
    EXPECT_EQ(Specimen().WaferID, "ABCDEFGHIJKLMNO");
    EXPECT_DOUBLE_EQ(ControllerSetPoint(program_.Records()), 77.0);

    EXPECT_FALSE(ApplySetting(program_, "Shape", "3", error));
    EXPECT_EQ(Specimen().Shape, 1);
    EXPECT_FALSE(ApplySetting(program_, "Iunits", "1.5", error));
    EXPECT_FALSE(ApplySetting(program_, "Delay", "1e300", error));
    EXPECT_FALSE(ApplySetting(program_, "ScanNpoints", "1e300", error));
    EXPECT_FALSE(ApplySetting(program_, "Current", "lots", error));
    EXPECT_FALSE(ApplySetting(program_, "ScanNpoints", "2", error));
    EXPECT_FALSE(ApplySetting(program_, "Voltage", "1", error));
    EXPECT_NE(error.find("Voltage"), std::string::npos);

    std::vector<std::string> lines;
    DumpRecords(program_, lines);
    for (const char* line :
         {"specimen: WaferID=ABCDEFGHIJKLMNO", "specimen: Shape=1", "specimen: Thickness=0",
          "specimen: MaterialConstant=0", "settings: Current=123.456789", "settings: SetTemp=77",
          "settings: Rmin=-3", "settings: AutoSetIm=1", "settings: DataDir=/tmp/scans",
          "settings: DataArchive=", "settings: LogInclude=0",
          "sets: settings=default style=default", "log: none"})
        EXPECT_TRUE(Has(lines, line)) << line;
    for (const auto& name : SettingNames(program_)) {
        bool listed = false;
        for (const auto& line : lines)
            listed = listed || line.find(": " + name + "=") != std::string::npos;
        EXPECT_TRUE(listed) << name;
    }
    QDir().mkdir("Logs");
    ASSERT_EQ(Log().Create("Logs/d.txt"), LogFile::CreateResult::Created);
    lines.clear();
    DumpRecords(program_, lines);
    EXPECT_TRUE(Has(lines, "log: Logs/d.txt"));
}
