#pragma once
// A hot stage on a pseudo-terminal for tests: a thread answers each message
// (STX ... ETX CR LF) that arrives on the terminal's other side, with a
// fixed reply, a scripted one, or silence.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A message as it goes over the line: STX, the text, ETX, CR LF.
inline std::string Frame(const std::string& text) {
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
    // Replaces the fixed reply: the answer to each message (its text between
    // STX and ETX), computed on the stage's thread; empty sends nothing.
    void Answer(std::function<std::string(const std::string&)> answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        answer_ = std::move(answer);
    }
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
                const std::string message = input.substr(0, end + 1);
                input.erase(0, end + 1);
                std::string out;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    received_.push_back(message);
                    if (answer_) {
                        const std::size_t stx = message.find('\x02');
                        const std::size_t etx = message.find('\x03');
                        const std::string text = stx != std::string::npos && etx > stx
                                                     ? message.substr(stx + 1, etx - stx - 1)
                                                     : message;
                        out = answer_(text);
                    } else if (!silent) {
                        out = reply;
                    }
                }
                if (!out.empty() && ::write(master_, out.data(), out.size()) < 0) return;
            }
        }
    }
    int master_ = -1;
    int hold_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::function<std::string(const std::string&)> answer_;
    std::vector<std::string> received_;
};
