#include <gtest/gtest.h>

#include "TTemp.h"

TEST(TTemp, PlainObjectReadsAmbientOrLn2) {
    TTemp t;
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
}

TEST(Stabilization, DriftTestAveragesOrRepeats) {
    StabilizationState().driftMargin = 0.5;
    double present = 0;
    EXPECT_TRUE(DriftTest(2, false, 100.0, 100.4, present));
    EXPECT_DOUBLE_EQ(present, 100.2);
    EXPECT_FALSE(DriftTest(2, false, 100.0, 100.5, present));
    EXPECT_TRUE(DriftTest(2, true, 100.0, 110.0, present));
    EXPECT_TRUE(DriftTest(1, false, 100.0, 110.0, present));
}

TEST(TTempCon, KindsCarryTheirLimits) {
    TTempCon ln2(1), itc(2), hot(3);
    EXPECT_EQ(ln2.minimum, 77);
    EXPECT_EQ(ln2.maximum, 550);
    EXPECT_EQ(itc.minimum, 2);
    EXPECT_EQ(hot.maximum, 900);
    EXPECT_DOUBLE_EQ(hot.setPoint, 0.0);
    EXPECT_NE(ln2.Table(), nullptr);
}
