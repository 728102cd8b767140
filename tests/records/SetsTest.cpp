// Settings sets, style sets, window positions, the installer's registry
// contents and the registry file's damage handling.
#include <QFile>

#include "records/InitRegistry.h"
#include "records/Materials.h"
#include "RecordsFixture.h"
#include "platform/RegFile.h"
#include "records/RegValues.h"
#include "records/RecordsDump.h"
#include "records/RegistryDamage.h"
#include "records/SettingsSets.h"
#include "records/SettingsTable.h"
#include "TestRecords.h"

namespace {
const std::string kSet = std::string(kRootKey) + "\\Settings\\A";

void FillDistinctLiveValues() {
    auto& sp = Specimen();
    sp.WaferID = "W-123", sp.BatchID = "B-9", sp.Description = "a description";
    sp.Material = "InP", sp.Thickness = 12.3456, sp.Shape = 2;
    auto& st = Settings();
    st.Current = 123.4567891, st.Iunits = 2, st.AC = 1, st.Delay = 3, st.Integrations = 4;
    st.Cycles = 5, st.TargVrVDP = 60, st.TargVrBar = 700, st.TargVrBridge = 800;
    st.LogInclude = 0x8D, st.ScatFactor = 1.934, st.Tesla = 0.4567;
    st.eVsurface = 0.715, st.eVinner = 0.555;
    Archive().DataArchive = "/data/archive.arc";
    SetControllerSetPoint(TestProgramState().Records(), 77.25);
    auto& sc = Scan();
    sc.DataDir = "/data/scans";
    sc.Nmin = 11, sc.Nmax = 19, sc.Umin = 2, sc.Umax = 6, sc.Rmin = -4, sc.Rmax = 3;
    sc.RHmin = -3, sc.RHmax = 4, sc.Tscale1 = 70, sc.Tscale2 = 420, sc.TscaleInverse = true;
    sc.ScanTstart = 310, sc.ScanTstop = 90, sc.ScanNpoints = 17, sc.ScanInverse = true;
    sc.ReturnRoomTemp = true, sc.AutoSetIm = true;
    PrinterPage().margins = {1000, -20, 3000, 40000}, PrinterPage().orientation = 2;
}

// These values written into set "A", and the set read.
bool ReadWith(ProgramState& program, const std::vector<RegistryStore::Value>& values) {
    return Registry().Set(kSet, values) && ReadSettingsSet(program, "A");
}

// Each value as "name type size", in the key's order: a failure names them.
std::string Layout(const std::vector<RegistryStore::Value>& values) {
    std::string layout;
    for (const auto& v : values) {
        const char* type = v.type == RegistryStore::kSz       ? "sz"
                           : v.type == RegistryStore::kDword  ? "dword"
                           : v.type == RegistryStore::kBinary ? "hex"
                                                              : "?";
        layout += v.name + " " + type + " " + std::to_string(v.data.size()) + ", ";
    }
    return layout;
}
}  // namespace

TEST_F(RecordsTest, SettingsSetWithControllerRoundTripsEveryValueInOrderWithTypesAndSizes) {
    Config().controllerKind = ControllerKind::LN2;
    FillDistinctLiveValues();
    ASSERT_TRUE(SaveSettingsSet(program_, "A"));

    EXPECT_EQ(Layout(Registry().EnumValues(kSet)),
              "WaferID sz 6, BatchID sz 4, Description sz 14, Material sz 4, Thickness sz 7, "
              "Data Archive sz 18, Shape dword 4, Tesla sz 6, ScatFactor sz 5, Current sz 11, "
              "SetTemp sz 5, Iunits dword 4, AC dword 4, Delay dword 4, Integrations dword 4, "
              "Cycles dword 4, TargVrVDP dword 4, TargVrBar dword 4, TargVrBridge dword 4, "
              "Log Include hex 1, eVsurface sz 5, eVinner sz 5, Data Dir sz 12, Nmin dword 4, "
              "Nmax dword 4, Umin dword 4, Umax dword 4, Rmin dword 4, Rmax dword 4, "
              "RHmin dword 4, RHmax dword 4, Tscale1 dword 4, Tscale2 dword 4, "
              "TscaleInverse hex 1, ScanTstart dword 4, ScanTstop dword 4, "
              "ScanNpoints dword 4, ScanInverse hex 1, ReturnRoomTemp hex 1, AutoSetIm hex 1, "
              "Orientation hex 2, Margins hex 16, ");

    // The texts carry the stated formats; the file reads like regedit's own.
    const std::string bytes = FileBytes(file_);
    for (const char* line : {"\"Thickness\"=\"12.346\"\r\n", "\"Current\"=\"123.456789\"\r\n",
                             "\"Tesla\"=\"0.457\"\r\n", "\"ScatFactor\"=\"1.93\"\r\n",
                             "\"SetTemp\"=\"77.2\"\r\n", "\"eVsurface\"=\"0.71\"\r\n",
                             "\"Shape\"=dword:00000002\r\n", "\"Rmin\"=dword:fffffffc\r\n",
                             "\"Log Include\"=hex:8d\r\n", "\"Orientation\"=hex:02,00\r\n",
                             "\"Margins\"=hex:e8,03,00,00,ec,ff,ff,ff,b8,0b,00,00,40,9c,00,00\r\n"})
        EXPECT_NE(bytes.find(line), std::string::npos) << line;

    // Read into fresh live values, then saved again: every value came back
    // (texts at their precision), or its default would be written instead.
    Settings() = {};
    Specimen() = {};
    Scan() = {};
    Archive() = {};
    PrinterPage() = {};
    PrinterPage().orientation = 1;
    SetControllerSetPoint(program_.Records(), 0);
    ASSERT_TRUE(ReadSettingsSet(program_, "A"));
    ASSERT_TRUE(SaveSettingsSet(program_, "A"));
    EXPECT_EQ(FileBytes(file_), bytes);
}

TEST_F(RecordsTest, WithoutControllerTheControllerValuesAreNeitherWrittenNorRead) {
    FillDistinctLiveValues();
    Config().controllerKind = ControllerKind::None;
    ASSERT_TRUE(SaveSettingsSet(program_, "A"));
    const auto values = Registry().EnumValues(kSet);
    EXPECT_EQ(values.size(), 22u);
    for (const auto& v : values)
        for (const char* controllerOnly :
             {"Data Dir", "Nmin", "AutoSetIm", "Orientation", "Margins"})
            EXPECT_NE(v.name, controllerOnly);

    // A set that has them (saved with a controller) does not touch them at kind 0.
    Config().controllerKind = ControllerKind::ITC5;
    ASSERT_TRUE(SaveSettingsSet(program_, "B"));
    Config().controllerKind = ControllerKind::None;
    Scan() = {};
    PrinterPage() = {};
    int scanReads = 0;
    Links().scanSettingsRead = [&] { ++scanReads; };
    ASSERT_TRUE(ReadSettingsSet(program_, "B"));
    EXPECT_EQ(Scan().DataDir, "");
    EXPECT_EQ(Scan().Nmin, ScanSettings{}.Nmin);
    EXPECT_FALSE(Scan().AutoSetIm);
    EXPECT_EQ(PrinterPage().margins, PageSetup{}.margins);
    EXPECT_EQ(scanReads, 0);
    Config().controllerKind = ControllerKind::ITC5;
    ASSERT_TRUE(ReadSettingsSet(program_, "B"));
    EXPECT_EQ(Scan().Nmin, 11);
    EXPECT_EQ(scanReads, 1);
}

// Each of these is a value of the wrong type, one that does not fit its
// buffer, or one outside the range the program can run with: it counts as
// missing, and the live value (distinct from any misreading of it) stays.
TEST_F(RecordsTest, UnreadableOrOutOfRangeValuesKeepTheLiveSettings) {
    Config().controllerKind = ControllerKind::LN2;
    FillDistinctLiveValues();
    using V = RegistryStore;
    const std::pair<RegistryStore::Value, const char*> cases[] = {
        {V::String("Thickness", "abc"), "not a number"},
        {V::String("Current", std::string(40, '7')), "longer than the buffer"},
        {V::String("WaferID", "0123456789ABCDEF"), "17 bytes do not fit 16"},
        {V::Dword("Shape", 7), "no such shape"},
        {V::Dword("Iunits", 4), "no such unit"},
        {V::String("ScatFactor", "nan"), "not finite"},
        {V::Dword("eVinner", 1), "a dword where text belongs"},
        {V::String("Cycles", "3"), "text where a dword belongs"},
        {V::Dword("Cycles", 0xFFFFFFFFu), "negative"},
        {V::Dword("Cycles", 1000), "a Hall run that would never end"},
        {V::String("Current", "0"), "no current"},
        {V::Dword("Delay", 101), "too long"},
        {V::Dword("TargVrVDP", 3), "below the range"},
        {V::String("Tesla", "0.000"), "no field"},
        {V::String("Thickness", "-1.000"), "negative"},
        {V::String("SetTemp", "600.0"), "above the LN2 stage's 550 K"},
        // Point counts the plan cannot use.
        {V::Dword("ScanNpoints", 1), "one point"},
        {V::Dword("ScanNpoints", 2), "two points"},
        {V::Dword("ScanNpoints", 101), "more than the store"},
        {V::Dword("ScanNpoints", 0xFFFFFFFFu), "negative"},
    };
    for (const auto& [value, why] : cases) {
        const SettingField* field = FindSetting(program_, value.name);
        ASSERT_NE(field, nullptr) << value.name;
        const std::string live = SettingText(*field);
        ASSERT_TRUE(ReadWith(program_, {value}));
        EXPECT_EQ(SettingText(*field), live) << value.name << ": " << why;
    }

    // A value that is present and in range is taken.
    ASSERT_TRUE(ReadWith(program_, {RegistryStore::String("Tesla", "0.750")}));
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.75);
    // A set read after one that had "Current" keeps the earlier current.
    ASSERT_TRUE(ReadWith(program_, {RegistryStore::String("Current", "250.000000")}));
    ASSERT_TRUE(Registry().Set(std::string(kRootKey) + "\\Settings\\NoCurrent",
                               {RegistryStore::String("Tesla", "0.100")}));
    ASSERT_TRUE(ReadSettingsSet(program_, "NoCurrent"));
    EXPECT_DOUBLE_EQ(Settings().Current, 250.0);
    EXPECT_DOUBLE_EQ(Settings().Tesla, 0.1);

    // A set that does not exist changes nothing.
    EXPECT_FALSE(ReadSettingsSet(program_, "nothing"));
    EXPECT_DOUBLE_EQ(Settings().Current, 250.0);
}

TEST_F(RecordsTest, SetTempGoesToTheControllerFieldWithoutCommanding) {
    double setPoint = 150.0;
    int writes = 0;
    Links().getSetPoint = [&] { return setPoint; };
    Links().setSetPoint = [&](double k) {
        setPoint = k;
        ++writes;
    };
    ASSERT_TRUE(SaveSettingsSet(program_, "A"));
    EXPECT_EQ(RegValues::Text(Registry(), kSet, "SetTemp", 32),
              std::optional<std::string>("150.0"));
    ASSERT_TRUE(ReadWith(program_, {RegistryStore::String("SetTemp", "80.5")}));
    EXPECT_DOUBLE_EQ(setPoint, 80.5);
    EXPECT_EQ(writes, 1);
}

TEST_F(RecordsTest, ReadingAMaterialLooksUpItsPermittivity) {
    ASSERT_TRUE(Registry().Set(
        std::string(kRootKey) + "\\Materials",
        {RegistryStore::String("GaAs", "12.9"), RegistryStore::String("Odd", "twelve")}));
    ASSERT_TRUE(ReadWith(program_, {RegistryStore::String("Material", "GaAs")}));
    EXPECT_DOUBLE_EQ(Specimen().MaterialConstant, 12.9);
    ASSERT_TRUE(ReadWith(program_, {RegistryStore::String("Material", "Odd")}));
    EXPECT_EQ(Specimen().MaterialConstant, 0.0);  // not the stale 12.9
    EXPECT_EQ(MaterialNames(Registry()), (std::vector<std::string>{"GaAs", "Odd"}));
}

TEST_F(RecordsTest, StyleSetRoundTripsWithSixteenBytePointRecords) {
    auto& style = Style();
    style.FontHeight = -15, style.FontItalic = true, style.FontWeight = 700;
    style.FontName = "Courier New";
    style.FrameColor = 0x00C0C0C0, style.SetColor = 0x000000FF, style.MeasColor = 0x00FF0000;
    style.RubberColor = 0x00123456;
    style.N = {5, 3, 0x00800000, 0x00FF0000}, style.P = {4, 8, 0x00000080, 0x000000FF};
    style.UN = {6, 1, 0x00010203, 0x00040506}, style.UP = {8, 2, 0x00FFFFFF, 0};
    const GraphStyle saved = style;
    int repaints = 0;
    Links().styleRead = [&] { ++repaints; };
    ASSERT_TRUE(SaveStyleSet(program_, "S"));
    const std::string key = std::string(kRootKey) + "\\Styles\\S";
    const auto values = Registry().EnumValues(key);
    const char* order[] = {"FontHeight", "FontItalic", "FontWeight", "FontName",
                           "FrameColor", "SetColor",   "MeasColor",  "RubberColor",
                           "N",          "P",          "UN",         "UP"};
    ASSERT_EQ(values.size(), std::size(order));
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i].name, order[i]);
    EXPECT_EQ(values[8].data,
              (std::vector<std::uint8_t>{5, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0xFF, 0}));
    EXPECT_EQ(values[3].data.size(), 12u);  // "Courier New" and its terminator
    style = {};
    ASSERT_TRUE(ReadStyleSet(program_, "S"));
    EXPECT_EQ(style, saved);
    EXPECT_EQ(repaints, 1);

    // A record of the wrong size is not taken; the other values still are.
    ASSERT_TRUE(Registry().Set(key, {RegistryStore::Binary("N", std::vector<std::uint8_t>(15, 1)),
                                     RegistryStore::Dword("FontWeight", 400)}));
    ASSERT_TRUE(ReadStyleSet(program_, "S"));
    EXPECT_EQ(style.N, saved.N);
    EXPECT_EQ(style.FontWeight, 400);

    // Values no graph can be drawn with count as missing: a marker of size
    // 2147483647 or shape 0 or 9, a font millions of pixels high.
    auto record = [](std::int32_t shape, std::int32_t size) {
        return PointStyle{shape, size, 0x00112233, 0x00445566}.Pack();
    };
    ASSERT_TRUE(Registry().Set(
        key, {RegistryStore::Binary("N", record(5, 2147483647)),
              RegistryStore::Binary("P", record(0, 3)), RegistryStore::Binary("UN", record(9, 3)),
              RegistryStore::Binary("UP", record(8, 1)),
              RegistryStore::Dword("FontHeight", static_cast<std::uint32_t>(-2000000)),
              RegistryStore::Dword("FontWeight", 5000)}));
    ASSERT_TRUE(ReadStyleSet(program_, "S"));
    EXPECT_EQ(style.N, saved.N);
    EXPECT_EQ(style.P, saved.P);
    EXPECT_EQ(style.UN, saved.UN);
    EXPECT_EQ(style.UP, (PointStyle{8, 1, 0x00112233, 0x00445566}));  // both ends of the range
    EXPECT_EQ(style.FontHeight, saved.FontHeight);
    EXPECT_EQ(style.FontWeight, 400);
}

TEST_F(RecordsTest, WindowPositionsAreEightBytesAtTheRootWhichIsNeverCreated) {
    WindowPositions positions;
    positions[0] = WindowPosition{10, 20};
    positions[4] = WindowPosition{-5, 300};
    EXPECT_FALSE(SaveWindowPositions(Registry(), positions));
    EXPECT_FALSE(Registry().KeyExists(kRootKey));

    ASSERT_TRUE(Registry().SetString(std::string(kRootKey) + "\\System", "ID1", "X"));
    ASSERT_TRUE(SaveWindowPositions(Registry(), positions));
    EXPECT_EQ(RegValues::Bytes(Registry(), kRootKey, "HallPos", 8),
              (std::vector<std::uint8_t>{0xFB, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0, 0}));
    const auto read = ReadWindowPositions(Registry());
    EXPECT_EQ(read[0], positions[0]);
    EXPECT_FALSE(read[1].has_value());
    EXPECT_EQ(read[4], positions[4]);
}

TEST_F(RecordsTest, InitRegistryWritesOnlyWhatIsMissing) {
    const std::string system = std::string(kRootKey) + "\\System";
    ASSERT_TRUE(Registry().Set(system, {RegistryStore::String("ID1", "Sample")}));
    ASSERT_TRUE(Registry().Set(system + "\\RT4450\\100", {RegistryStore::Dword("P", 9)}));

    const auto first = InitRegistry(Registry());
    EXPECT_TRUE(first.Ok());
    EXPECT_EQ((std::vector{RegValues::Text(Registry(), system, "ID1", 16),
                           RegValues::Text(Registry(), system, "ID2", 16),
                           RegValues::Text(Registry(), system, "bufAmp Port", 8)}),
              (std::vector<std::optional<std::string>>{"Sample", "Batch ID", "COM1"}));
    EXPECT_EQ(RegValues::Bytes(Registry(), system, "bufAmp Installed", 1),
              (std::vector<std::uint8_t>{0}));
    // The operator's LN2 table stays as it is; the ITC5 table is made.
    EXPECT_EQ(Registry().EnumKeys(system + "\\RT4450"), std::vector<std::string>{"100"});
    const auto itc = Registry().EnumKeys(system + "\\ITC5");
    for (const char* t : {"77", "150", "300"})
        EXPECT_NE(std::find(itc.begin(), itc.end(), t), itc.end()) << t;
    EXPECT_TRUE(RegValues::Dword(Registry(), system + "\\ITC5", "Tchange").has_value());
    EXPECT_TRUE(RegValues::Dword(Registry(), system + "\\ITC5\\150", "B3").has_value());

    const auto second = InitRegistry(Registry());
    EXPECT_TRUE(second.written.empty()) << second.Summary();

    // The default sets are usable as they are (and read: these differ from
    // the live defaults).
    Config().controllerKind = ControllerKind::LN2;
    ASSERT_TRUE(ReadSettingsSet(program_, "default"));
    EXPECT_EQ((std::vector<double>{Settings().Tesla, Settings().eVsurface, Specimen().Thickness}),
              (std::vector<double>{0.5, 0.7, 1.0}));
    EXPECT_EQ((std::vector<int>{Settings().TargVrVDP, Settings().TargVrBar, Settings().LogInclude}),
              (std::vector<int>{50, 500, 15}));
    EXPECT_LT(Scan().Nmin, Scan().Nmax);
    EXPECT_LT(Scan().Rmin, Scan().Rmax);
    EXPECT_TRUE(UsablePointCount(Scan().ScanNpoints) && Scan().ScanNpoints > 0);
    ASSERT_TRUE(ReadStyleSet(program_, "default"));
    EXPECT_FALSE(Style().FontName.empty());
    for (const PointStyle* p : {&Style().N, &Style().P, &Style().UN, &Style().UP}) {
        EXPECT_GE(p->shape, 1);
        EXPECT_LE(p->shape, 8);
        EXPECT_GE(p->size, 1);
    }
    EXPECT_DOUBLE_EQ(MaterialPermittivity(Registry(), "InAs"), 15.15);
    EXPECT_EQ(MaterialNames(Registry()).size(), 6u);
}

TEST_F(RecordsTest, InitRegistryLeavesAnExistingMaterialsListAlone) {
    ASSERT_TRUE(Registry().SetString(std::string(kRootKey) + "\\Materials", "CdTe", "10.4"));
    InitRegistry(Registry());
    EXPECT_EQ(MaterialNames(Registry()), std::vector<std::string>{"CdTe"});
}

TEST_F(RecordsTest, ADamagedFileIsReportedAndKeptAsideBeforeAnythingIsWritten) {
    const std::string broken =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall]\r\n"
        "\"CheckPos\"=hex:0g\r\n";
    WriteFile(file_, broken);
    FileRegistryStore store(file_);
    ASSERT_TRUE(store.Damaged());
    // Writing is refused while it is damaged: nothing overwrites the file.
    EXPECT_FALSE(InitRegistry(store).Ok());
    EXPECT_EQ(FileBytes(file_), broken);

    const auto report = HandleDamagedRegistry(store);
    EXPECT_TRUE(report.damaged);
    ASSERT_TRUE(report.setAside);
    EXPECT_NE(report.text.find("line 4"), std::string::npos) << report.text;
    EXPECT_NE(report.text.find(report.asidePath), std::string::npos);
    EXPECT_EQ(FileBytes(report.asidePath), broken);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file_)));
    EXPECT_TRUE(InitRegistry(store).Ok());
    EXPECT_FALSE(HandleDamagedRegistry(store).damaged);
}

TEST(RegValuesTest, NumbersUseTheCNotationAndRefuseGarbage) {
    EXPECT_EQ(RegValues::Fixed(1.0005, 3), "1.000");  // binary 1.0005 is below the half
    EXPECT_EQ(RegValues::Fixed(-0.125, 2), "-0.12");
    EXPECT_EQ(RegValues::General(123.456789012, 9), "123.456789");
    EXPECT_EQ(RegValues::General(1e-12, 9), "1e-12");
    EXPECT_EQ(RegValues::ParseNumber(" 12.5 "), std::optional<double>(12.5));
    EXPECT_EQ(RegValues::ParseNumber("+3e2"), std::optional<double>(300.0));
    for (const char* bad : {"", " ", "12abc", "1,5", "inf", "nan", "--1", "+-1", "1e999"})
        EXPECT_FALSE(RegValues::ParseNumber(bad).has_value()) << bad;
    EXPECT_EQ(RegValues::LeadingNumber("12abc"), 12.0);
    EXPECT_EQ(RegValues::LeadingNumber("abc"), 0.0);
    EXPECT_EQ(RegValues::LeadingNumber("-2.5mm"), -2.5);
}

TEST_F(RecordsTest, BothEndsOfARangeAreValuesTheProgramRunsWith) {
    Config().controllerKind = ControllerKind::LN2;
    ASSERT_TRUE(Registry().Set(
        kSet, {RegistryStore::Dword("Cycles", 100), RegistryStore::String("Current", "19900"),
               RegistryStore::Dword("TargVrVDP", 200), RegistryStore::String("SetTemp", "77.0")}));
    ReadSettingsSet(program_, "A");
    EXPECT_EQ((std::vector<double>{static_cast<double>(Settings().Cycles), Settings().Current,
                                   static_cast<double>(Settings().TargVrVDP),
                                   ControllerSetPoint(program_.Records())}),
              (std::vector<double>{100, 19900, 200, 77}));
    for (std::uint32_t good : {0u, 3u, 100u}) {
        ASSERT_TRUE(ReadWith(program_, {RegistryStore::Dword("ScanNpoints", good)}));
        EXPECT_EQ(Scan().ScanNpoints, static_cast<int>(good));
    }
}

TEST_F(RecordsTest, SetRefusesWhatTheProgramCannotRunWithNamingTheRange) {
    std::string error;
    Settings().Current = 100.0;
    for (const char* bad : {"-5", "50000", "1e308", "0.05"}) {
        EXPECT_FALSE(ApplySetting(program_, "Current", bad, error)) << bad;
        EXPECT_NE(error.find("from 0.1 to 19900"), std::string::npos) << error;
        EXPECT_DOUBLE_EQ(Settings().Current, 100.0);
    }
    EXPECT_FALSE(ApplySetting(program_, "Current", "nan", error));
    // The buffer amplifier sources at most 5 uA.
    ASSERT_TRUE(ApplySetting(program_, "BufferAmplifierMode", "1", error));
    EXPECT_FALSE(ApplySetting(program_, "Current", "10", error));
    EXPECT_NE(error.find("from 1e-06 to 5"), std::string::npos) << error;
    EXPECT_TRUE(ApplySetting(program_, "Current", "0.001", error)) << error;

    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Thickness", "-1", false}, {"Thickness", "0", true},      {"Cycles", "1000", false},
        {"Cycles", "0", false},     {"Integrations", "61", false}, {"TargVrBar", "39", false},
        {"TargVrBar", "2000", true}};
    for (const auto& [name, text, taken] : cases)
        EXPECT_EQ(ApplySetting(program_, name, text, error), taken) << name << " " << text;
    EXPECT_FALSE(ApplySetting(program_, "Tesla", "0", error));
    EXPECT_NE(error.find("above 0"), std::string::npos) << error;
    // Without a controller any set-point a specimen can have by hand.
    EXPECT_TRUE(ApplySetting(program_, "SetTemp", "77", error));
    Config().controllerKind = ControllerKind::HotStage;
    EXPECT_FALSE(ApplySetting(program_, "SetTemp", "10", error));
    EXPECT_NE(error.find("from 20 to 900"), std::string::npos) << error;
}

TEST_F(RecordsTest, EachProgramStateHasATableOverItsOwnRecords) {
    // Two states side by side (a test's and another): each table reads and
    // writes its own state's records and never the other's.
    ProgramState other;
    const SettingField* mine = FindSetting(program_, "Current");
    const SettingField* theirs = FindSetting(other, "Current");
    ASSERT_TRUE(mine && theirs);
    program_.Settings().Current = 250.0;
    other.Settings().Current = 42.0;
    EXPECT_EQ(mine->get(), 250.0);
    EXPECT_EQ(theirs->get(), 42.0);
    theirs->put(7.0);
    EXPECT_EQ(other.Settings().Current, 7.0);
    EXPECT_EQ(program_.Settings().Current, 250.0);
    other.Specimen().WaferID = "W42";
    EXPECT_EQ(SettingText(*FindSetting(other, "WaferID")), "W42");
    EXPECT_NE(SettingText(*FindSetting(program_, "WaferID")), "W42");
}
