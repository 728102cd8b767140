// The specimen's physics as the measurements see it through the electronics.
#include <cmath>
#include <numbers>

#include "RackTestSupport.h"

namespace vantris::sim::test {
namespace {

constexpr int kHall = Rack::kHallPrimary;

// Volts at the voltmeter for one switch setting and direction.
double Volts(Rack& rack, const std::string& matrix, const char* direction) {
    rack.Command(kHall, 7, matrix);
    rack.Command(kHall, 8, direction);
    return rack.Hall().MeasureInput(rack.Now()).volts;
}

// Half the difference of the two directions, over the current.
double Resistance(Rack& rack, const std::string& matrix, double amps) {
    return (Volts(rack, matrix, "P") - Volts(rack, matrix, "N")) * 0.5 / amps;
}

void Move(Rack& rack, const std::string& text) {
    rack.Command(kHall, 12, text);
    rack.Clock().Advance(10.0);
    ASSERT_EQ(rack.SerialPoll(kHall, 6), 0x50) << text;
}

// The Hall cycle the program runs: North after "-F", South after "+F+R-F",
// per configuration the four readings combined as (PN - NN - PS + NS) / 4.
std::array<double, 2> HallVoltages(Rack& rack, const char* config0, const char* config1) {
    std::array<double, 2> hall{};
    const char* configs[2] = {config0, config1};
    double v[2][2][2];
    Move(rack, "-F");
    for (int i = 0; i < 2; ++i) {
        v[i][0][0] = Volts(rack, configs[i], "P");
        v[i][1][0] = Volts(rack, configs[i], "N");
    }
    Move(rack, "+F+R-F");
    for (int i = 0; i < 2; ++i) {
        v[i][0][1] = Volts(rack, configs[i], "P");
        v[i][1][1] = Volts(rack, configs[i], "N");
    }
    Move(rack, "+F-R");
    for (int i = 0; i < 2; ++i) {
        hall[i] = (v[i][0][0] - v[i][1][0] - v[i][0][1] + v[i][1][1]) * 0.25;
    }
    return hall;
}

TEST(VanDerPauw, TheoremHoldsExactlyForUnequalAngles) {
    auto rack = MakeRack(R"({"specimen":{"contact_angles_deg":[0,60,180,270],
                            "thermo_offset_volts":0.002}})");
    rack->Command(kHall, 8, "DI100.0");
    const double rs = rack->Truth().sheetResistance;
    const double ra = Resistance(*rack, "S12M43", 100e-6);
    const double rb = Resistance(*rack, "S32M41", 100e-6);
    EXPECT_NEAR(std::exp(-std::numbers::pi * ra / rs) + std::exp(-std::numbers::pi * rb / rs), 1.0,
                1e-9);
    EXPECT_NEAR(rb / ra, 2.2053, 1e-4);  // the ratio of these angles
    // The other two configurations repeat the pair by reciprocity.
    EXPECT_NEAR(Resistance(*rack, "S34M21", 100e-6), ra, 1e-9 * ra);
    EXPECT_NEAR(Resistance(*rack, "S14M23", 100e-6), rb, 1e-9 * rb);
}

TEST(VanDerPauw, SymmetricDiscGivesRsLn2OverPi) {
    auto rack = MakeRack();
    rack->Command(kHall, 8, "DI50.0");
    const double rs = rack->Truth().sheetResistance;
    EXPECT_NEAR(rack->TheSpecimen().Truth(300.0).sheetResistance, 156.04, 0.01);
    EXPECT_NEAR(Resistance(*rack, "S12M43", 50e-6), rs * std::numbers::ln2 / std::numbers::pi,
                1e-9);
}

TEST(HallEffect, EightReadingsGiveRHsBIWithNegativeSignForElectrons) {
    auto rack = MakeRack(R"({"specimen":{"contact_angles_deg":[0,80,170,290],
                            "thermo_offset_volts":0.001}})");
    rack->Command(kHall, 8, "DI100.0");
    const double expected = rack->Truth().hallSheet * 0.5 * 100e-6;
    EXPECT_NEAR(rack->Truth().hallSheet, -62.415, 1e-3);
    const auto hall = HallVoltages(*rack, "S31M24", "S24M13");
    EXPECT_NEAR(hall[0], expected, std::abs(expected) * 1e-9);
    EXPECT_NEAR(hall[1], expected, std::abs(expected) * 1e-9);
    EXPECT_LT(hall[0], 0.0);
}

TEST(HallEffect, HolesGivePositiveSignInBothConfigurations) {
    auto rack = MakeRack(R"({"specimen":{"carrier":"p","hall_factor":1.18}})");
    rack->Command(kHall, 8, "DI100.0");
    const double expected = rack->Truth().hallSheet * 0.5 * 100e-6;
    EXPECT_GT(expected, 0.0);
    const auto hall = HallVoltages(*rack, "S31M24", "S24M13");
    EXPECT_NEAR(hall[0], expected, expected * 1e-9);
    EXPECT_NEAR(hall[1], expected, expected * 1e-9);
}

TEST(Bar, ResistivityPositiveAndHallSignedLikeTheDisc) {
    auto rack = MakeRack(R"({"specimen":{"geometry":"bar","bar_length_mm":3,"bar_width_mm":1.5}})");
    rack->Command(kHall, 8, "DI100.0");
    const double rs = rack->Truth().sheetResistance;
    // Program: Rs = (V14+ - V14- + V23+ - V23-) W / (4 I L).
    const double sum =
        2.0 * (Resistance(*rack, "S56M14", 100e-6) + Resistance(*rack, "S56M23", 100e-6)) * 100e-6;
    EXPECT_NEAR(sum * 1.5 / (4.0 * 100e-6 * 3.0), rs, rs * 1e-9);
    const auto hall = HallVoltages(*rack, "S56M12", "S56M43");
    const double expected = rack->Truth().hallSheet * 0.5 * 100e-6;
    EXPECT_NEAR(hall[0], expected, std::abs(expected) * 1e-9);
    EXPECT_NEAR(hall[1], expected, std::abs(expected) * 1e-9);
}

TEST(Buffered, PairBytesDriveTheDividedCurrentInTheProgramsDirections) {
    auto rack = MakeRack();
    // "S58" routes the source to the buffer; 0x21 divides by 200; the pair
    // bytes of the four configurations must match "S12", "S32", "S34", "S14".
    rack->Command(kHall, 7, "S58");
    rack->Command(kHall, 8, "DPI200.0");
    rack->Buffer().WriteByte(0x21);
    auto buffered = [&](std::uint8_t pair, const char* meter) {
        rack->Buffer().WriteByte(pair);
        return Volts(*rack, meter, "P");
    };
    const double a = buffered(0x85, "M43");
    const double b = buffered(0x94, "M41");
    const double c = buffered(0xB0, "M21");
    const double d = buffered(0xA1, "M23");
    const double expected =
        rack->Truth().sheetResistance * std::numbers::ln2 / std::numbers::pi * 1e-6;
    for (double v : {a, b, c, d}) EXPECT_NEAR(v, expected, expected * 1e-9);
    // The monitor on 6 against 7 carries the pair voltage over six; 0x83 is zero.
    rack->Buffer().WriteByte(0x85);
    const double pair = rack->TheSpecimen().SourceVoltage(Drive{1, 2, 1e-6}, 293, 0);
    EXPECT_NEAR(Volts(*rack, "M67", "P"), pair / 6.0, 1e-15);
    rack->Buffer().WriteByte(0x83);
    EXPECT_EQ(Volts(*rack, "M67", "P"), 0.0);
}

TEST(Physics, TemperatureDependenceOfDensityAndMobility) {
    RackConfig config;
    config.specimen.activationEv = 0.05;
    const Specimen specimen(config.specimen);
    const SpecimenTruth warm = specimen.Truth(300.0);
    const SpecimenTruth cold = specimen.Truth(150.0);
    const double k = Specimen::kBoltzmannEv;
    EXPECT_NEAR(cold.sheetDensity / warm.sheetDensity,
                std::exp(-(0.05 / k) * (1.0 / 150 - 1.0 / 300)), 1e-12);
    EXPECT_NEAR(cold.mobility / warm.mobility, std::pow(0.5, -1.5), 1e-12);
    EXPECT_NEAR(warm.sheetDensity, -1e13, 1e3);
    EXPECT_NEAR(warm.resistivity, 0.015604, 1e-6);
}

TEST(Thermal, StageApproachFollowsItsTimeConstant) {
    auto rack = MakeRack(R"({"ln2":{"tau_seconds":40}})");
    const double start = rack->Ln2().Thermal().StageK(rack->Now());
    rack->Command(Rack::kLn2Primary, 3, "1000");  // 100.0 K, automatic control
    for (double t : {10.0, 30.0, 40.0}) {
        rack->Clock().Advance(t - (t == 10.0 ? 0.0 : t == 30.0 ? 10.0 : 30.0));
        const double expected = 100.0 + (start - 100.0) * std::exp(-t / 40.0);
        EXPECT_NEAR(rack->Ln2().Thermal().StageK(rack->Now()), expected, 1e-9) << t;
    }
    // The sample lags behind the stage, and the specimen sits on this stage now.
    EXPECT_GT(rack->SpecimenTemperature(), rack->Ln2().Thermal().StageK(rack->Now()));
    rack->Clock().Advance(1000.0);
    EXPECT_NEAR(rack->SpecimenTemperature(), 100.0, 1e-6);
    EXPECT_EQ(Ask(*rack, Rack::kLn2Primary, 4), "1000");
}

TEST(Thermal, RampLimitAndOvershoot) {
    RackConfig config;
    config.ln2.thermal.rampKPerSecond = 1.0;
    ThermalStage ramped(config.ln2.thermal, 0.0);
    ramped.SetTarget(100.0, 0.0);
    EXPECT_NEAR(ramped.StageK(10.0), 283.0, 1e-6);
    config.ln2.thermal.rampKPerSecond = 0.0;
    config.ln2.thermal.overshoot = 0.5;
    ThermalStage bumpy(config.ln2.thermal, 0.0);
    bumpy.SetTarget(193.0, 0.0);
    double lowest = 1e9;
    for (double t = 1.0; t < 600.0; t += 1.0) lowest = std::min(lowest, bumpy.StageK(t));
    EXPECT_LT(lowest, 193.0 - 1.0);
    EXPECT_NEAR(bumpy.StageK(3000.0), 193.0, 1e-6);
}

}  // namespace
}  // namespace vantris::sim::test
