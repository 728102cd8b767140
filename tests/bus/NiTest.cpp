// The NI-488.2 back-end through the real dynamic-loading path, against fake
// driver libraries of each family.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "FakeDriver.h"
#include "bus/ni/NiGpibBus.h"
#include "core/RunConfig.h"
#include "platform/TimeScale.h"
#include "TestRecords.h"

namespace {

struct Family {
    const char* name;
    const char* path;
    NiDriver::Family family;
    int nlEnd;  // what the driver must receive for "append a line feed"
};

const Family kFamilies[] = {
    {"Ni", FAKE_GPIB_NI, NiDriver::Family::Ni, 1},
    {"LinuxGpib", FAKE_GPIB_LINUX, NiDriver::Family::LinuxGpib, 2},
    {"StatusFunctions", FAKE_GPIB_FUNCTIONS, NiDriver::Family::StatusFunctions, 1},
    {"ThreadStatus", FAKE_GPIB_THREAD, NiDriver::Family::StatusFunctions, 1},
};

void ResetConfig(const std::string& library) {
    Config() = RunConfig();
    Config().gpibLibrary = library;
}

bool Contains(const std::string& log, const std::string& line) {
    return log.find(line + "\n") != std::string::npos;
}

// The text of the bus error `f` raises; "none" without one.
template <typename F>
std::string Raised(F f) {
    try {
        f();
    } catch (const xgpib& e) {
        return e.what();
    }
    return "none";
}

class NiBusFamily : public ::testing::TestWithParam<Family> {
  protected:
    void SetUp() override {
        ResetConfig(GetParam().path);
        fake = std::make_unique<FakeDriver>(GetParam().path);
        fake->Script("");
    }
    std::unique_ptr<FakeDriver> fake;
    NiGpibBus bus{Config()};
};

TEST_P(NiBusFamily, WritesWithAddressWordAndLineFeedEndMode) {
    bus.Write(3, 9, "G2");
    bus.Write(24, -1, "X");
    EXPECT_EQ(bus.Driver().LoadedFamily(), GetParam().family);
    const std::string e = " e=" + std::to_string(GetParam().nlEnd) + " ";
    EXPECT_TRUE(Contains(fake->Log(), "Send 0 0x6903" + e + "'G2'")) << fake->Log();
    EXPECT_TRUE(Contains(fake->Log(), "Send 0 0x0018" + e + "'X'")) << fake->Log();
}

TEST_P(NiBusFamily, ReadDropsTheLastByteAndAsksForTwentyBytes) {
    fake->Script(
        "reply 0x6903 N+1.2345E-03\\n\n"
        "reply 0x6C03 ABCDEFGHIJKLMNOPQRSTUVWXYZ\n");
    EXPECT_EQ(bus.Read(3, 9), "N+1.2345E-03");
    EXPECT_TRUE(Contains(fake->Log(), "Receive 0 0x6903 n=20 t=0xA")) << fake->Log();
    // 20 bytes without a line feed: the 20th is lost, as is the last of the rest.
    EXPECT_EQ(bus.Read(3, 12), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(bus.Read(3, 12), "UVWXY");
}

// A reply that filled the 20 bytes was cut; what follows of it, read before
// the next command to the device, is its rest; a command discards it.
TEST_P(NiBusFamily, RepliesThatFillTheBufferAreCutUntilTheNextWrite) {
    using Part = GpibBus::ReplyPart;
    fake->Script(
        "reply 0x6C03 ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrst\\n\n"
        "reply 0x6903 N+1.5E+00\\n\n"
        "reply 0x6C03 0123456789012345678901234\n"
        "reply 0x6903 N+2.5E+00\\n\n");
    bus.Read(3, 12);
    EXPECT_EQ(bus.LastReplyPart(), Part::Cut);
    bus.Read(3, 12);  // 20 more bytes: still cut
    EXPECT_EQ(bus.LastReplyPart(), Part::Rest);
    EXPECT_EQ(bus.Read(3, 12), "opqrst");
    EXPECT_EQ(bus.LastReplyPart(), Part::Rest);  // its end
    EXPECT_EQ(bus.Read(3, 9), "N+1.5E+00");
    EXPECT_EQ(bus.LastReplyPart(), Part::Whole);
    bus.Read(3, 12);
    EXPECT_EQ(bus.LastReplyPart(), Part::Cut);
    bus.Write(3, 9, "G1");
    EXPECT_EQ(bus.Read(3, 9), "N+2.5E+00");
    EXPECT_EQ(bus.LastReplyPart(), Part::Whole);
}

TEST_P(NiBusFamily, DriverErrorsRaiseTheirTexts) {
    fake->Script("absent 0x6903\n");
    EXPECT_EQ(Raised([&] { bus.Write(3, 9, "G0"); }), "ENOL: no listeners");
    EXPECT_EQ(Raised([&] { bus.Read(3, 13); }), "EABO: timeout on data");
    EXPECT_EQ(bus.ErrorText(), "EABO: timeout on data");
}

TEST_P(NiBusFamily, OpenFailsOnlyWithoutBoard) {
    EXPECT_FALSE(bus.Open());
    EXPECT_EQ(fake->Log(), "ibtmo 0 11\nSendIFC 0\n");
    fake->Script("fail SendIFC 1\n");
    EXPECT_FALSE(bus.Open());
    fake->Script("noboard\n");
    EXPECT_TRUE(bus.Open());
}

TEST_P(NiBusFamily, PollHallNeedsSrqAndTheServiceBit) {
    fake->Script("srq 0\nstb 0x6603 0x48\n");
    EXPECT_EQ(bus.PollHall(), 0);
    EXPECT_EQ(fake->Log(), "TestSRQ 0\n");
    fake->Script("srq 1\nstb 0x6603 0x48\n");
    EXPECT_EQ(bus.PollHall(), 0x48);
    fake->Script("srq 1\nstb 0x6603 0x08\n");
    EXPECT_EQ(bus.PollHall(), 0);
    EXPECT_FALSE(Contains(fake->Log(), "ReadStatusByte 0 0x0018"));
}

INSTANTIATE_TEST_SUITE_P(Families, NiBusFamily, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return std::string(info.param.name); });

class NiBus : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetConfig(FAKE_GPIB_NI);
        fake = std::make_unique<FakeDriver>(FAKE_GPIB_NI);
        fake->Script("");
    }
    void TearDown() override { TimeScale::SetFactor(1.0); }
    std::unique_ptr<FakeDriver> fake;
    NiGpibBus bus{Config()};
};

// Codes the table does not name keep their number and the status word.
TEST_F(NiBus, UnnamedErrorCodesShowTheirNumbers) {
    EXPECT_EQ(NiGpibBus::ErrorTextFor(9, 0x8100), "Code 9 (status x8100)");
    EXPECT_EQ(NiGpibBus::ErrorTextFor(-3, 0xC000), "Code -3 (status xC000)");
}

TEST_F(NiBus, PollHallClearsTheItcRequestWhenTheItcIsFitted) {
    Config().controllerKind = ControllerKind::ITC5;
    fake->Script("srq 1\nstb 0x6603 0x08\nstb 0x0018 0x50\n");
    EXPECT_EQ(bus.PollHall(), 0);
    EXPECT_TRUE(Contains(fake->Log(), "ReadStatusByte 0 0x0018")) << fake->Log();
}

TEST_F(NiBus, ItcThroughTheBoard) {
    fake->Script("reply 24 R+0077.3\\r\n");
    bus.ItcWrite("T1");
    EXPECT_EQ(bus.ItcRead(), "R+0077.3");
    EXPECT_EQ(fake->Log(), "Send 0 0x0018 e=0 'T1\\r'\nReceive 0 0x0018 n=40 t=0xD\n");
}

TEST_F(NiBus, BytewiseItcDrainsBeforeWritingAndReadsUpToCarriageReturn) {
    Config().bytewiseItc = true;
    fake->Script("reply 24 ab\\0\\0R12\\rX\n");
    bus.ItcWrite("R1");
    EXPECT_EQ(fake->Log(),
              "Receive 0 0x0018 n=1 t=0x100\nReceive 0 0x0018 n=1 t=0x100\n"
              "Receive 0 0x0018 n=1 t=0x100\nSend 0 0x0018 e=0 'R1\\r'\n");
    EXPECT_EQ(bus.ItcRead(), "R12");
}

TEST_F(NiBus, BytewiseItcReadGivesUpAfterOneSecond) {
    Config().bytewiseItc = true;
    TimeScale::SetFactor(0.01);
    fake->Script("reply 24 R77\nidle 24\n");
    EXPECT_EQ(bus.ItcRead(), "R77");
    // A time-out of the link itself is a bus error like any other.
    fake->Script("");
    EXPECT_THROW(bus.ItcRead(), xgpib);
}

TEST_F(NiBus, InterfaceCommands) {
    fake->Script("stb 0x6603 65\nlines 0\n");
    auto result = bus.InterfaceCommand(1, 3, 6);
    EXPECT_EQ(result.data, "65");
    EXPECT_EQ(result.lines, "Local");
    bus.InterfaceCommand(2, 12, 0);
    for (int kind = 3; kind <= 6; ++kind) bus.InterfaceCommand(kind, 3, 6);
    for (const char* line :
         {"DevClear 0 0x600C", "DevClear 0 0xFFFF", "SendCmds 0 '\\x01'", "SendLLO 0", "SendIFC 0"})
        EXPECT_TRUE(Contains(fake->Log(), line)) << line;

    // REN toggles by the line's state.
    EXPECT_EQ(bus.InterfaceCommand(7, 3, 6).lines, "Remote");
    EXPECT_EQ(bus.InterfaceCommand(7, 3, 6).lines, "Local");
    for (const char* line : {"EnableRemote 0 0xFFFF", "EnableLocal 0 0xFFFF"})
        EXPECT_TRUE(Contains(fake->Log(), line)) << line;
}

TEST_F(NiBus, InterfaceCommandsDoNothingInDemoMode) {
    Config().noInstrument = true;
    for (int kind = 1; kind <= 7; ++kind) bus.InterfaceCommand(kind, 3, 6);
    EXPECT_EQ(fake->Log(), "");
}

TEST_F(NiBus, SetRemoteHasNoErrorCheck) {
    fake->Script("fail EnableRemote 1\n");
    bus.SetRemote(true);
    bus.SetRemote(false);
    EXPECT_EQ(fake->Log(), "EnableRemote 0 0xFFFF\nEnableLocal 0 0xFFFF\n");
}

TEST_F(NiBus, MissingEntryPointFailsOnlyThatCall) {
    ResetConfig(FAKE_GPIB_PARTIAL);
    FakeDriver partial(FAKE_GPIB_PARTIAL);
    partial.Script("");
    EXPECT_EQ(Raised([&] { bus.InterfaceCommand(5, 3, 6); }), "EDVR: driver not installed");
    EXPECT_NO_THROW(bus.Write(3, 7, "S0M77"));
}

TEST(NiDriverLoading, MissingLibraryIsDriverNotInstalledAndIsRetried) {
    ResetConfig("/nonexistent/libgpib-missing.so");
    NiGpibBus bus{Config()};
    EXPECT_EQ(Raised([&] { bus.Write(3, 7, "S0M77"); }), "EDVR: driver not installed");
    // A missing driver does not keep the program off the bus at start-up.
    EXPECT_FALSE(bus.Open());
    EXPECT_EQ(bus.Driver().LoadedFamily(), NiDriver::Family::None);

    Config().gpibLibrary = FAKE_GPIB_NI;
    FakeDriver fake(FAKE_GPIB_NI);
    fake.Script("");
    EXPECT_NO_THROW(bus.Write(3, 7, "S0M77"));
    EXPECT_EQ(fake.Log(), "Send 0 0x6703 e=1 'S0M77'\n");
}

TEST(NiDriverLoading, LibraryWithoutStatusIsReleasedAndRefused) {
    ResetConfig(FAKE_GPIB_NO_STATUS);
    NiGpibBus bus{Config()};
    EXPECT_THROW(bus.Write(3, 7, "S0M77"), xgpib);
    EXPECT_EQ(bus.ErrorText(), "EDVR: driver not installed");
    EXPECT_EQ(bus.Driver().LoadedFamily(), NiDriver::Family::None);
}

TEST(NiDriverLoading, EnvironmentNamesTheLibraryWhenNotConfigured) {
    ResetConfig("");
    ::setenv("VANTRIS_GPIB_LIBRARY", FAKE_GPIB_LINUX, 1);
    EXPECT_EQ(NiDriver::LibraryName(Config()), FAKE_GPIB_LINUX);
    NiGpibBus bus{Config()};
    FakeDriver fake(FAKE_GPIB_LINUX);
    fake.Script("");
    bus.Write(3, 8, "DP");
    EXPECT_EQ(bus.Driver().LoadedName(), FAKE_GPIB_LINUX);
    Config().gpibLibrary = "/other/lib.so";
    EXPECT_EQ(NiDriver::LibraryName(Config()), "/other/lib.so");
    ::unsetenv("VANTRIS_GPIB_LIBRARY");
#ifndef _WIN32
    ResetConfig("");
    EXPECT_EQ(NiDriver::LibraryName(Config()), "libgpib.so.0");
#endif
}

}  // namespace
