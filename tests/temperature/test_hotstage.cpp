// The hot stage over a real serial device: a pseudo-terminal whose other
// side a thread of the test answers as the stage would.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "HotFunc.h"
#include "SerialLink.h"
#include "TemperatureFixture.h"

namespace {
// A message as it goes over the line: STX, the text, ETX, CR LF.
std::string Frame(const std::string& text) {
    return "\x02" + text + "\x03\r\n";
}

class FakeStage {
  public:
    FakeStage() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            path_ = ::ptsname(master_);
        hold_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        ::tcgetattr(hold_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(hold_, TCSANOW, &raw);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeStage() {
        stop_ = true;
        thread_.join();
        ::close(hold_);
        ::close(master_);
    }
    const std::string& Path() const { return path_; }
    // What the stage answers to each message; empty for silence.
    std::atomic<bool> silent{false};
    std::string reply = Frame("0100XRS,350.2");
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    void Serve() {
        std::string input;
        while (!stop_) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0) continue;
            char buffer[128];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) continue;
            input.append(buffer, static_cast<std::size_t>(n));
            std::size_t end;
            while ((end = input.find('\n')) != std::string::npos) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    received_.push_back(input.substr(0, end + 1));
                }
                input.erase(0, end + 1);
                if (!silent) {
                    const std::string out = reply;
                    if (::write(master_, out.data(), out.size()) < 0) return;
                }
            }
        }
    }
    int master_ = -1;
    int hold_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> received_;
};

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
    HotFunc hot(std::move(link));
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
    HotFunc hot(std::move(link));
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

TEST_F(HotStageTest, PortThatWillNotOpenIsShown) {
    Config().hotStagePort = "COM9";
    ASSERT_TRUE(Registry().SetString("SOFTWARE\\Brisel\\Hall\\System\\Ports", "COM9",
                                     dir.filePath("no-such-device").toStdString()));
    HotFunc hot;
    EXPECT_FALSE(hot.HasPort());
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Can't Open Serial Port:|COM9"}));
    // In demo mode the port is not even tried.
    Config().noInstrument = true;
    HotFunc demo;
    EXPECT_EQ(Prompts().size(), 1u);
}

// A set-point no integer holds is sent as the nearest end, never overflowed.
TEST(HotMessages, Framing) {
    EXPECT_EQ(HotFunc::SetPointMessage(1e300), Frame("0100XWS,1002W,1000000000"));
}
