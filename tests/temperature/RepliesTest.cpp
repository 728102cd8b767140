#include <gtest/gtest.h>

#include <sstream>

#include "temperature/ControllerReplies.h"
#include "temperature/PidFile.h"

TEST(Ln2Replies, TenthsGetTheirDecimalPoint) {
    EXPECT_EQ(ReadTenths("2931")->text, "293.1");
    EXPECT_DOUBLE_EQ(ReadTenths("2931\n")->kelvin, 293.1);
    EXPECT_DOUBLE_EQ(ReadTenths("770")->kelvin, 77.0);
    EXPECT_EQ(ReadTenths("5")->text, ".5");
    EXPECT_DOUBLE_EQ(ReadTenths("5")->kelvin, 0.5);
    // A reply without a number is no reading, never 0 K.
    for (const char* bad : {"", "\n", "12a4", "E", "1.5", "--3", " "})
        EXPECT_FALSE(ReadTenths(bad).has_value()) << bad;
    // The reading text keeps its seven characters.
    EXPECT_EQ(ReadTenths("123456789")->text, "1234567");
}

TEST(Ln2Replies, HeaterAndVacuum) {
    EXPECT_EQ(ReadHeaterOutput("65535"), 65535);
    for (const char* bad : {"65536", "-1"}) EXPECT_FALSE(ReadHeaterOutput(bad).has_value()) << bad;
    EXPECT_DOUBLE_EQ(*ReadVacuum("1.000E-01\n"), 0.1);
    // "0": log10 of it means nothing.
    for (const char* bad : {"0", "inf", "1e"}) EXPECT_FALSE(ReadVacuum(bad).has_value()) << bad;
}

TEST(Ln2Replies, VacuumGaugeEnds) {
    // Beyond its ends the gauge shows the end: 0.001 mbar would be 120 %.
    const std::pair<double, int> cases[] = {{0.1, 80},    {1000.0, 0},  {1.0, 60},
                                            {0.001, 100}, {10000.0, 0}, {1e-300, 100}};
    for (const auto& [mbar, percent] : cases) EXPECT_EQ(VacuumPercent(mbar), percent) << mbar;
    EXPECT_EQ(VacuumPercentRaw(0.001), 120);
    EXPECT_EQ(VacuumPercentRaw(10000.0), -20);
    EXPECT_EQ(GaugePercent(100), 100);
    EXPECT_EQ(GaugePercent(101), 100);
}

TEST(ItcReplies, ReadingsFromTheThirdCharacter) {
    EXPECT_EQ(ReadItcTenths("R+2931"), 2931);
    EXPECT_EQ(ReadItcTenths("R+0042\r"), 42);
    EXPECT_EQ(ReadItcTenths("R-12"), -12);
    for (const char* bad : {"", "R", "R+", "R+12x", "?R2", "R+99999999999999"})
        EXPECT_FALSE(ReadItcTenths(bad).has_value()) << bad;
}

namespace {
// "digit computer-control,sample-sensor heater-auto,gas-auto,gas-initial code" of
// a status reply; "-" for no digit, 1 or 0 for the flags.
std::string StatusText(const std::string& reply) {
    const ItcStatus s = ReadItcStatus(reply);
    std::ostringstream out;
    out << (s.autoDigit ? *s.autoDigit : '-') << " " << s.computerControl << s.sampleSensor << " "
        << s.HeaterAuto() << s.GasAuto() << s.GasInitial() << " " << s.Code();
    return out.str();
}
}  // namespace

TEST(ItcReplies, StatusFieldsAndShortReplies) {
    // Missing characters are absent: no digit, no computer control, the
    // cryostat sensor; a digit beyond 7 is none.
    const std::pair<const char*, const char*> cases[] = {
        {"X0A3C1S0H2", "3 11 110 51"}, {"X0A4C1S0H1", "4 10 001 52"}, {"X0A1C1", "1 10 100 49"},
        {"X0", "- 00 000 0"},          {"X0A9C1S0H2", "- 11 000 0"},
    };
    for (const auto& [reply, text] : cases) EXPECT_EQ(StatusText(reply), text) << reply;
}

TEST(HotReplies, BufferEtxAndReading) {
    HotReply reply;
    const std::string frame =
        "\x02"
        "0100XRS,350.2\x03\r\n";
    bool open = true;
    for (char c : frame) open = reply.Add(c);
    EXPECT_FALSE(open);  // ended by the line feed
    EXPECT_EQ(reply.Text(),
              "\x02"
              "0100XRS,350.2");
    const auto reading = ReadHotTemperature(reply.Raw());
    ASSERT_TRUE(reading.has_value());
    EXPECT_EQ(reading->text, "350.2");
    EXPECT_DOUBLE_EQ(reading->kelvin, 350.2);

    // An over-long reply is cut at 35 characters; its reading at seven.
    HotReply longReply;
    const std::string big =
        "\x02"
        "0100XRS,123.45678901234567890123456789012345\n";
    for (char c : big) longReply.Add(c);
    EXPECT_EQ(longReply.Text().size(), HotReply::kCapacity);
    // Cut off before its ETX, it is no whole frame and no reading.
    EXPECT_FALSE(ReadHotTemperature(longReply.Raw()).has_value());
    EXPECT_EQ(ReadHotTemperature("\x02"
                                 "0100XRS,123.4567890\x03\r\n")
                  ->text,
              "123.456");

    EXPECT_FALSE(ReadHotTemperature("\x02"
                                    "0100XWS,")
                     .has_value());
    EXPECT_FALSE(ReadHotTemperature("\x02"
                                    "0100XRS,abc")
                     .has_value());
}

// Only a whole frame is a reading: STX, the header, a number, ETX, the line end.
TEST(HotReplies, FrameIsCheckedWhole) {
    auto read = [](const std::string& bytes) -> std::string {
        HotReply reply;
        for (char c : bytes)
            if (!reply.Add(c)) break;
        const auto reading = ReadHotTemperature(reply.Raw());
        return reading ? reading->text : "none";
    };
    const std::string stx = "\x02", etx = "\x03";
    const std::pair<std::string, std::string> cases[] = {
        {stx + "0100XRS,350.2" + etx + "\r\n", "350.2"},
        {stx + "0100XRS, 350.2 " + etx + "\r\n", "350.2"},
        {stx + "0100XRS,350.2" + etx, "350.2"},    // the line end lost to the time-out
        {"0100XRS,350.2" + etx + "\r\n", "none"},  // no STX: "50.2" by position
        {std::string(40, '9'), "none"},            // a stream of nines
        {stx + "0100XRS,3" + std::string(1, '\0') + "50.2" + etx + "\r\n", "none"},
        {stx + "0100XRS,350.2\r\n", "none"},  // no ETX
        {stx + "0100XRS,350.2" + etx + "junk\r\n", "none"},
        {stx + "0100XRS," + etx + "\r\n", "none"},
        {stx + "0100XNAK" + etx + "\r\n", "none"},
        {stx + "0100XWS,OK" + etx + "\r\n", "none"},
        {stx + "0100XRS,35o.2" + etx + "\r\n", "none"},
        {stx + "0100XRS,inf" + etx + "\r\n", "none"},
        {"\n" + stx + "0100XRS,350.2" + etx + "\r\n", "none"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(read(bytes), text) << ::testing::PrintToString(bytes);
}

TEST(PidFile, CommentsEntriesAndTheKeyWord) {
    const auto two = ParsePidFile(
        "RT4450\r\n; our cryostat\r\n150 30 40 40 1 10 0 tail\r\n"
        "77 25 50 50 1 10 0\r\n",
        "RT4450");
    ASSERT_TRUE(two.keywordMatches);
    ASSERT_EQ(two.entries.size(), 2u);
    EXPECT_EQ(two.entries[0].T, 150);
    EXPECT_EQ(two.entries[1].M2, 10);
    EXPECT_FALSE(two.stoppedAtBadLine);

    EXPECT_FALSE(ParsePidFile("ITC5\n2 1 1 1 1 1 1\n", "RT4450").keywordMatches);
    EXPECT_FALSE(ParsePidFile("RT4450X\n", "RT4450").keywordMatches);
    EXPECT_FALSE(ParsePidFile("", "ITC5").keywordMatches);

    // A short entry line ends the import; what came before stays.
    const auto bad = ParsePidFile("ITC5\n2 1 1 1 1 1 1\n5 1 2\n9 1 1 1 1 1 1\n", "ITC5");
    EXPECT_TRUE(bad.stoppedAtBadLine);
    ASSERT_EQ(bad.entries.size(), 1u);
    EXPECT_EQ(bad.entries[0].M3, 1);

    // Ten lines after the key word, comments counted, and no more.
    std::string many = "ITC5\n";
    for (int i = 0; i < 14; ++i) many += std::to_string(i + 1) + " 1 1 1 1 1 1\n";
    EXPECT_EQ(ParsePidFile(many, "ITC5").entries.size(), 10u);
    // Numbers beyond 32 bits are no numbers.
    EXPECT_TRUE(ParsePidFile("ITC5\n1 99999999999 1 1 1 1 1\n", "ITC5").stoppedAtBadLine);
}
