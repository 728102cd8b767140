// The reply parsers, the fine-gain rule and the status texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"

namespace {
using Kind = HallReading::Kind;

TEST(VoltageReading, StatusCharacterAndOverRange) {
    EXPECT_EQ(ParseVoltageReading("N+0.1234").kind, Kind::Value);
    EXPECT_DOUBLE_EQ(ParseVoltageReading("N+0.1234").value, 0.1234);
    EXPECT_DOUBLE_EQ(ParseVoltageReading("N -1.5E-03 \r").value, -1.5e-3);
    EXPECT_EQ(ParseVoltageReading("N+>").kind, Kind::OverRange);
    // The over-range test comes before the saturation test.
    EXPECT_EQ(ParseVoltageReading("S >").kind, Kind::OverRange);
    EXPECT_EQ(ParseVoltageReading("S+0.2").kind, Kind::Saturating);
    // ">" elsewhere is not over range (and in the second place it hides the number).
    EXPECT_EQ(ParseVoltageReading("N>0.5").kind, Kind::NoNumber);
    EXPECT_EQ(ParseVoltageReading("N+0.5>").kind, Kind::NoNumber);
}

TEST(VoltageReading, RepliesWithoutANumberAreNoReading) {
    // Nothing from the second character on is a number: never a 0 V reading.
    for (const char* reply : {"", "N", "N+", "N-", "N.", "N+.", "N-.e5", "Nabc", "N- 1", "N e3",
                              "Nnan", "Ninf", "N+Infinity", "NN+0.1", "~;4kq<Zp"}) {
        const HallReading r = ParseVoltageReading(reply);
        EXPECT_EQ(r.kind, Kind::NoNumber) << reply;
        EXPECT_EQ(r.value, 0.0) << reply;
    }
    // A real zero, with blanks and a sign; a number below a double is zero.
    for (const char* reply : {"N0", "N+0.000000E+00", "N-.0", "N 0.", "N  +0e7 ", "N1e-999"}) {
        const HallReading r = ParseVoltageReading(reply);
        EXPECT_EQ(r.kind, Kind::Value) << reply;
        EXPECT_EQ(r.value, 0.0) << reply;
    }
    EXPECT_DOUBLE_EQ(ParseVoltageReading("x7.5").value, 7.5);
    EXPECT_EQ(ParseVoltageReading("S").kind, Kind::Saturating);
    // A number beyond a double is over range.
    EXPECT_EQ(ParseVoltageReading("N1e999").kind, Kind::OverRange);
    EXPECT_EQ(ParseVoltageReading("N-1e999").kind, Kind::OverRange);
    EXPECT_EQ(ParseVoltageReading("N0.000001e-400").value, 0.0);
}

TEST(CurveAndCurrentReadings, WholeReplyIsTheNumber) {
    EXPECT_EQ(ParseCurveReading("+>").kind, Kind::OverRange);
    EXPECT_EQ(ParseCurveReading(">+").kind, Kind::NoNumber);
    EXPECT_EQ(ParseCurveReading("").kind, Kind::NoNumber);
    EXPECT_DOUBLE_EQ(ParseCurveReading("-1.25").value, -1.25);
    EXPECT_EQ(ParseCurveReading("-1.25").kind, Kind::Value);
    EXPECT_DOUBLE_EQ(ParseCurrentReading(" 99.7"), 99.7);
    EXPECT_DOUBLE_EQ(ParseCurrentReading("1.5e2uA"), 150.0);
    EXPECT_EQ(ParseCurrentReading(""), 0.0);
}

TEST(CurveAndCurrentReadings, CurrentReplyTellsNoNumberFromZero) {
    EXPECT_EQ(ParseCurrentReply(" 99.7").kind, Kind::Value);
    EXPECT_DOUBLE_EQ(ParseCurrentReply(" 99.7").value, 99.7);
    EXPECT_EQ(ParseCurrentReply("0").kind, Kind::Value);
    for (const char* reply : {"", " ", "uA", "+", ".", "-e2", "#&Q(b!x", "nan"})
        EXPECT_EQ(ParseCurrentReply(reply).kind, Kind::NoNumber) << reply;
    EXPECT_EQ(ParseCurrentReply("1e999").kind, Kind::OverRange);
    EXPECT_EQ(ParseCurrentReply("1e999").value, 0.0);
}

TEST(Decimal, Forms) {
    const std::pair<const char*, double> cases[] = {
        {" \t+12.5e1", 125.0}, {"-.5", -0.5}, {"5.", 5.0},
        {"1e", 1.0},           {"2e+", 2.0},  {"3E-2x", 0.03},
    };
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(ParseDecimal(text), value) << text;
    for (const char* text : {".", "+", "e5"}) EXPECT_EQ(ParseDecimal(text), 0.0) << text;
    bool overflow = false;
    EXPECT_EQ(ParseDecimal("123456789012345678901234567890e300", &overflow), 0.0);
    EXPECT_TRUE(overflow);
    EXPECT_EQ(ParseDecimal("0.0e99999999999999", &overflow), 0.0);
    EXPECT_FALSE(overflow);
}

TEST(Decimal, ScanTellsWhetherANumberWasThere) {
    struct Case {
        const char* text;
        bool found;
        double value;
    };
    const Case cases[] = {{"0", true, 0.0},     {".0", true, 0.0},    {"0.", true, 0.0},
                          {"-0e5", true, -0.0}, {" 12x", true, 12.0}, {"1e-999", true, 0.0},
                          {"", false, 0.0},     {".", false, 0.0},    {"-", false, 0.0},
                          {"+.e1", false, 0.0}, {"e5", false, 0.0},   {"x1", false, 0.0},
                          {"- 1", false, 0.0},  {"inf", false, 0.0}};
    for (const Case& c : cases) {
        const DecimalScan scan = ScanDecimal(c.text);
        EXPECT_EQ(scan.found, c.found) << c.text;
        EXPECT_EQ(scan.value, c.value) << c.text;
        EXPECT_FALSE(scan.overflow) << c.text;
    }
    const DecimalScan big = ScanDecimal("-9e400");
    EXPECT_TRUE(big.found);
    EXPECT_TRUE(big.overflow);
    EXPECT_EQ(big.value, 0.0);
}

TEST(Parsers, SurviveAnyBytes) {
    std::mt19937 random(4711);
    static const char kAlphabet[] = "0123456789+-.eE >SN\t\r\n\0xinfa";
    const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string reply(random() % 40, ' ');
        for (char& c : reply)
            c = (random() % 4) ? alphabet[random() % alphabet.size()]
                               : static_cast<char>(random() % 256);
        EXPECT_TRUE(std::isfinite(ParseVoltageReading(reply).value)) << reply;
        EXPECT_TRUE(std::isfinite(ParseCurveReading(reply).value)) << reply;
        EXPECT_TRUE(std::isfinite(ParseCurrentReading(reply))) << reply;
        // A reading is one whole number of a reply that was not cut, or none.
        const DecimalScan scan = ScanDecimal(reply);
        const HallReading current = ParseCurrentReply(reply);
        const bool whole = reply.size() < kReplyLimit && IsWholeNumber(reply);
        EXPECT_EQ(current.kind == Kind::NoNumber, !whole) << reply;
        EXPECT_EQ(current.kind == Kind::Value, whole && !scan.overflow) << reply;
    }
}

TEST(FineGain, RuleAndBounds) {
    EXPECT_EQ(FineGainNumber(1.0), 42);
    EXPECT_EQ(FineGainNumber(-3.0), 127);
    EXPECT_EQ(FineGainNumber(0.1), 8);
    EXPECT_EQ(FineGainNumber(0.0), 8);
    EXPECT_EQ(FineGainNumber(6.0), 254);
    // Beyond the instrument's range, and values no conversion to int survives.
    EXPECT_EQ(FineGainNumber(100.0), 255);
    EXPECT_EQ(FineGainNumber(1e300), 255);
    EXPECT_EQ(FineGainNumber(std::numeric_limits<double>::quiet_NaN()), 8);
    EXPECT_DOUBLE_EQ(GainScale(2, 128), 200.0);
    EXPECT_DOUBLE_EQ(GainScale(0, 175), 256.0 / 175.0);
}

TEST(StatusText, Table) {
    EXPECT_EQ(HallUnit::StatusText(0x50), "SRQ: Normal x10");
    EXPECT_EQ(HallUnit::StatusText(0x40), "SRQ: Normal x0");
    EXPECT_EQ(HallUnit::StatusText(0x60), "SRQ: Abnormal 0");
    EXPECT_EQ(HallUnit::StatusText(0x68), "SRQ: Lid Open");
    EXPECT_EQ(HallUnit::StatusText(0x6C), "SRQ: Abnormal xC");
    EXPECT_EQ(HallUnit::StatusText(0x7F), "SRQ: Abnormal x1F");
    EXPECT_EQ(HallUnit::StatusText(0x28), "SRQ: Lid Open");  // without the request bit
}

}  // namespace

namespace {
// A reply is a reading only when it is one number and nothing after it but
// white space; a reply that filled the read buffer was cut and is none.
TEST(ReplyForm, OneNumberAndNothingAfterIt) {
    using Kind = HallReading::Kind;
    const std::string cut(kReplyLimit - 1, '1');  // "N" + 18 digits fills the buffer
    struct Case {
        const char* what;
        std::string voltage;  // secondary 9, after the status character
        bool reading;
    };
    const Case cases[] = {
        {"the rack's form", "N+1.234567E-03", true},
        {"leading blanks and a sign", "N   -0.5", true},
        {"trailing white space", "N+1.5E+00 \t\r", true},
        {"no sign, no exponent", "S1", false},  // saturating, never a value
        {"plain digits", "N42", true},
        {"junk after the number", "N7$k;x", false},
        {"a unit after the number", "N+1.5 mV", false},
        {"a dangling exponent", "N1.5e", false},
        {"a second number", "N1.5 2.5", false},
        {"junk first", "N?7.5", false},
        {"one short of the buffer", "N" + cut.substr(1), true},
    };
    for (const Case& c : cases) {
        const HallReading voltage = ParseVoltageReading(c.voltage);
        const std::string whole =
            c.voltage.substr(1);  // the same text where the whole reply counts
        EXPECT_EQ(voltage.kind == Kind::Value, c.reading) << c.what;
        if (c.voltage[0] == 'S') continue;
        const bool wholeReading = c.reading && whole.size() < kReplyLimit;
        EXPECT_EQ(ParseCurveReading(whole).kind == Kind::Value, wholeReading) << c.what;
        EXPECT_EQ(ParseCurrentReply(whole).kind == Kind::Value, wholeReading) << c.what;
        // The status word takes the same form (its value must fit an int).
        if (whole.size() < 10) {
            EXPECT_EQ(ParseStatusWordReply(whole).has_value(), wholeReading) << c.what;
        }
    }
    // Over range keeps its forms.
    EXPECT_EQ(ParseVoltageReading("N+>").kind, Kind::OverRange);
    EXPECT_EQ(ParseCurveReading("+>").kind, Kind::OverRange);
    // A cut reply is none of the readings' forms, not even over range.
    EXPECT_EQ(ParseVoltageReading("N" + cut).kind, Kind::NoNumber);
    EXPECT_EQ(ParseCurveReading(cut + "1").kind, Kind::NoNumber);
    EXPECT_EQ(ParseVoltageReading("N+>" + cut).kind, Kind::NoNumber);
    EXPECT_EQ(ParseCurveReading("+>" + cut).kind, Kind::NoNumber);
    EXPECT_EQ(ParseCurrentReply(cut + "1").kind, Kind::NoNumber);
}

TEST(ReplyForm, StatusWordValue) {
    EXPECT_EQ(ParseStatusWordReply("58"), 58);
    EXPECT_EQ(ParseStatusWordReply(" +38\r"), 38);
    EXPECT_EQ(ParseStatusWordReply("-3"), -3);
    EXPECT_EQ(ParseStatusWordReply("38.9"), 38);
    for (const char* junk : {"", "abc", "12abc", "1,1", "-", "99999999999", "1e99"})
        EXPECT_FALSE(ParseStatusWordReply(junk).has_value()) << junk;
}
}  // namespace
