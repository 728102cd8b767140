// The temperature controllers and the serial devices, byte for byte.
#include <cmath>
#include <cstring>

#include "RackTestSupport.h"

namespace vantris::sim::test {
namespace {

constexpr int kLn2 = Rack::kLn2Primary;
constexpr int kItc = Rack::kItc5Primary;

std::string ItcAsk(Rack& rack, const std::string& command) {
    EXPECT_EQ(rack.Write(kItc, -1, command + "\r", false), BusStatus::Ok);
    const ReadResult r = rack.Read(kItc, -1, 40, '\r');
    EXPECT_EQ(r.status, BusStatus::Ok);
    return r.data;
}

TEST(Ln2Controller, EverySecondaryOfItsTable) {
    auto rack = MakeRack(R"({"ln2":{"tau_seconds":20,"initial_mbar":1000,"pump_tau_seconds":10}})");
    EXPECT_EQ(Ask(*rack, kLn2, 3), "2930");
    EXPECT_EQ(Ask(*rack, kLn2, 4), "2930");
    EXPECT_EQ(rack->SerialPoll(kLn2, 0), 0x80);  // automatic control at power-up
    rack->Command(kLn2, 2, "25");
    rack->Command(kLn2, 12, "50");
    rack->Command(kLn2, 13, "50");
    rack->Command(kLn2, 3, "2000");
    EXPECT_EQ(Ask(*rack, kLn2, 3), "2000");
    rack->Clock().Advance(400.0);
    EXPECT_EQ(Ask(*rack, kLn2, 4), "2000");
    // The heater output holds the set-point: (200 - 77) / (550 - 77) of full.
    EXPECT_EQ(Ask(*rack, kLn2, 6), std::to_string(static_cast<int>(123.0 / 473.0 * 65535.0)));
    rack->Command(kLn2, 5, "U");
    EXPECT_EQ(rack->SerialPoll(kLn2, 0), 0x00);
    rack->Command(kLn2, 6, "0");
    EXPECT_EQ(Ask(*rack, kLn2, 6), "0");
    rack->Clock().Advance(400.0);
    EXPECT_EQ(Ask(*rack, kLn2, 4), "770");  // no heat: liquid nitrogen temperature
    rack->Command(kLn2, 5, "C");
    EXPECT_EQ(rack->SerialPoll(kLn2, 0), 0x80);
}

TEST(Ln2Controller, VacuumFallsWithThePumpModes) {
    auto rack = MakeRack(R"({"ln2":{"pump_tau_seconds":10}})");
    EXPECT_EQ(Ask(*rack, kLn2, 10), "1.000E+03");
    rack->Command(kLn2, 5, "S");
    rack->Clock().Advance(30.0);  // slow: towards 1e-2 with 30 s
    const double slow = std::atof(Ask(*rack, kLn2, 10).c_str());
    EXPECT_NEAR(std::log10(slow), -2.0 + 5.0 * std::exp(-1.0), 1e-3);
    rack->Command(kLn2, 10, "1");  // pump automatic: the fast pump's end pressure
    rack->Clock().Advance(300.0);
    EXPECT_NEAR(std::log10(std::atof(Ask(*rack, kLn2, 10).c_str())), -4.0, 1e-3);
    rack->Command(kLn2, 10, "0");
    rack->Command(kLn2, 5, "O");
    rack->Clock().Advance(100.0);
    EXPECT_GT(std::atof(Ask(*rack, kLn2, 10).c_str()), 1e-4);
}

TEST(Itc5Controller, CommandsRepliesAndStatus) {
    auto rack =
        MakeRack(R"({"itc5":{"sample_offset_K":2,"tau_seconds":5,"sample_tau_seconds":1}})");
    EXPECT_EQ(ItcAsk(*rack, "V"), "ITC5 Version 1.00\r");
    EXPECT_EQ(ItcAsk(*rack, "X"), "X0A0C0S0H1\r");
    ASSERT_EQ(rack->Write(kItc, -1, "$C1\r$A3\r", false), BusStatus::Ok);
    EXPECT_EQ(ItcAsk(*rack, "X"), "X0A3C1S0H1\r");
    rack->Write(kItc, -1, "$T80.0\r", false);
    rack->Write(kItc, -1, "$P15\r$I10\r$D0\r", false);
    EXPECT_EQ(ItcAsk(*rack, "R0"), "R+800\r");
    rack->Clock().Advance(100.0);
    EXPECT_EQ(ItcAsk(*rack, "R1"), "R+800\r");
    EXPECT_EQ(ItcAsk(*rack, "R2"), "R+820\r");  // the sample sits 2 K above
    // Regulating on the sample sensor brings the sample to the set-point.
    rack->Write(kItc, -1, "$H2\r", false);
    rack->Clock().Advance(100.0);
    EXPECT_EQ(ItcAsk(*rack, "X"), "X0A3C1S0H2\r");
    EXPECT_EQ(ItcAsk(*rack, "R2"), "R+800\r");
    EXPECT_EQ(ItcAsk(*rack, "R7"), "R+250\r");
    rack->Write(kItc, -1, "$A0\r$O999\r$G550\r", false);
    EXPECT_EQ(ItcAsk(*rack, "R5"), "R+999\r");
    EXPECT_EQ(ItcAsk(*rack, "R7"), "R+550\r");
    EXPECT_EQ(ItcAsk(*rack, "T1.5"), "T\r");  // without "$" a command is echoed
    EXPECT_EQ(ItcAsk(*rack, "Q"), "?Q\r");
    EXPECT_EQ(ItcAsk(*rack, "?"), "??\r");
}

TEST(Itc5Controller, EmptyReadsGiveTheFillByte) {
    auto rack = MakeRack();
    ReadResult r = rack->Read(kItc, -1, 1, 0x100);
    ASSERT_EQ(r.status, BusStatus::Ok);
    EXPECT_EQ(r.data, std::string(1, '\0'));
    // Byte by byte: the reply, then the fill byte again.
    rack->Write(kItc, -1, "R0\r", false);
    std::string text;
    for (int i = 0; i < 10; ++i) {
        r = rack->Read(kItc, -1, 1, -1);
        text += r.data;
        if (r.data == "\r") break;
    }
    EXPECT_EQ(text, "R+2930\r");
    EXPECT_EQ(rack->Read(kItc, -1, 1, -1).data, std::string(1, '\0'));
}

TEST(HotStage, MessagesAndReadReply) {
    auto rack = MakeRack(R"({"hot":{"tau_seconds":10,"sample_tau_seconds":1}})");
    const int port = rack->SerialOpen("COM2");
    ASSERT_GE(port, 0);
    auto send = [&](const std::string& text) {
        const std::string frame = "\x02" + text + "\x03\r\n";
        EXPECT_EQ(rack->SerialWrite(port, frame.data(), static_cast<long>(frame.size())),
                  static_cast<long>(frame.size()));
        char buffer[64] = {};
        const long n = rack->SerialRead(port, buffer, sizeof buffer);
        return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    };
    EXPECT_EQ(send("0100XRS,504W,1"),
              "\x02"
              "0100XRS,293.0\x03\r\n");
    EXPECT_EQ(send("0100XWS,1002W,373"),
              "\x02"
              "0100XWS,OK\x03\r\n");
    EXPECT_EQ(send("0100XWS,508W,18"),
              "\x02"
              "0100XWS,OK\x03\r\n");
    rack->Clock().Advance(300.0);
    const std::string reply = send("0100XRS,504W,1");
    EXPECT_EQ(reply.substr(9), "373.0\x03\r\n");
    EXPECT_NEAR(rack->SpecimenTemperature(), 373.0, 1e-6);
    EXPECT_EQ(send("0100XWS,508W,17"),
              "\x02"
              "0100XWS,OK\x03\r\n");
    EXPECT_EQ(send("nonsense"),
              "\x02"
              "0100XNAK\x03\r\n");
    char none[4];
    EXPECT_EQ(rack->SerialRead(port, none, sizeof none), 0);
    EXPECT_EQ(rack->SerialOpen("COM9"), -1);
}

TEST(BufferAmplifier, RtsLoopsToCtsAndBytesSetRangeAndPair) {
    auto rack = MakeRack(R"({"serial":{"COM1":"buffer","COM2":"hot"}})");
    const int port = rack->SerialOpen("COM1");
    ASSERT_GE(port, 0);
    rack->SerialSetRts(port, false);
    EXPECT_FALSE(rack->SerialCts(port));
    rack->SerialSetRts(port, true);
    EXPECT_TRUE(rack->SerialCts(port));
    const unsigned char bytes[] = {0x80, 0x00, 0x28, 0xA8};
    EXPECT_EQ(rack->SerialWrite(port, bytes, 4), 4);
    EXPECT_EQ(rack->Buffer().Multiplier(), 2e5);
    EXPECT_EQ(rack->Buffer().From(), 2);
    EXPECT_EQ(rack->Buffer().To(), 4);
    const struct {
        unsigned char byte;
        int from, to;
    } pairs[] = {{0x85, 1, 2}, {0x94, 3, 2}, {0xB0, 3, 4}, {0xA1, 1, 4}, {0x92, 3, 1}};
    for (const auto& p : pairs) {
        rack->SerialWrite(port, &p.byte, 1);
        EXPECT_EQ(rack->Buffer().From(), p.from) << int(p.byte);
        EXPECT_EQ(rack->Buffer().To(), p.to) << int(p.byte);
    }
    const unsigned char zero[] = {0x83, 0x40};
    rack->SerialWrite(port, zero, 2);
    EXPECT_TRUE(rack->Buffer().ZeroReference());
    EXPECT_EQ(rack->Buffer().From(), 0);
    EXPECT_EQ(rack->Buffer().Multiplier(), 1.0);
    rack->SerialClose(port);
    EXPECT_EQ(rack->SerialWrite(port, zero, 1), -1);
}

}  // namespace
}  // namespace vantris::sim::test
