#include "vantris_sim/Itc5Controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantris::sim {
namespace {

constexpr std::size_t kMaxReplies = 16;

bool WholeNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 9) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end == text.c_str() + text.size() && value >= low && value <= high;
}

}  // namespace

Itc5Controller::Itc5Controller(const Itc5Config& config, double now,
                               std::function<void()> onSetPoint)
    : config_(config),
      thermal_(config.thermal, now),
      onSetPoint_(std::move(onSetPoint)),
      setPoint_(config.thermal.initialK) {}

void Itc5Controller::Retarget(double now) {
    const ThermalConfig& t = config_.thermal;
    double target = 0.0;
    if (autoMode_ & 1) {
        // Regulating on the sample sensor means driving the cryostat to where
        // the sample ends up at the set-point.
        target = heaterSensor_ == 2 ? setPoint_ - t.sampleOffsetK : setPoint_;
        target = std::clamp(target, t.baseK, t.maxK);
    } else {
        target = t.baseK + (t.maxK - t.baseK) * heaterOut_ / 999.0;
    }
    thermal_.SetTarget(target, now);
}

int Itc5Controller::HeaterTenths(double now) {
    if (!(autoMode_ & 1)) return heaterOut_;
    const ThermalConfig& t = config_.thermal;
    const double hold = (thermal_.Target() - t.baseK) / (t.maxK - t.baseK);
    const double push = (thermal_.Target() - thermal_.StageK(now)) / 20.0;
    return static_cast<int>(std::clamp(hold + push, 0.0, 0.999) * 1000.0);
}

std::string Itc5Controller::StatusText() const {
    char text[24];
    std::snprintf(text, sizeof text, "X0A%dC%dS0H%d", autoMode_, control_, heaterSensor_);
    return text;
}

bool Itc5Controller::Execute(const std::string& text, double now, std::string& reply) {
    const char letter = text[0];
    const std::string argument = text.substr(1);
    long value = 0;
    char buffer[48];
    switch (letter) {
        case 'T': {
            char* end = nullptr;
            const double kelvin = std::strtod(argument.c_str(), &end);
            if (argument.empty() || argument.size() > 12 ||
                end != argument.c_str() + argument.size() || !std::isfinite(kelvin) ||
                kelvin < 0.0 || kelvin > 2000.0) {
                return false;
            }
            setPoint_ = kelvin;
            Retarget(now);
            if (onSetPoint_) onSetPoint_();
            break;
        }
        case 'P':
        case 'I':
        case 'D':
            if (!WholeNumber(argument, 0, 99999, value)) return false;
            pid_[letter == 'P' ? 0 : letter == 'I' ? 1 : 2] = static_cast<int>(value);
            break;
        case 'H':
            if (!WholeNumber(argument, 1, 2, value)) return false;
            heaterSensor_ = static_cast<int>(value);
            Retarget(now);
            break;
        case 'A':
            if (!WholeNumber(argument, 0, 7, value)) return false;
            autoMode_ = static_cast<int>(value);
            Retarget(now);
            break;
        case 'C':
            if (!WholeNumber(argument, 0, 3, value)) return false;
            control_ = static_cast<int>(value);
            break;
        case 'O':
            if (!WholeNumber(argument, 0, 999, value)) return false;
            heaterOut_ = static_cast<int>(value);
            Retarget(now);
            break;
        case 'G':
            if (!WholeNumber(argument, 0, 999, value)) return false;
            gasOut_ = static_cast<int>(value);
            break;
        case 'R': {
            if (!WholeNumber(argument, 0, 99, value)) return false;
            long tenths = 0;
            if (value == 0)
                tenths = std::lround(setPoint_ * 10.0);
            else if (value == 1)
                tenths = std::lround(thermal_.StageK(now) * 10.0);
            else if (value == 2)
                tenths = std::lround(thermal_.SampleK(now) * 10.0);
            else if (value == 5)
                tenths = HeaterTenths(now);
            else if (value == 7)
                tenths = (autoMode_ & 2) ? 250 : gasOut_;
            else
                return false;
            std::snprintf(buffer, sizeof buffer, "R+%ld", tenths);
            reply = buffer;
            return true;
        }
        case 'V':
            if (!argument.empty()) return false;
            reply = config_.identification;
            return true;
        case 'X':
            if (!argument.empty()) return false;
            reply = StatusText();
            return true;
        default:
            return false;
    }
    reply = std::string(1, letter);
    return true;
}

void Itc5Controller::Command(int, const std::string& raw, double now) {
    std::string text = raw;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    while (!text.empty() && text.front() == '\n') text.erase(text.begin());
    if (text.empty()) return;
    const bool quiet = text[0] == '$';
    if (quiet) text.erase(text.begin());
    std::string reply;
    const bool understood = !text.empty() && Execute(text, now, reply);
    if (quiet) return;
    if (!understood) {
        reply.assign(1, '?');
        reply.append(text, 0, 24);
    }
    if (replies_.size() >= kMaxReplies) replies_.pop_front();
    reply.push_back('\r');
    replies_.push_back(std::move(reply));
}

std::optional<std::string> Itc5Controller::Reply(int, double) {
    if (replies_.empty()) return std::string(1, '\0');
    std::string reply = replies_.front();
    replies_.pop_front();
    return reply;
}

}  // namespace vantris::sim
