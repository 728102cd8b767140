#include "ScriptedBus.h"

#include <algorithm>
#include <utility>

ScriptedBus& ScriptedBus::Reply(std::string text) {
    steps_.push_back({std::move(text), 0, nullptr});
    return *this;
}

ScriptedBus& ScriptedBus::Replies(const std::vector<std::string>& texts) {
    for (const auto& text : texts) Reply(text);
    return *this;
}

ScriptedBus& ScriptedBus::Poll(int value) {
    steps_.push_back({std::string(), value, nullptr});
    return *this;
}

ScriptedBus& ScriptedBus::FailRead(std::string text) {
    return Throw(std::make_exception_ptr(xgpib(std::move(text))));
}

ScriptedBus& ScriptedBus::Throw(std::exception_ptr error) {
    steps_.push_back({std::string(), 0, std::move(error)});
    return *this;
}

ScriptedBus& ScriptedBus::FailWrite(int index, std::string text) {
    failingWrites_.emplace_back(writes_ + index, std::move(text));
    return *this;
}

std::string ScriptedBus::LogText() const {
    std::string text;
    for (const auto& line : log_) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

std::vector<std::string> ScriptedBus::LogStarting(const std::string& prefix) const {
    std::vector<std::string> lines;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(lines),
                 [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    return lines;
}

void ScriptedBus::Record(const std::string& line) {
    if (recording_) log_.push_back(line);
    if (onOperation) onOperation(line);
}

ScriptedBus::Step ScriptedBus::Next() {
    ++reads_;
    if (steps_.empty()) {
        if (defaultReply_) return {*defaultReply_, 0, nullptr};
        throw xgpib("script exhausted");
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.error) std::rethrow_exception(step.error);
    return step;
}

bool ScriptedBus::Open() {
    Record("O");
    return openFails_;
}

void ScriptedBus::Write(int primary, int secondary, const std::string& text) {
    Record("W " + std::to_string(primary) + " " + std::to_string(secondary) + " " + text);
    const int index = writes_++;
    for (const auto& [failing, message] : failingWrites_)
        if (failing == index) throw xgpib(message);
}

std::string ScriptedBus::Read(int primary, int secondary, int bufferSize) {
    Record("R " + std::to_string(primary) + " " + std::to_string(secondary));
    std::string reply = Next().text;
    const std::size_t limit = bufferSize > 0 ? static_cast<std::size_t>(bufferSize - 1) : 0;
    if (reply.size() > limit) reply.resize(limit);
    return reply;
}

int ScriptedBus::SerialPoll(int primary, int secondary) {
    Record("S " + std::to_string(primary) + " " + std::to_string(secondary));
    return Next().number;
}

int ScriptedBus::PollHall() {
    Record("H");
    return Next().number;
}

void ScriptedBus::SetRemote(bool on) {
    Record(on ? "REN 1" : "REN 0");
}

void ScriptedBus::ItcWrite(const std::string& text) {
    Record("IW " + text);
}

std::string ScriptedBus::ItcRead() {
    Record("IR");
    return Next().text;
}

GpibBus::PageResult ScriptedBus::InterfaceCommand(int kind, int primary, int secondary) {
    Record("IC " + std::to_string(kind) + " " + std::to_string(primary) + " " +
           std::to_string(secondary));
    return {};
}
