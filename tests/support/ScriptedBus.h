#pragma once
// A GpibBus for tests: records every operation as one line of text and
// answers reads and polls from a script, in order.
//
//   "O"              Open              "W 3 9 G2"    Write (primary, secondary, text)
//   "R 3 9"          Read              "S 3 6"       SerialPoll
//   "H"              PollHall          "REN 1"       SetRemote
//   "IW T1"          ItcWrite          "IR"          ItcRead
//   "IC 4 3 6"       InterfaceCommand (kind, primary, secondary)
//
// Reads (Read, ItcRead) and polls (SerialPoll, PollHall) take the next step of
// the script: a reply text, a number, or a scripted exception. A read with the
// script exhausted takes the default reply if one is set, else raises xgpib
// "script exhausted", so an unexpected read shows up in the test.
#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bus/GpibBus.h"

class ScriptedBus : public GpibBus {
  public:
    ScriptedBus& Reply(std::string text);
    ScriptedBus& Replies(const std::vector<std::string>& texts);
    ScriptedBus& Poll(int value);
    // The next read or poll raises xgpib with this text.
    ScriptedBus& FailRead(std::string text = "GPIB");
    // The next read or poll raises this exception (any type, e.g. xmeas).
    ScriptedBus& Throw(std::exception_ptr error);
    // The write with this index (0 = the next one) raises xgpib.
    ScriptedBus& FailWrite(int index, std::string text = "GPIB");
    // Reply for reads once the script has run out.
    void SetDefaultReply(std::optional<std::string> text) { defaultReply_ = std::move(text); }
    void SetOpenFails(bool fails) { openFails_ = fails; }
    // Called with each operation's line before it is carried out; may throw.
    std::function<void(const std::string&)> onOperation;

    const std::vector<std::string>& Log() const { return log_; }
    // Every line joined by '\n'.
    std::string LogText() const;
    // Only the lines that start with the prefix ("W 3 9" for the voltmeter writes).
    std::vector<std::string> LogStarting(const std::string& prefix) const;
    void ClearLog() { log_.clear(); }
    // Off: operations are no longer logged (benchmarks); the hook still runs.
    void SetRecording(bool on) { recording_ = on; }
    std::size_t StepsLeft() const { return steps_.size(); }
    int Reads() const { return reads_; }

    bool Open() override;
    void Write(int primary, int secondary, const std::string& text) override;
    std::string Read(int primary, int secondary, int bufferSize = 20) override;
    int SerialPoll(int primary, int secondary) override;
    int PollHall() override;
    void SetRemote(bool on) override;
    void ItcWrite(const std::string& text) override;
    std::string ItcRead() override;
    std::string ErrorText() override { return "scripted bus error"; }
    PageResult InterfaceCommand(int kind, int primary, int secondary) override;

  private:
    struct Step {
        std::string text;
        int number = 0;
        std::exception_ptr error;
    };
    void Record(const std::string& line);
    Step Next();

    std::deque<Step> steps_;
    std::vector<std::pair<int, std::string>> failingWrites_;
    std::optional<std::string> defaultReply_;
    std::vector<std::string> log_;
    bool openFails_ = false;
    bool recording_ = true;
    int writes_ = 0;
    int reads_ = 0;
};
