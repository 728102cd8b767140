// Protocol of the Hall electronics: replies byte for byte, the reading
// formats with over range and saturation, the status word, service requests.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "RackTestSupport.h"

namespace vantris::sim::test {
namespace {

constexpr int kHall = Rack::kHallPrimary;

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Symmetric disc, 100 uA from 1 to 2, voltmeter on 4-3: Rs ln2 / pi x I.
double SymmetricVoltage(Rack& rack) {
    return rack.Truth().sheetResistance * std::numbers::ln2 / std::numbers::pi * 100e-6;
}

TEST(HallReadings, FormatsAtNineAndTwelveCarryTheScaledReading) {
    auto rack = MakeRack();
    Hall(*rack, 8, "DP");
    Hall(*rack, 8, "DI100.0");
    Hall(*rack, 7, "S12M43");
    Hall(*rack, 9, "G1H128O0");
    const double reading = 10.0 * 2.0 * SymmetricVoltage(*rack);
    EXPECT_EQ(Ask(*rack, kHall, 9), Formatted("N%+.6E", reading));
    EXPECT_EQ(Ask(*rack, kHall, 12), Formatted("%+.6E", reading));
    Hall(*rack, 8, "N");
    EXPECT_EQ(Ask(*rack, kHall, 12), Formatted("%+.6E", -reading));
    EXPECT_EQ(Ask(*rack, kHall, 13), "100");
}

TEST(HallReadings, OffsetNullsTheMisalignmentForBothPolarities) {
    // Reading = 10^g 256/h (V - s 0.03333 n / 10^g): with P the offset is
    // subtracted, with N added.
    auto rack = MakeRack();
    Hall(*rack, 8, "DPI100.0");
    Hall(*rack, 7, "S12M43");
    const double v = SymmetricVoltage(*rack);
    Hall(*rack, 9, "G2H255O-36");
    const double scale = 100.0 * 256.0 / 255.0;
    EXPECT_NEAR(std::atof(Ask(*rack, kHall, 12).c_str()), scale * (v + 0.03333 * 36 / 100.0), 1e-6);
    Hall(*rack, 8, "N");
    EXPECT_NEAR(std::atof(Ask(*rack, kHall, 12).c_str()), scale * (-v - 0.03333 * 36 / 100.0),
                1e-6);
    // A command without H or O leaves them as they were.
    Hall(*rack, 9, "G1");
    EXPECT_NEAR(std::atof(Ask(*rack, kHall, 12).c_str()),
                10.0 * 256.0 / 255.0 * (-v + 0.03333 * -36 / 10.0), 1e-6);
}

TEST(HallReadings, OverRangeAtFullScaleInBothFormats) {
    auto rack = MakeRack();
    Hall(*rack, 8, "DPI100.0");
    Hall(*rack, 7, "S12M43");
    Hall(*rack, 9, "G3H8O0");  // 3.4 mV x 32000 is far beyond 6
    EXPECT_EQ(Ask(*rack, kHall, 9), "N+>");
    EXPECT_EQ(Ask(*rack, kHall, 12), "+>");
    Hall(*rack, 8, "N");
    EXPECT_EQ(Ask(*rack, kHall, 9), "N->");
    Hall(*rack, 9, "G0H255");
    EXPECT_EQ(Ask(*rack, kHall, 9)[2] == '>', false);
}

TEST(HallReadings, SaturationWhenTheContactsNeedMoreThanTheCompliance) {
    auto rack =
        MakeRack(R"({"specimen":{"contact_resistance_ohm":[2e5,100,100,100,100,100,0,0]}})");
    Hall(*rack, 8, "DPI10.0");
    Hall(*rack, 7, "S12M43");
    Hall(*rack, 9, "G0H255O0");
    EXPECT_EQ(Ask(*rack, kHall, 9)[0], 'N');  // 2 V: within the 10 V compliance
    Hall(*rack, 8, "I100.0");                 // 20 V: saturating
    const std::string reply = Ask(*rack, kHall, 9);
    EXPECT_EQ(reply[0], 'S');
    // The source delivers only what the compliance allows.
    const double full = 256.0 / 255.0 * SymmetricVoltage(*rack);
    EXPECT_LT(std::atof(reply.c_str() + 1), full * 0.6);
    // Over range is told in the third character even while saturating.
    Hall(*rack, 9, "G3H8");
    EXPECT_EQ(Ask(*rack, kHall, 9).substr(0, 3), "S+>");
}

TEST(HallReadings, OpenSourceSaturatesAndContactsSevenEightReadZero) {
    auto rack = MakeRack();
    Hall(*rack, 8, "DPI100.0");
    Hall(*rack, 9, "G3H255O0");
    Hall(*rack, 7, "S56M43");  // a disc has no contacts 5 and 6
    EXPECT_EQ(Ask(*rack, kHall, 9), "S+0.000000E+00");
    Hall(*rack, 7, "S12M77");
    EXPECT_EQ(Ask(*rack, kHall, 9), "N+0.000000E+00");
    Hall(*rack, 7, "S0M77");
    EXPECT_EQ(Ask(*rack, kHall, 9), "N+0.000000E+00");
}

TEST(HallReadings, TwoTerminalReadingIsContactPlusSpreadingResistance) {
    auto rack = MakeRack();
    Hall(*rack, 8, "DPI100.0");
    Hall(*rack, 7, "S12M12");
    Hall(*rack, 9, "G0H255O0");
    const double rs = rack->Truth().sheetResistance;
    const double radius = 0.05 / 5.0;
    const double spreading = rs / std::numbers::pi * std::log(2.0 / (radius * radius));
    const double expected = 256.0 / 255.0 * 100e-6 * (200.0 + spreading);
    EXPECT_NEAR(std::atof(Ask(*rack, kHall, 9).c_str() + 1), expected, expected * 1e-6);
}

TEST(HallCommands, UnknownOrOutOfRangeCommandsRaiseAbnormalStatus) {
    auto rack = MakeRack();
    EXPECT_FALSE(rack->ServiceRequest());
    Hall(*rack, 7, "S1");
    EXPECT_TRUE(rack->ServiceRequest());
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x63);
    Hall(*rack, 9, "H300");
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x64);
    Hall(*rack, 8, "I30000");
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x64);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0);
    EXPECT_FALSE(rack->ServiceRequest());
    // Reads at secondaries with nothing to say time out.
    EXPECT_EQ(rack->Read(kHall, 10, 20, '\n').status, BusStatus::Timeout);
}

TEST(HallIdentity, IdentificationAndBlaster) {
    auto rack = MakeRack();
    EXPECT_EQ(Ask(*rack, kHall, 6), "R44/1.1");
    Hall(*rack, 4, "F");
    EXPECT_EQ(Ask(*rack, kHall, 5), "0.100,0.100");
    Hall(*rack, 5, "I3P1N1");  // two pulses at 76 % each
    EXPECT_EQ(Ask(*rack, kHall, 5), "0.058,0.058");
    Hall(*rack, 4, "R");
    EXPECT_EQ(Ask(*rack, kHall, 5), "0.100,0.100");
    Hall(*rack, 4, "H");
    EXPECT_EQ(Ask(*rack, kHall, 5), "0.000,0.000");
    auto other = MakeRack(R"({"electronics":{"identification":"R44/1.0"}})");
    EXPECT_EQ(Ask(*other, kHall, 6), "R44/1.0");
}

TEST(HallMotion, ServiceRequestWhenTheLastMoveEnds) {
    auto rack = MakeRack();
    EXPECT_EQ(Ask(*rack, kHall, 7), "40");  // stage out (Forward), magnet OK, E/W
    Hall(*rack, 12, "+F+R-F");              // out already: 0 s, then 1.5 s + 1.5 s
    rack->Clock().Advance(1.0);
    EXPECT_EQ(Ask(*rack, kHall, 7), std::to_string(0x08));  // magnet moving: OK clear
    rack->Clock().Advance(1.0);
    EXPECT_EQ(Ask(*rack, kHall, 7), std::to_string(0x18 | 0x20 | 0x04));  // Between, N/S
    EXPECT_FALSE(rack->ServiceRequest());
    rack->Clock().Advance(0.99);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0);
    rack->Clock().Advance(0.02);
    EXPECT_TRUE(rack->ServiceRequest());
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0);
    EXPECT_EQ(Ask(*rack, kHall, 7), std::to_string(0x10 | 0x20 | 0x04));  // Back, OK, N/S
    EXPECT_DOUBLE_EQ(rack->Hall().Field(rack->Now()), -0.5);
}

TEST(HallMotion, QueuedCommandsRunInTurnWithOneRequestEach) {
    auto rack = MakeRack();
    Hall(*rack, 12, "-F");
    Hall(*rack, 12, "+F");  // arrives during the first: runs after it
    rack->Clock().Advance(1.6);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    EXPECT_DOUBLE_EQ(rack->Hall().Field(rack->Now()), 0.0);  // already moving out
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0);
    rack->Clock().Advance(1.5);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    EXPECT_EQ(Ask(*rack, kHall, 7), "40");
}

TEST(HallMotion, InitialiseLeavesStageOutAndMagnetForPositiveField) {
    auto rack = MakeRack();
    Hall(*rack, 12, "-F");
    rack->Clock().Advance(2);
    Hall(*rack, 12, "+F+R");
    rack->Clock().Advance(4);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    Hall(*rack, 25, "I");
    rack->Clock().Advance(2.9);
    EXPECT_FALSE(rack->ServiceRequest());
    rack->Clock().Advance(0.2);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    EXPECT_EQ(Ask(*rack, kHall, 7), "40");
    Hall(*rack, 12, "-F");
    rack->Clock().Advance(2);
    EXPECT_DOUBLE_EQ(rack->Hall().Field(rack->Now()), 0.5);
}

TEST(HallMotion, MagnetMoveWithTheStageInIsAnInterlockViolation) {
    auto rack = MakeRack();
    Hall(*rack, 12, "-F");
    rack->Clock().Advance(2);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    Hall(*rack, 12, "+R");
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x65);
    EXPECT_EQ(Ask(*rack, kHall, 7), std::to_string(0x10 | 0x20));
    Hall(*rack, 12, "+X");
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x63);
}

TEST(HallMotion, LidOpenShowsInTheStatusWordAndTheCompletionByte) {
    auto rack = MakeRack(R"({"electronics":{"lid_open":true}})");
    EXPECT_EQ(std::atoi(Ask(*rack, kHall, 7).c_str()) & 6, 6);
    Hall(*rack, 12, "-F");
    rack->Clock().Advance(2);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x68);
}

}  // namespace
}  // namespace vantris::sim::test
