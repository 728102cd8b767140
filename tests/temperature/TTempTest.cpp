#include <gtest/gtest.h>

#include <climits>

#include <QTemporaryDir>

#include "platform/FileRegistryStore.h"
#include "TemperatureFixture.h"
#include "temperature/PidRegistry.h"
#include "temperature/TTemp.h"
#include "TestRecords.h"

TEST(TTemp, PlainObjectReadsAmbientOrLn2) {
    BusSlot slot;
    TTemp t(slot, Config());
    t.SetTemperature(293.0);
    EXPECT_EQ(t.ReadingText(), "AMB");
    EXPECT_DOUBLE_EQ(t.setPoint, 293.0);
    t.SetTemperature(77.0);
    EXPECT_EQ(t.ReadingText(), "LN2");
    EXPECT_DOUBLE_EQ(t.present, 77.0);
    t.SetReadingText("123456789");  // cut to its eight-byte field
    EXPECT_EQ(t.ReadingText(), "1234567");
}

TEST(PidTable, SelectsTheGreatestEntryNotAboveTheSetPoint) {
    PidTable table;
    for (int t : {300, 77, 150}) table.Add(Tpid{t, t, 0, 0, 0, 0, 0});
    EXPECT_EQ(table.Entries().front().T, 77);
    EXPECT_EQ(table.Entries().back().T, 300);
    EXPECT_EQ(table.Select(149.9)->T, 77);
    EXPECT_EQ(table.Select(150.0)->T, 150);
    EXPECT_EQ(table.Select(1000.0)->T, 300);
    EXPECT_FALSE(table.Select(76.9).has_value());
    // Among equal temperatures the entry inserted last applies.
    table.Add(Tpid{150, 999, 0, 0, 0, 0, 0});
    EXPECT_EQ(table.Select(150.0)->P, 999);
}

TEST(PidTable, HoldsTwelveEntriesAndRefusesMore) {
    PidTable table;
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(table.Add(Tpid{i * 10, i, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(table.Add(Tpid{5, 99, 0, 0, 0, 0, 0}));
    EXPECT_EQ(table.Entries().size(), 12u);
    for (const auto& e : table.Entries()) EXPECT_NE(e.P, 99);
}

TEST(Stabilization, MarginsFromTheSelectedEntry) {
    ApplyItc5Margins(Tpid{10, 1, 1, 1, 3, 0, 0});
    EXPECT_DOUBLE_EQ(StabilizationState().stabilityMargin, 3.0);
    EXPECT_DOUBLE_EQ(StabilizationState().sampleMargin, 0.25);
    EXPECT_DOUBLE_EQ(StabilizationState().driftMargin, 0.25);
    ApplyLn2Margins(Tpid{77, 25, 50, 50, 1, 10, 0});
    EXPECT_DOUBLE_EQ(StabilizationState().stabilityMargin, 1.0);
    EXPECT_EQ(StabilizationState().stabilizeTicks, 20);
    // A stabilising time the count cannot hold stops at the largest count.
    ApplyLn2Margins(Tpid{77, 25, 50, 50, 1, INT32_MAX, 0});
    EXPECT_EQ(StabilizationState().stabilizeTicks, INT_MAX);
    ApplyLn2Margins(Tpid{77, 25, 50, 50, 1, -5, 0});
    EXPECT_EQ(StabilizationState().stabilizeTicks, 0);
}

TEST(Stabilization, DriftTestAveragesOrRepeats) {
    StabilizationState().driftMargin = 0.5;
    double present = 0;
    EXPECT_TRUE(DriftTest(ControllerKind::ITC5, false, 100.0, 100.4, present));
    EXPECT_DOUBLE_EQ(present, 100.2);
    EXPECT_FALSE(DriftTest(ControllerKind::ITC5, false, 100.0, 100.5, present));
    EXPECT_TRUE(DriftTest(ControllerKind::ITC5, true, 100.0, 110.0, present));
    EXPECT_TRUE(DriftTest(ControllerKind::LN2, false, 100.0, 110.0, present));
}

class ControllerFamily : public TemperatureFixture {};

TEST_F(ControllerFamily, OneFactsTablePerKind) {
    EXPECT_EQ(KindFromNumber(2), ControllerKind::ITC5);
    EXPECT_FALSE(KindFromNumber(4).has_value());
    EXPECT_FALSE(KindFromNumber(-1).has_value());

    const auto plain = MakeController(ControllerKind::None, slot, Config());
    EXPECT_EQ(plain->Kind(), ControllerKind::None);
    EXPECT_EQ(plain->Table(), nullptr);
    const auto itc = MakeController(ControllerKind::ITC5, slot, Config());
    EXPECT_EQ(itc->Kind(), ControllerKind::ITC5);
    EXPECT_NE(itc->Table(), nullptr);

    // A panel follows the object through its signal.
    int changes = 0;
    QObject::connect(plain.get(), &TTemp::changed, [&] { ++changes; });
    plain->SetTemperature(77.0);
    EXPECT_EQ(changes, 1);
}

namespace {
// A store over a throw-away file: the PID layout is read the way the
// controllers read it at start-up.
struct PidStore {
    PidStore() : store(dir.filePath("Hall.reg").toStdString()) {}
    QTemporaryDir dir;
    FileRegistryStore store;
};
}  // namespace

TEST(PidRegistry, MissingValuesTakeTheirKindsDefaults) {
    PidStore s;
    const std::string ln2 = PidTableKey(ControllerKind::LN2);
    const std::string itc = PidTableKey(ControllerKind::ITC5);
    EXPECT_EQ(ln2, "SOFTWARE\\Brisel\\Hall\\System\\RT4450");
    EXPECT_TRUE(PidTableKey(ControllerKind::HotStage).empty());
    ASSERT_TRUE(s.store.Set(ln2 + "\\150", {RegistryStore::Dword("P", 30)}));
    ASSERT_TRUE(
        s.store.Set(ln2 + "\\77", PidEntryValues(ControllerKind::LN2, Tpid{77, 1, 2, 3, 4, 5, 0})));
    ASSERT_TRUE(s.store.Set(ln2 + "\\warm", {RegistryStore::Dword("P", 1)}));  // not a temperature
    ASSERT_TRUE(s.store.Set(itc + "\\10", {RegistryStore::Dword("B3", 0)}));

    PidTable table;
    ASSERT_TRUE(ReadPidTable(s.store, ControllerKind::LN2, table));
    ASSERT_EQ(table.Entries().size(), 2u);
    const Tpid& first = table.Entries()[0];
    EXPECT_EQ((std::vector<int>{first.T, first.P, first.I, first.D, first.M1, first.M2}),
              (std::vector<int>{77, 1, 2, 3, 4, 5}));
    const Tpid& second = table.Entries()[1];
    EXPECT_EQ((std::vector<int>{second.T, second.P, second.I, second.D, second.M1, second.M2}),
              (std::vector<int>{150, 30, 50, 50, 1, 10}));

    PidTable itcTable;
    ASSERT_TRUE(ReadPidTable(s.store, ControllerKind::ITC5, itcTable));
    ASSERT_EQ(itcTable.Entries().size(), 1u);
    EXPECT_EQ(itcTable.Entries()[0].D, 0);
    EXPECT_EQ(itcTable.Entries()[0].M1, 2);
    EXPECT_EQ(itcTable.Entries()[0].M3, 0);  // present, so not the default
    EXPECT_EQ(ReadTchange(s.store), kDefaultTchange);
    ASSERT_TRUE(s.store.Set(itc, {RegistryStore::Dword("Tchange", 120)}));
    EXPECT_EQ(ReadTchange(s.store), 120);

    PidTable none;
    EXPECT_FALSE(ReadPidTable(s.store, ControllerKind::HotStage, none));
}
