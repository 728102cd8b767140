// The result computations against the physics reference, the results
// panel's model and log lines, the guards, the depletion dialog and the dump.
#include <QLineEdit>
#include <cmath>

#include "MeasureTestSupport.h"
#include "measure/MeasurementDump.h"
#include "measure/ResultComputations.h"
#include "measure/CheckRun.h"
#include "measure/TDepl.h"
#include "core/xmsg.h"
#include "TestRecords.h"

namespace {
using namespace ResultMath;

// The values these tests put into the record stand for measured ones.
class ResultsTest : public MeasureTest {
  protected:
    void SetUp() override {
        MeasureTest::SetUp();
        Results().measured =
            MeasurementResults::kResistivityMeasured | MeasurementResults::kHallMeasured;
    }
};
class DepletionTest : public MeasureTest {};

std::string MathError(const std::function<void()>& computation) {
    try {
        computation();
    } catch (const xmath& error) {
        return error.why();
    }
    return "no error";
}

TEST(ResultMath, SeriesFactorMatchesTheTableAndTheQuotedExample) {
    const struct {
        double q, series;
    } table[] = {{1, 1.0},      {1.5, 0.985989}, {2, 0.960352},  {3, 0.907584},
                 {4, 0.863263}, {5, 0.827723},   {10, 0.726607}, {20, 0.654406}};
    for (const auto& row : table) EXPECT_NEAR(VdpFactor(row.q), row.series, 2e-6) << row.q;
    EXPECT_NEAR(VdpFactor(4.0), 1 - 0.34657359 * 0.36 - 0.0923612 * 0.1296, 1e-12);
    EXPECT_EQ(MathError([] { VdpFactor(-1.0); }), kDivideByZero);
}

TEST(ResultMath, RowsAndGuards) {
    // Four equal averages: Q = 1, f = 1, Rs = 2266180 x 2V / I.
    const VdpRow equal = VanDerPauwRow(2.206e-3, 2.206e-3, 100.0);
    EXPECT_EQ(equal.ratio, 1.0);
    EXPECT_EQ(equal.factor, 1.0);
    EXPECT_NEAR(equal.sheet, 2266180.0 * 2 * 2.206e-3 / 100.0, 1e-9);
    // Worked number: Rs = 100 ohm/sq, 100 uA, symmetric disc gives 2.206 mV.
    EXPECT_NEAR(equal.sheet, 100.0, 0.02);
    // Ratios below 1 are inverted.
    EXPECT_EQ(VanDerPauwRow(1.0, 4.0, 1.0).ratio, 4.0);
    EXPECT_EQ(MathError([] { VanDerPauwRow(1e-3, -1e-3, 100.0); }), kDivideByZero);
    EXPECT_EQ(MathError([] { VanDerPauwRow(1e-3, 1e-3, 0.0); }), kDivideByZero);

    // 296 is not capped at 255.
    EXPECT_EQ((std::vector<int>{HoldValue(0.1), HoldValue(-1.0), HoldValue(7.0), HoldValue(NAN)}),
              (std::vector<int>{8, 42, 296, 8}));

    EXPECT_DOUBLE_EQ(BarSheetResistance(0.4, 3.0, 3.0, 100.0), 0.4 / (4 * 100e-6));
    EXPECT_EQ(MathError([] { BarSheetResistance(0.4, 1.0, 1.0, 0.0); }), kDivideByZero);
}

TEST(ResultMath, HallQuantitiesFromTheWorkedNumbers) {
    // n_s = 1e12 cm-2, B = 0.5 T, I = 10 uA: |V_H| = 3.121 mV, R_Hs = -624.2 m2/C.
    const double coefficient = HallCoefficientRaw(-3.1207e-3, 0.5, 10.0);
    EXPECT_NEAR(coefficient, -624.14, 0.05);
    EXPECT_NEAR(SheetConcentration(-624.15, 1.0), -1e12, 1e12 * 2e-4);
    EXPECT_EQ(MathError([] { HallCoefficientRaw(1e-3, 0.0, 10.0); }), kDivideByZero);
    EXPECT_EQ(MathError([] { SheetConcentration(0.0, 1.0); }), kNoHallValue);
    EXPECT_EQ(MathError([] { SheetConcentration(-1.0, 0.0); }), kDivideByZero);

    // n = 1e17 cm-3, mu = 4000, t = 1 um: Rs = 156.04, R_Hs = -62.415.
    EXPECT_NEAR(*Mobility(-62.415, 156.04, 1.0), 4000.0, 0.5);
    EXPECT_NEAR(BulkResistivity(156.04, 1.0), 0.015604, 1e-9);
    EXPECT_NEAR(BulkConcentration(SheetConcentration(-62.415, 1.0), 1.0), -1e17, 1e17 * 5e-4);
    EXPECT_FALSE(Mobility(-62.4, 0.0001, 1.0));
    EXPECT_FALSE(Mobility(-62.4, 100.0, 0.0));
}

TEST(ResultMath, DepletionOfAThinGaAsLayer) {
    // N = 1e17, 300 K, 0.7 V and 0.6 V: W = 98.04 nm and 90.48 nm; t = 0.5 um
    // holds n_s = 3.115e12 cm-2.
    const Depletion d = DepletionCorrection(0.7, 0.6, 300.0, 12.9, 0.5, 3.115e12);
    EXPECT_NEAR(d.concentration, 1e17, 1e17 * 3e-3);
    EXPECT_NEAR(d.surfaceWidth, 0.09804, 0.09804 * 2e-3);
    EXPECT_NEAR(d.innerWidth, 0.09048, 0.09048 * 2e-3);
    EXPECT_NEAR(d.activeThickness, 0.5 - d.surfaceWidth - d.innerWidth, 1e-12);
    // The concentration keeps the sign of the carriers.
    EXPECT_LT(DepletionCorrection(0.7, 0.6, 300.0, 12.9, 0.5, -3.115e12).concentration, 0.0);

    // Potentials equal to kT: no depletion at all.
    const double kT = ThermalVoltage(300.0);
    const Depletion none = DepletionCorrection(kT, kT, 300.0, 12.9, 0.5, 2e12);
    EXPECT_EQ(none.surfaceWidth, 0.0);
    EXPECT_EQ(none.activeThickness, 0.5);
    EXPECT_NEAR(none.concentration, 2e12 / 0.5e-4, 1.0);

    EXPECT_EQ(MathError([&] { DepletionCorrection(kT - 0.01, 0.6, 300, 12.9, 0.5, 3e12); }),
              kSqrtDomain);
    EXPECT_EQ(MathError([] { DepletionCorrection(0.7, 0.6, 300, 12.9, 0.0, 3e12); }),
              kDivideByZero);
    EXPECT_EQ(MathError([&] { DepletionCorrection(kT, kT, 300, 12.9, 0.5, 0.0); }), kDivideByZero);
}

TEST_F(ResultsTest, ResistivityFieldsBulkAndLogLines) {
    OpenLog();
    Results().sheetResistance = 100.0;
    Specimen().Thickness = 500.0;
    ResultsUpdateResistivity(program);
    EXPECT_EQ(Texts(ResultsFields(), {1, 2}), Lines({"100", "5"}));
    EXPECT_DOUBLE_EQ(Results().bulkResistivity, 5.0);
    EXPECT_EQ(Results().flags, 1u);

    Specimen().Thickness = 0.0;
    ResultsUpdateResistivity(program);
    EXPECT_EQ(ResultsFields().Get(2), "");
    EXPECT_EQ(LogBytes(),
              "Sheet Res: (ohms/sq)\t100\r\nBulk Res: (ohms-cm)\t5\r\n"
              "Sheet Res: (ohms/sq)\t100\r\n");
}

TEST_F(ResultsTest, HallFieldsWithAndWithoutScatteringFactor) {
    OpenLog();
    Results().hallCoefficientRaw = -0.001;
    Specimen().Thickness = 1.0;
    ResultsUpdateHall(program);
    EXPECT_EQ(Texts(ResultsFields(), {3, 5, 6}), Lines({"-0.001", "-6.241e+17", "-6.241e+21"}));
    EXPECT_NEAR(Results().sheetConcentration, -6.2414e17, 1e13);
    EXPECT_EQ(Results().flags, 2u);
    EXPECT_EQ(LogBytes(),
              "Hall Coef: (m2/C)\t-0.001\r\nSheet Conc: (cm-2)\t-6.241e+17\r\n"
              "Bulk Conc: (cm-3)\t-6.241e+21\r\n");

    const double plain = Results().sheetConcentration;
    Settings().ScatFactor = 1.18;
    ScatteringChanged(program);
    EXPECT_EQ(ResultsFields().Get(3), "-0.000847");
    EXPECT_NEAR(Results().sheetConcentration, plain * 1.18, std::fabs(plain) * 1e-12);
    EXPECT_EQ(Results().hallCoefficientRaw, -0.001);
}

TEST_F(ResultsTest, MobilityComesWithWhicheverResultCompletesThePair) {
    OpenLog();
    Results().sheetResistance = 156.04;
    Results().hallCoefficientRaw = -62.415;
    ResultsUpdateHall(program);
    EXPECT_EQ(ResultsFields().Get(4), "");  // no resistivity shown yet
    ResultsUpdateResistivity(program);
    EXPECT_EQ(ResultsFields().Get(4), "4e+03");
    EXPECT_NEAR(Results().mobility, 4000.0, 0.5);
    EXPECT_NE(LogBytes().find("Mobility: cm2/(V-sec)\t4e+03\r\n"), std::string::npos);

    ResultsClear(program);
    EXPECT_EQ(Results().flags, 0u);
    EXPECT_EQ(Texts(ResultsFields(), {1, 2, 3, 4, 5, 6}), std::vector<std::string>(6));
    Results().mobility = 0.0;
    ResultsUpdateResistivity(program);
    ResultsUpdateHall(program);
    EXPECT_NEAR(Results().mobility, 4000.0, 0.5);

    // Below 0.0001 ohm/sq nothing is computed: field 4 keeps its text.
    Results().sheetResistance = 0.0001;
    Results().mobility = -1.0;
    ResultsUpdateResistivity(program);
    EXPECT_EQ(ResultsFields().Get(4), "4e+03");
    EXPECT_EQ(Results().mobility, -1.0);
}

TEST_F(ResultsTest, ZeroHallCoefficientShowsTheReasonInsteadOfInfinities) {
    OpenLog();
    Results().sheetConcentration = 5.0;
    Results().bulkConcentration = 7.0;
    Specimen().Thickness = 2.0;
    ResultsUpdateHall(program);
    EXPECT_EQ(Texts(ResultsFields(), {3, 5, 6}), Lines({"+0", "", ""}));
    EXPECT_EQ(Results().sheetConcentration, 0.0);
    EXPECT_EQ(Results().bulkConcentration, 0.0);
    EXPECT_EQ(Status().Detail(), kNoHallValue);
    const std::string log = LogBytes();
    EXPECT_NE(log.find(std::string(kNoHallValue) + "\r\n"), std::string::npos);
    EXPECT_EQ(log.find("inf"), std::string::npos);
}

TEST_F(ResultsTest, ScatteringOnlyActsOnAShownHallResultAndThicknessRedoesBulk) {
    Results().hallCoefficientRaw = -0.001;
    ScatteringChanged(program);
    EXPECT_EQ(ResultsFields().Get(3), "");

    Results().sheetResistance = 100.0;
    ResultsUpdateResistivity(program);
    ResultsUpdateHall(program);
    Specimen().Thickness = 500.0;
    ResultsThicknessChanged(program);
    EXPECT_EQ(Texts(ResultsFields(), {2, 6}), Lines({"5", "-1.248e+19"}));
    Specimen().Thickness = 0.0;
    ResultsThicknessChanged(program);
    EXPECT_EQ(Texts(ResultsFields(), {2, 6}), Lines({"", ""}));
}

TEST_F(DepletionTest, CalculateAndApplyReplaceTheDisplayedBulkValuesOnly) {
    Results().flags = 3;
    Results().sheetResistance = 100.0;
    Results().sheetConcentration = 3.115e12;
    Specimen().Thickness = 0.5;
    Specimen().MaterialConstant = 12.9;
    ResultsFields().Set(2, "old");
    EXPECT_TRUE(DepletionEnabled(program));

    TDepl dialog(program, nullptr, 300.0);
    EXPECT_EQ(dialog.Fields().Get(110), "0.00");
    dialog.findChild<QLineEdit*>("field110")->setText("0.70");
    dialog.Fields().Set(111, "0.6");
    dialog.Calculate();
    EXPECT_DOUBLE_EQ(Settings().eVsurface, 0.7);
    EXPECT_DOUBLE_EQ(Settings().eVinner, 0.6);
    EXPECT_EQ(Texts(dialog.Fields(), {112, 113, 116}), Lines({"0.098", "0.0905", "1.00e+17"}));
    const double active = std::stod(dialog.Fields().Get(114));
    EXPECT_NEAR(active, 0.5 - 0.09804 - 0.09048, 0.002);
    EXPECT_NEAR(std::stod(dialog.Fields().Get(115)), 100.0 * 1e-4 * active, 1e-4);

    responder.Add("OK");
    EXPECT_EQ(Prompt::Exec(dialog), Prompt::IDOK);
    EXPECT_EQ(Texts(ResultsFields(), {2, 6}),
              (std::vector<std::string>{dialog.Fields().Get(115), "1.00e+17"}));
    EXPECT_DOUBLE_EQ(Results().sheetConcentration, 3.115e12);  // record uncorrected
}

TEST_F(DepletionTest, PotentialBelowKtAndApplyWithoutCalculate) {
    Results().flags = 3;
    Results().sheetConcentration = 3e12;
    Specimen().Thickness = 0.5;
    Specimen().MaterialConstant = 12.9;
    ResultsFields().Set(2, "1.2");
    ResultsFields().Set(6, "3e+17");

    TDepl dialog(program, nullptr, 300.0);
    dialog.Fields().Set(110, "0.01");
    dialog.Fields().Set(111, "0.6");
    dialog.Calculate();
    EXPECT_EQ(Messages(), Lines({"Math Library Error | Function sqrt: DOMAIN error"}));
    EXPECT_EQ(Texts(dialog.Fields(), {112, 113, 114, 115, 116}), std::vector<std::string>(5));

    // Apply without a result empties the two results fields.
    dialog.accept();
    EXPECT_EQ(Texts(ResultsFields(), {2, 6}), Lines({"", ""}));
}

TEST_F(DepletionTest, EnablingRule) {
    std::vector<bool> enabled;
    for (const auto& [thickness, flags] : {std::pair{1.0, 1u}, {1.0, 3u}, {0.0, 3u}}) {
        Specimen().Thickness = thickness;
        Results().flags = flags;
        enabled.push_back(DepletionEnabled(program));
    }
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, false}));
}

TEST_F(ResultsTest, DumpLinesShowPanelRecordAndWindows) {
    Results().sheetResistance = 107.116218;
    Results().hallCoefficientRaw = -62.415;
    Results().symmetryFactor = 2.0;
    ResultsUpdateResistivity(program);
    State().measurementStatus = 1;
    CheckRun check(program);
    check.Fields().Set(10, "3");
    std::vector<std::string> lines;
    DumpMeasurements(program, lines, {&check, nullptr});
    EXPECT_EQ(Joined(lines),
              "results: 1=107.1 2= 3= 4= 5= 6=\n"
              "record: sheetResistance=107.116218 bulkResistivity=0 hallCoefficientRaw=-62.415 "
              "sheetConcentration=0 bulkConcentration=0 mobility=0 symmetryFactor=2\n"
              "flags: 1\nmeasurementStatus: 1\n"
              "window: CHECK 1=12 2=23 3=34 4=41 5=13 6=24 9= 10=3 11= 12= 13= 14= 15=\n");
}

}  // namespace
