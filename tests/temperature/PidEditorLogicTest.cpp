// The PID editor's logic without its dialog, and the dialog's dump line.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>

#include "temperature/Itc5Func.h"
#include "temperature/Ln2Func.h"
#include "temperature/PidEditor.h"
#include "temperature/PidEditorLogic.h"
#include "TemperatureFixture.h"
#include "TestRecords.h"

namespace {
std::vector<std::int32_t> Temperatures(const PidTable& table) {
    std::vector<std::int32_t> t;
    for (const Tpid& e : table.Entries()) t.push_back(e.T);
    return t;
}
}  // namespace

// The LN2 controller with the entries 77 and 200 in its registry key and
// live table, and the editor's logic over them.
class PidEditorLogicTest : public TemperatureFixture {
  protected:
    void SetUp() override {
        TemperatureFixture::SetUp();
        AddEntry(ControllerKind::LN2, Tpid{77, 25, 50, 50, 1, 10, 0});
        AddEntry(ControllerKind::LN2, Tpid{200, 30, 40, 40, 2, 20, 0});
        ln2 = std::make_unique<LN2Func>(slot, Config());
        logic = std::make_unique<PidEditorLogic>(*ln2, Registry());
    }
    void TearDown() override {
        logic.reset();
        ln2.reset();
        TemperatureFixture::TearDown();
    }
    void Type(const char* temperature, std::initializer_list<const char*> factors) {
        logic->Fields().Set(PidEditorLogic::kTemperature, temperature);
        int id = PidEditorLogic::kGain;
        for (const char* f : factors) logic->Fields().Set(id++, f);
    }
    // The table as the registry holds it now.
    PidTable Stored() {
        PidTable table;
        ReadPidTable(Registry(), ControllerKind::LN2, table);
        return table;
    }
    std::string WriteFile(const char* text) {
        const QString path = dir.filePath("old.pid");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path.toStdString();
    }
    std::unique_ptr<LN2Func> ln2;
    std::unique_ptr<PidEditorLogic> logic;
};

TEST_F(PidEditorLogicTest, ListsTheTableAndNamesTheMargins) {
    EXPECT_EQ(logic->Lines(), (QStringList{"77", "200"}));
    EXPECT_EQ(logic->FactorCount(), 5);
    EXPECT_EQ(logic->Fields().Get(PidEditorLogic::kM1Label), "Margin (dT)");
    EXPECT_EQ(logic->Fields().Get(PidEditorLogic::kM2Label), "Stabilizing (Sec)");

    logic->Choose(1);
    EXPECT_EQ(logic->Fields().Get(101), "30");
    EXPECT_EQ(logic->Fields().Get(105), "20");
    // The LN2 has no sixth factor: its field is not written.
    EXPECT_FALSE(logic->Fields().Has(106));
    logic->Choose(2);
    EXPECT_EQ(logic->Fields().Get(101), "30");

    ITC5Func itc(slot, Config());
    PidEditorLogic itcLogic(itc, Registry());
    EXPECT_EQ(itcLogic.FactorCount(), 6);
    EXPECT_EQ(itcLogic.Fields().Get(PidEditorLogic::kM3Label), "Drift Margin");
    EXPECT_TRUE(itcLogic.Lines().isEmpty());
}

TEST_F(PidEditorLogicTest, AddedEntryIsStoredAndTakesItsPlaceInTheTable) {
    std::vector<QString> added;
    QObject::connect(logic.get(), &PidEditorLogic::lineAdded,
                     [&added](const QString& l) { added.push_back(l); });
    // The LN2 reads five factors: whatever field 106 holds is not looked at.
    Type(" +150", {"11", "12", "13", "3", "30", "x"});
    logic->AddUpdate();

    EXPECT_EQ(Temperatures(*ln2->Table()), (std::vector<std::int32_t>{77, 150, 200}));
    const Tpid* entry = ln2->Table()->Find(150);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->I, 12);
    EXPECT_EQ(entry->M2, 30);
    PidTable stored = Stored();
    EXPECT_EQ(Temperatures(stored), (std::vector<std::int32_t>{77, 150, 200}));
    ASSERT_NE(stored.Find(150), nullptr);
    EXPECT_EQ(stored.Find(150)->D, 13);
    // The list keeps its order: the new line is appended.
    EXPECT_EQ(logic->Lines(), (QStringList{"77", "200", "150"}));
    EXPECT_EQ(added, (std::vector<QString>{"150"}));

    // The same temperature again replaces the entry, without a new line.
    Type("150", {"99", "12", "13", "3", "30"});
    logic->AddUpdate();
    EXPECT_EQ(ln2->Table()->Entries().size(), 3u);
    EXPECT_EQ(ln2->Table()->Find(150)->P, 99);
    EXPECT_EQ(Stored().Find(150)->P, 99);
    EXPECT_EQ(added.size(), 1u);
}

TEST_F(PidEditorLogicTest, TextThatIsNoWholeNumberIsRefusedAndNothingWritten) {
    std::vector<int> refused;
    QObject::connect(logic.get(), &PidEditorLogic::refused,
                     [&refused](int id) { refused.push_back(id); });
    Type("150", {"11", "12", "1.5", "3", "30"});
    logic->AddUpdate();
    EXPECT_EQ(Prompts().back(),
              "Temperature Control Settings|Enter a whole number in every field.");
    EXPECT_EQ(refused, (std::vector<int>{103}));

    Type("15O", {"11", "12", "13", "3", "30"});
    logic->AddUpdate();
    EXPECT_EQ(Prompts().back(),
              "Temperature Control Settings|The temperature must be a whole number of kelvin.");

    // A blank temperature is no entry at all: nothing is said.
    Type("  ", {});
    logic->AddUpdate();
    EXPECT_EQ(Prompts().size(), 2u);

    EXPECT_EQ(Temperatures(*ln2->Table()), (std::vector<std::int32_t>{77, 200}));
    EXPECT_EQ(Temperatures(Stored()), (std::vector<std::int32_t>{77, 200}));
    EXPECT_EQ(logic->Lines(), (QStringList{"77", "200"}));
}

TEST_F(PidEditorLogicTest, DeleteTakesTheNamedEntryFromEverywhere) {
    std::vector<int> removed;
    QObject::connect(logic.get(), &PidEditorLogic::lineRemoved,
                     [&removed](int i) { removed.push_back(i); });
    logic->Choose(0);
    // Field 110 names the entry, not the line chosen last.
    logic->Fields().Set(PidEditorLogic::kTemperature, "200");
    logic->DeleteSelected();
    EXPECT_EQ(Temperatures(*ln2->Table()), (std::vector<std::int32_t>{77}));
    EXPECT_EQ(Temperatures(Stored()), (std::vector<std::int32_t>{77}));
    EXPECT_EQ(logic->Lines(), (QStringList{"77"}));
    EXPECT_EQ(logic->Fields().Get(PidEditorLogic::kTemperature), "");

    logic->Fields().Set(PidEditorLogic::kTemperature, "150");
    logic->DeleteSelected();
    EXPECT_EQ(removed, (std::vector<int>{1, -1}));
    EXPECT_EQ(logic->Lines(), (QStringList{"77"}));
    EXPECT_EQ(Temperatures(Stored()), (std::vector<std::int32_t>{77}));
}

TEST_F(PidEditorLogicTest, ImportStopsAtABadLineAndReplacesTheTableWithWhatCameBefore) {
    int refills = 0;
    QObject::connect(logic.get(), &PidEditorLogic::linesRefilled, [&refills] { ++refills; });
    logic->Fields().Set(PidEditorLogic::kTemperature, "77");
    logic->ImportFile(WriteFile("RT4450\n300 40 30 30 1 15 9\n100 1 2\n150 30 40 40 1 10 0\n"));
    EXPECT_EQ(Temperatures(*ln2->Table()), (std::vector<std::int32_t>{300}));
    // An LN2 line's M3 goes to the registry but not into the live table.
    EXPECT_EQ(ln2->Table()->Find(300)->M3, 0);
    EXPECT_EQ(Temperatures(Stored()), (std::vector<std::int32_t>{300}));
    EXPECT_EQ(logic->Lines(), (QStringList{"300"}));
    EXPECT_EQ(logic->Fields().Get(PidEditorLogic::kTemperature), "");
    EXPECT_EQ(refills, 1);
    EXPECT_EQ(Prompts().back(), "Success|All PID entries have been copied to the registry");

    // A file of the other controller changes nothing.
    logic->ImportFile(WriteFile("ITC5\n2 1 1 1 1 1 1\n"));
    EXPECT_EQ(Prompts().back(), "Error|Wrong filetype");
    EXPECT_EQ(Temperatures(Stored()), (std::vector<std::int32_t>{300}));
    EXPECT_EQ(refills, 1);
}

// The dump shows the factors and the temperature as the dialog always did,
// not the margins' names or the list.
TEST_F(PidEditorLogicTest, DumpLineShowsTheEditedFieldsOnly) {
    logic.reset();
    TEditPIDDlg editor(nullptr, *ln2, Registry());
    EXPECT_EQ(editor.DumpLine(), "window: PIDEDIT 110=");
    editor.findChild<QComboBox*>("field110")->setCurrentIndex(1);
    EXPECT_EQ(editor.DumpLine(), "window: PIDEDIT 101=30 102=40 103=40 104=2 105=20 110=200");
    EXPECT_EQ(editor.Logic().Fields().Get(PidEditorLogic::kM1Label), "Margin (dT)");
}
