#include <gtest/gtest.h>

#include "ControllerReplies.h"
#include "PidFile.h"

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
    EXPECT_FALSE(ReadHeaterOutput("65536").has_value());
    EXPECT_FALSE(ReadHeaterOutput("-1").has_value());
    EXPECT_DOUBLE_EQ(*ReadVacuum("1.000E-01\n"), 0.1);
    EXPECT_FALSE(ReadVacuum("0").has_value());  // log10 of it means nothing
    EXPECT_FALSE(ReadVacuum("inf").has_value());
    EXPECT_FALSE(ReadVacuum("1e").has_value());
}

TEST(Ln2Replies, VacuumGaugeEnds) {
    EXPECT_EQ(VacuumPercent(0.1), 80);
    EXPECT_EQ(VacuumPercent(1000.0), 0);
    EXPECT_EQ(VacuumPercent(1.0), 60);
    // Beyond its ends the gauge shows the end: 0.001 mbar would be 120 %.
    EXPECT_EQ(VacuumPercentRaw(0.001), 120);
    EXPECT_EQ(VacuumPercent(0.001), 100);
    EXPECT_EQ(VacuumPercentRaw(10000.0), -20);
    EXPECT_EQ(VacuumPercent(10000.0), 0);
    EXPECT_EQ(VacuumPercent(1e-300), 100);
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

TEST(ItcReplies, StatusFieldsAndShortReplies) {
    const ItcStatus full = ReadItcStatus("X0A3C1S0H2");
    EXPECT_EQ(full.autoDigit, '3');
    EXPECT_TRUE(full.computerControl);
    EXPECT_TRUE(full.sampleSensor);
    EXPECT_TRUE(full.HeaterAuto());
    EXPECT_TRUE(full.GasAuto());
    EXPECT_FALSE(full.GasInitial());
    EXPECT_TRUE(ReadItcStatus("X0A4C1S0H1").GasInitial());
    // Missing characters are absent: no digit, no computer control, the
    // cryostat sensor.
    const ItcStatus shortOne = ReadItcStatus("X0A1C1");
    EXPECT_EQ(shortOne.autoDigit, '1');
    EXPECT_TRUE(shortOne.computerControl);
    EXPECT_FALSE(shortOne.sampleSensor);
    const ItcStatus tiny = ReadItcStatus("X0");
    EXPECT_FALSE(tiny.autoDigit.has_value());
    EXPECT_FALSE(tiny.computerControl);
    EXPECT_EQ(tiny.Code(), 0);
    EXPECT_FALSE(ReadItcStatus("X0A9C1S0H2").autoDigit.has_value());
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
    const auto reading = ReadHotTemperature(reply.Text());
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
    EXPECT_EQ(ReadHotTemperature(longReply.Text())->text, "123.456");

    EXPECT_FALSE(ReadHotTemperature("\x02"
                                    "0100XWS,")
                     .has_value());
    EXPECT_FALSE(ReadHotTemperature("\x02"
                                    "0100XRS,abc")
                     .has_value());
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
