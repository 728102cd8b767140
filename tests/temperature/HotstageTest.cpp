// The hot stage over a real serial device: a pseudo-terminal whose other
// side a thread of the test answers as the stage would.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "temperature/HotFunc.h"
#include "platform/SerialLink.h"
#include "TemperatureFixture.h"

#include "FakeHotStage.h"
#include "TestRecords.h"

namespace {
std::unique_ptr<SerialLink> LinkTo(const std::string& device) {
    auto link = std::make_unique<SerialLink>();
    const auto mode = ParseSerialMode("X:9600,n,8,2");
    if (!link->Open(device, *mode)) return nullptr;
    return link;
}
}  // namespace

class HotStageTest : public TemperatureFixture {};

TEST_F(HotStageTest, MessagesAndReadingOverTheLine) {
    // The stage's real 2 s time-out: an answering stage is waited for, however
    // loaded the machine (the fixture's time scale would leave 2 ms).
    TimeScale::SetFactor(1.0);
    FakeStage stage;
    auto link = LinkTo(stage.Path());
    ASSERT_TRUE(link) << stage.Path();
    HotFunc hot(slot, Config(), std::move(link));
    hot.SetTemperature(373.9);
    hot.SetControl(1, 0);
    hot.SetControl(1, 1);
    hot.SetControl(0, 0);  // only mode 1 sends
    hot.ReadTemperature();
    EXPECT_EQ(hot.ReadingText(), "350.2");
    EXPECT_DOUBLE_EQ(hot.present, 350.2);
    EXPECT_DOUBLE_EQ(hot.setPoint, 373.9);
    EXPECT_EQ(stage.Received(),
              (std::vector<std::string>{Frame("0100XWS,1002W,373"), Frame("0100XWS,508W,18"),
                                        Frame("0100XWS,508W,17"), Frame("0100XRS,504W,1")}));
}

TEST_F(HotStageTest, SilenceTakesTheTimeOutAndReadsError) {
    TimeScale::SetFactor(0.05);  // the 2 s time-out takes 100 ms
    FakeStage stage;
    stage.silent = true;
    auto link = LinkTo(stage.Path());
    ASSERT_TRUE(link);
    HotFunc hot(slot, Config(), std::move(link));
    const auto start = std::chrono::steady_clock::now();
    hot.ReadTemperature();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(hot.ReadingText(), "Error");
    EXPECT_DOUBLE_EQ(hot.present, 0.0);
    EXPECT_GE(ms, 90.0);
    // A reply that is no temperature reads the same way.
    stage.silent = false;
    stage.reply = Frame("0100XNAK");
    hot.ReadTemperature();
    EXPECT_EQ(hot.ReadingText(), "Error");
}

// Replies that are no whole frame, or read a temperature the stage cannot
// be at, are failed readings: "Error", 0 K and the reason, never a value
// picked out of them by position.
TEST_F(HotStageTest, BadFramesOverTheLineReadError) {
    TimeScale::SetFactor(0.25);  // the stream of nines ends by the 500 ms time-out
    FakeStage stage;
    auto link = LinkTo(stage.Path());
    ASSERT_TRUE(link);
    HotFunc hot(slot, Config(), std::move(link));
    const std::pair<std::string, std::string> bad[] = {
        {"0100XRS,350.2\x03\r\n", "carries no temperature"},
        {std::string(60, '9'), "carries no temperature"},
        {"\x02"
         "0100XRS,3" +
             std::string(1, '\0') + "50.2\x03\r\n",
         "carries no temperature"},
        {Frame("0100XRS,9999999"), "lies outside 20 to 900 K"},
        {Frame("0100XRS,12.5"), "lies outside 20 to 900 K"},
    };
    for (const auto& [reply, why] : bad) {
        stage.Answer([&reply](const std::string&) { return reply; });
        hot.SetPresent(350.0);
        hot.ReadTemperature();
        EXPECT_EQ(hot.ReadingText(), "Error") << ::testing::PrintToString(reply);
        EXPECT_DOUBLE_EQ(hot.present, 0.0);
        EXPECT_FALSE(hot.ReadingValid());
        EXPECT_NE(hot.ReadingFailure().find(why), std::string::npos) << hot.ReadingFailure();
    }
    // A stage that alternates framed and unframed replies reads only the framed ones.
    int n = 0;
    stage.Answer([&n](const std::string&) {
        return ++n % 2 ? Frame("0100XRS,400.0") : std::string("0100XRS,400.0\x03\r\n");
    });
    std::vector<std::string> texts;
    for (int i = 0; i < 4; ++i) {
        hot.ReadTemperature();
        texts.push_back(hot.ReadingText() + (hot.ReadingValid() ? "" : "!"));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"400.0", "Error!", "400.0", "Error!"}));
}

TEST_F(HotStageTest, PortThatWillNotOpenIsShown) {
    Config().hotStagePort = "COM9";
    ASSERT_TRUE(Registry().SetString("SOFTWARE\\Brisel\\Hall\\System\\Ports", "COM9",
                                     dir.filePath("no-such-device").toStdString()));
    HotFunc hot(slot, Config());
    EXPECT_FALSE(hot.HasPort());
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Can't Open Serial Port:|COM9"}));
    // In demo mode the port is not even tried.
    Config().noInstrument = true;
    HotFunc demo(slot, Config());
    EXPECT_EQ(Prompts().size(), 1u);
}

// A set-point no integer holds is sent as the nearest end, never overflowed.
TEST(HotMessages, Framing) {
    EXPECT_EQ(HotFunc::SetPointMessage(1e300), Frame("0100XWS,1002W,1000000000"));
}
