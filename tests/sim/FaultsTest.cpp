// Fault injection: each kind produces the bus error or the reply it names.
#include "RackTestSupport.h"

namespace vantris::sim::test {
namespace {

constexpr int kHall = Rack::kHallPrimary;

TEST(Faults, TimeoutAtTheNthReadOfASecondary) {
    auto rack =
        MakeRack(R"({"faults":[{"device":"hall","secondary":9,"after":2,"kind":"timeout"}]})");
    EXPECT_EQ(rack->Read(kHall, 9, 20, '\n').status, BusStatus::Ok);
    EXPECT_EQ(rack->Read(kHall, 13, 20, '\n').status, BusStatus::Ok);  // other secondary
    EXPECT_EQ(rack->Read(kHall, 9, 20, '\n').status, BusStatus::Ok);
    EXPECT_EQ(rack->Read(kHall, 9, 20, '\n').status, BusStatus::Timeout);
    EXPECT_EQ(rack->Read(kHall, 9, 20, '\n').status, BusStatus::Ok);  // once only
}

TEST(Faults, GarbageAndLongReplyAfterACommand) {
    auto rack = MakeRack(R"({"faults":[
        {"device":"hall","command":"G1","kind":"garbage"},
        {"device":"hall","command":"G2","kind":"long-reply"}]})");
    const std::string normal = Ask(*rack, kHall, 9);
    Hall(*rack, 9, "G1H128O0");
    const std::string garbage = Ask(*rack, kHall, 9);
    EXPECT_NE(garbage, normal);
    EXPECT_EQ(garbage.size(), normal.size());
    EXPECT_EQ(garbage.find('\n'), std::string::npos);
    Hall(*rack, 9, "G2");
    // A 20-byte read gets 20 bytes, no end; the rest waits for the next read.
    ReadResult r = rack->Read(kHall, 9, 20, '\n');
    EXPECT_EQ(r.status, BusStatus::Ok);
    EXPECT_EQ(r.data.size(), 20u);
    EXPECT_FALSE(r.end);
    std::size_t total = r.data.size();
    while (!r.end) {
        r = rack->Read(kHall, 9, 20, '\n');
        total += r.data.size();
    }
    EXPECT_EQ(total, Rack::kLongReply + 1);
    EXPECT_EQ(Ask(*rack, kHall, 9)[0], 'N');  // back to normal
}

TEST(Faults, NoServiceRequestAndMotionFault) {
    auto rack = MakeRack(R"({"faults":[
        {"device":"hall","command":"-F","kind":"no-srq"},
        {"device":"hall","command":"+F+R","kind":"motion-fault","status":103}]})");
    Hall(*rack, 12, "-F");
    rack->Clock().Advance(5);
    EXPECT_FALSE(rack->ServiceRequest());
    EXPECT_EQ(Ask(*rack, kHall, 7), std::to_string(0x10 | 0x20));  // it did move
    Hall(*rack, 12, "+F+R-F");
    rack->Clock().Advance(10);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 103);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0);
    EXPECT_EQ(std::atoi(Ask(*rack, kHall, 7).c_str()) & 0x18, 0);  // stage "Fault"
}

TEST(Faults, LidOpensForAWhile) {
    auto rack =
        MakeRack(R"({"faults":[{"device":"hall","kind":"lid-open","after":1,"seconds":5}]})");
    Hall(*rack, 12, "-F");
    rack->Clock().Advance(2);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x50);
    Hall(*rack, 12, "+F");  // the second motion opens the lid
    EXPECT_EQ(std::atoi(Ask(*rack, kHall, 7).c_str()) & 6, 6);
    rack->Clock().Advance(2);
    EXPECT_EQ(rack->SerialPoll(kHall, 6), 0x68);
    rack->Clock().Advance(4);
    EXPECT_EQ(std::atoi(Ask(*rack, kHall, 7).c_str()) & 6, 0);
}

TEST(Faults, SilenceStopsGpibAndSerialDevices) {
    auto rack = MakeRack(R"({"serial":{"COM1":"buffer","COM2":"hot"},"faults":[
        {"device":"ln2","kind":"silence","after":1},
        {"device":"hot","kind":"silence","seconds":10},
        {"device":"buffer","kind":"silence"}]})");
    EXPECT_EQ(Ask(*rack, Rack::kLn2Primary, 4), "2930");
    EXPECT_EQ(rack->Read(Rack::kLn2Primary, 4, 20, '\n').status, BusStatus::Timeout);
    EXPECT_EQ(rack->Command(Rack::kLn2Primary, 3, "1000"), BusStatus::NoListener);
    EXPECT_FALSE(rack->SerialPoll(Rack::kLn2Primary, 0).has_value());

    const int hot = rack->SerialOpen("COM2");
    const std::string frame =
        "\x02"
        "0100XRS,504W,1\x03\r\n";
    rack->SerialWrite(hot, frame.data(), static_cast<long>(frame.size()));
    char buffer[64];
    EXPECT_EQ(rack->SerialRead(hot, buffer, sizeof buffer), 0);
    rack->Clock().Advance(11);
    rack->SerialWrite(hot, frame.data(), static_cast<long>(frame.size()));
    EXPECT_GT(rack->SerialRead(hot, buffer, sizeof buffer), 0);

    const int amp = rack->SerialOpen("COM1");
    const unsigned char byte = 0x85;
    rack->SerialWrite(amp, &byte, 1);
    rack->SerialSetRts(amp, true);
    EXPECT_FALSE(rack->SerialCts(amp));
    EXPECT_EQ(rack->Buffer().From(), 0);
}

TEST(Faults, ProbabilityIsRepeatableWithTheSeed) {
    const char* json = R"({"seed":7,"faults":[
        {"device":"hall","secondary":13,"kind":"timeout","probability":0.3}]})";
    auto pattern = [&] {
        auto rack = MakeRack(json);
        std::string marks;
        for (int i = 0; i < 200; ++i) {
            marks += rack->Read(kHall, 13, 20, '\n').status == BusStatus::Ok ? '.' : 'x';
        }
        return marks;
    };
    const std::string first = pattern();
    EXPECT_EQ(first, pattern());
    const auto timeouts = std::count(first.begin(), first.end(), 'x');
    EXPECT_GT(timeouts, 30);
    EXPECT_LT(timeouts, 90);
}

}  // namespace
}  // namespace vantris::sim::test
