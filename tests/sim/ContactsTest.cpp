// Contacts as an IV curve sees them: two-terminal readings at secondary 12
// while the source steps its current, ohmic or through a rectifying barrier.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "RackTestSupport.h"

namespace vantris::sim::test {
namespace {

constexpr int kHall = Rack::kHallPrimary;
constexpr const char* kBarriers12 =
    R"({"specimen":{"contact_diode_saturation_A":[1e-7,1e-7,0,0,0,0,0,0],
                    "contact_diode_ideality":[1.5,1.5,1,1,1,1,1,1]}})";

// One step of a sweep: the current in uA, then the reading of secondary 12.
std::string Step(Rack& rack, double microamps) {
    char text[32];
    std::snprintf(text, sizeof text, "I%.1f", microamps);
    Hall(rack, 8, text);
    return Ask(rack, kHall, 12);
}

double Number(const std::string& reply) {
    return std::strtod(reply.c_str(), nullptr);
}

// Readings of an eleven-step sweep of pair 1-2 up to `top` uA.
std::vector<double> Sweep(Rack& rack, const char* direction, double top) {
    Hall(rack, 7, "S12M12");
    Hall(rack, 8, direction);
    std::vector<double> readings;
    for (int i = 0; i <= 10; ++i) readings.push_back(Number(Step(rack, i * top * 0.1)));
    return readings;
}

TEST(IvSweep, OhmicPairReadsAStraightLineThroughTheOrigin) {
    auto rack = MakeRack();
    Hall(*rack, 9, "G0H255O0");
    const auto up = Sweep(*rack, "DP", 100.0);
    const double perMicroamp =
        rack->TheSpecimen().SourceVoltage(Drive{1, 2, 1e-6}, rack->Truth().temperatureK, 0.0) *
        256.0 / 255.0;
    EXPECT_EQ(up[0], 0.0);
    for (int i = 1; i <= 10; ++i) EXPECT_NEAR(up[i], perMicroamp * i * 10.0, 1e-6) << i;
    const auto down = Sweep(*rack, "N", 100.0);
    for (int i = 0; i <= 10; ++i) EXPECT_NEAR(down[i], -up[i], 1e-6) << i;
}

TEST(IvSweep, BarriersAddTheirJunctionDropsAndBendTheCurve) {
    auto ohmic = MakeRack();
    auto barrier = MakeRack(kBarriers12);
    ASSERT_TRUE(ohmic && barrier);
    const double kelvin = barrier->Truth().temperatureK;
    for (double microamps : {1.0, 10.0, 100.0}) {
        const double amps = microamps * 1e-6;
        const double extra = barrier->TheSpecimen().SourceVoltage(Drive{1, 2, amps}, kelvin, 0) -
                             ohmic->TheSpecimen().SourceVoltage(Drive{1, 2, amps}, kelvin, 0);
        const double junction = 1.5 * Specimen::kBoltzmannEv * kelvin * std::asinh(amps / 2e-7);
        EXPECT_NEAR(extra, 2.0 * junction, 1e-12) << microamps;
    }
    Hall(*barrier, 9, "G0H255O0");
    const auto up = Sweep(*barrier, "DP", 100.0);
    const auto down = Sweep(*barrier, "N", 100.0);
    for (int i = 0; i <= 10; ++i) EXPECT_NEAR(down[i], -up[i], 1e-6) << i;
    // A tenth of the current gives far more than a tenth of the voltage.
    EXPECT_GT(up[1] / up[10], 0.25);
    for (int i = 1; i < 10; ++i) EXPECT_GT(up[i + 1], up[i]) << i;
}

TEST(IvSweep, BarriersLeaveFourTerminalReadingsAndOtherPairsAlone) {
    auto ohmic = MakeRack();
    auto barrier = MakeRack(kBarriers12);
    ASSERT_TRUE(ohmic && barrier);
    const double kelvin = ohmic->Truth().temperatureK;
    const Drive drive{1, 2, 1e-4};
    // The probes' potentials are taken against the sink's outer terminal, so
    // its drop cancels in the difference (to rounding).
    const double plain = ohmic->TheSpecimen().Potential(4, drive, kelvin, 0.5) -
                         ohmic->TheSpecimen().Potential(3, drive, kelvin, 0.5);
    EXPECT_NEAR(barrier->TheSpecimen().Potential(4, drive, kelvin, 0.5) -
                    barrier->TheSpecimen().Potential(3, drive, kelvin, 0.5),
                plain, std::fabs(plain) * 1e-9);
    const Drive other{3, 4, 1e-4};
    EXPECT_EQ(barrier->TheSpecimen().SourceVoltage(other, kelvin, 0),
              ohmic->TheSpecimen().SourceVoltage(other, kelvin, 0));
    EXPECT_EQ(barrier->TheSpecimen().JunctionVoltage(1, 0.0, kelvin), 0.0);
    EXPECT_EQ(barrier->TheSpecimen().JunctionVoltage(9, 1e-4, kelvin), 0.0);
}

}  // namespace
}  // namespace vantris::sim::test
