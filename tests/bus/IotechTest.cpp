// The Personal488 back-end against a recording stand-in of the driver's calls
// (defined here; they take the place of the linked library's).
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "bus/iotech/IotGpibBus.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "TestRecords.h"

namespace {
struct Driver {
    std::string log;
    std::map<std::string, DevHandleT> handles{{"IEEE0", 1}, {"Hall", 2}, {"ITC502", 3}};
    std::deque<long> results;         // next results of OutputX/EnterX/SPoll/...; default 0
    std::deque<std::string> replies;  // EnterX data
    void Add(const std::string& line) { log += line + "\n"; }
    long Result(long normal) {
        if (results.empty()) return normal;
        const long r = results.front();
        results.pop_front();
        return r;
    }
};
Driver& D() {
    static Driver driver;
    return driver;
}
std::string N(long v) {
    return std::to_string(v);
}
}  // namespace

extern "C" {
DevHandleT OpenName(const char* name) {
    D().Add(std::string("OpenName ") + name);
    auto it = D().handles.find(name);
    return it == D().handles.end() ? -1 : it->second;
}
long BusAddress(DevHandleT dev, long primary, long secondary) {
    D().Add("BusAddress " + N(dev) + " " + N(primary) + " " + N(secondary));
    return 0;
}
long OutputX(DevHandleT dev, const char* data, unsigned long count, long last, long forceAddr,
             TermT* terminator, long async, void* completion) {
    D().Add("OutputX " + N(dev) + " '" + std::string(data, count) + "' " + N(last) + " " +
            N(forceAddr) + (terminator ? " term" : "") + " " + N(async) +
            (completion ? " completion" : ""));
    return D().Result(static_cast<long>(count));
}
long EnterX(DevHandleT dev, char* data, unsigned long count, long forceAddr, TermT* terminator,
            long async, void* completion) {
    D().Add("EnterX " + N(dev) + " " + N(static_cast<long>(count)) + " " + N(forceAddr) +
            (terminator ? " term" : "") + " " + N(async) + (completion ? " completion" : ""));
    std::string reply;
    if (!D().replies.empty()) {
        reply = D().replies.front();
        D().replies.pop_front();
    }
    const std::size_t n = std::min<std::size_t>(reply.size(), count);
    std::memcpy(data, reply.data(), n);
    return D().Result(static_cast<long>(n));
}
long GetError(DevHandleT dev, char* message) {
    D().Add("GetError " + N(dev));
    std::strcpy(message, "Timeout on device Hall");
    return 0;
}
// The calls that take only a handle: recorded, answered from the script.
#define RECORDED_CALL(name, normal)  \
    long name(DevHandleT dev) {      \
        D().Add(#name " " + N(dev)); \
        return D().Result(normal);   \
    }
RECORDED_CALL(SPoll, 0)
RECORDED_CALL(Clear, 0)
RECORDED_CALL(Local, 0)
RECORDED_CALL(Remote, 0)
RECORDED_CALL(Lol, 0)
RECORDED_CALL(Abort, 0)
RECORDED_CALL(ControlLine, 0x1A)
#undef RECORDED_CALL
}

namespace {

class IotBus : public ::testing::Test {
  protected:
    void SetUp() override {
        Config() = RunConfig();
        D() = Driver();
        Prompt::SetResponder(&responder);
    }
    void TearDown() override { Prompt::SetResponder(nullptr); }
    // Opens and forgets the open's traffic.
    void Opened() {
        ASSERT_FALSE(bus.Open());
        D().log.clear();
    }
    Prompt::ScriptedResponder responder;
    IotGpibBus bus{Config()};
};

TEST_F(IotBus, OpenClearsAPendingRequest) {
    D().results = {0x41};
    EXPECT_FALSE(bus.Open());
    EXPECT_EQ(D().log, "OpenName IEEE0\nOpenName Hall\nBusAddress 2 3 6\nSPoll 2\n");
    EXPECT_EQ(bus.status, 0x41);
    EXPECT_TRUE(responder.Asked().empty());
}

TEST_F(IotBus, OpenFailsWithItsMessageWhenADeviceIsMissing) {
    Config().controllerKind = ControllerKind::ITC5;
    D().handles.erase("ITC502");
    EXPECT_TRUE(bus.Open());
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].caption, "System Error");
    EXPECT_EQ(responder.Asked()[0].text, "Failed to open GPIB device");
    EXPECT_EQ(responder.Asked()[0].buttons, Prompt::Buttons::Ok);
    // Without the ITC5 the device is not needed.
    Config().controllerKind = ControllerKind::LN2;
    EXPECT_FALSE(bus.Open());
}

TEST_F(IotBus, WriteAndReadReaddressTheHallHandle) {
    Opened();
    D().replies = {"N+0.5512"};
    bus.Write(3, 9, "G2");
    EXPECT_EQ(bus.Read(3, 9), "N+0.5512");
    EXPECT_EQ(D().log,
              "BusAddress 2 3 9\nOutputX 2 'G2' 1 1 0\nBusAddress 2 3 9\nEnterX 2 19 1 0\n");
    EXPECT_EQ(bus.status, 8);
}

TEST_F(IotBus, RepliesThatFillTheBufferAreCutUntilTheNextWrite) {
    using Part = GpibBus::ReplyPart;
    Opened();
    D().replies = {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "XYZ", "N+0.5512", "ABCDEFGHIJKLMNOPQRSTU", "7"};
    EXPECT_EQ(bus.Read(3, 12), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(bus.LastReplyPart(), Part::Cut);
    bus.Read(3, 12);
    EXPECT_EQ(bus.LastReplyPart(), Part::Rest);
    bus.Read(3, 9);
    EXPECT_EQ(bus.LastReplyPart(), Part::Whole);
    bus.Read(3, 12);
    EXPECT_EQ(bus.LastReplyPart(), Part::Cut);
    bus.Write(3, 7, "S0M77");
    bus.Read(3, 7);
    EXPECT_EQ(bus.LastReplyPart(), Part::Whole);
}

TEST_F(IotBus, FailuresRaiseGpib) {
    Opened();
    D().results = {-1};
    try {
        bus.Write(3, 8, "DP");
        FAIL() << "no exception";
    } catch (const xgpib& e) {
        EXPECT_STREQ(e.what(), "GPIB");
    }
    D().results = {-1};
    EXPECT_THROW(bus.Read(3, 13), xgpib);
    EXPECT_EQ(bus.ErrorText(), "Timeout on device Hall");
}

TEST_F(IotBus, SerialPollOnlyWithARequestOnTheBus) {
    Opened();
    D().results = {0};
    EXPECT_EQ(bus.SerialPoll(3, 6), 0);
    EXPECT_EQ(D().log, "SPoll 1\n");
    // Any byte counts while SRQ is asserted, with or without bit 0x40.
    D().results = {1, 0x08};
    EXPECT_EQ(bus.PollHall(), 0x08);
    EXPECT_EQ(D().log, "SPoll 1\nSPoll 1\nBusAddress 2 3 6\nSPoll 2\n");
}

TEST_F(IotBus, ItcPaths) {
    Config().controllerKind = ControllerKind::ITC5;
    Opened();
    D().replies = {"R+0077.3"};
    bus.ItcWrite("T1");
    EXPECT_EQ(bus.ItcRead(), "R+0077.3");
    EXPECT_EQ(D().log, "OutputX 3 'T1' 1 1 0\nEnterX 3 40 1 0\n");

    Config().bytewiseItc = true;
    D().log.clear();
    D().replies = {"x", std::string(1, '\0'), std::string(1, '\0'), "R", "7", "\r"};
    bus.ItcWrite("R1");
    EXPECT_EQ(bus.ItcRead(), "R7");
    EXPECT_EQ(D().log.rfind("EnterX 3 1 1 0\nEnterX 3 1 1 0\nOutputX 3 'R1'", 0), 0u) << D().log;
}

TEST_F(IotBus, InterfaceCommandsUseTheHallAddressAndTheItcHandle) {
    Config().controllerKind = ControllerKind::ITC5;
    Opened();
    D().results = {0x50};
    auto result = bus.InterfaceCommand(1, 24, -1);
    EXPECT_EQ(result.data, "80");
    EXPECT_EQ(result.lines, "1aX");
    EXPECT_EQ(D().log, "BusAddress 2 3 6\nSPoll 3\nControlLine 1\n");
    D().log.clear();
    const int calls[][2] = {{4, 9}, {7, 6}, {7, 6}, {3, 6}};  // kind, secondary
    for (const auto& [kind, secondary] : calls) bus.InterfaceCommand(kind, 3, secondary);
    EXPECT_EQ(D().log,
              "BusAddress 2 3 6\nLocal 2\nControlLine 1\nRemote 1\nControlLine 1\n"
              "Local 1\nControlLine 1\nClear 1\nControlLine 1\n");
    Config().noInstrument = true;
    D().log.clear();
    bus.InterfaceCommand(6, 3, 6);
    EXPECT_EQ(D().log, "");
}

}  // namespace
