#include "vantris_sim/HotStage.h"

#include <cstdio>
#include <cstdlib>

namespace vantris::sim {
namespace {
constexpr std::size_t kMaxMessage = 64;

std::string Framed(const std::string& text) {
    return std::string(1, HotStage::kStx) + text + HotStage::kEtx + "\r\n";
}

bool TrailingNumber(const std::string& text, std::size_t from, long& value) {
    const std::string digits = text.substr(from);
    if (digits.empty() || digits.size() > 9) return false;
    char* end = nullptr;
    value = std::strtol(digits.c_str(), &end, 10);
    return end == digits.c_str() + digits.size() && value >= 0;
}
}  // namespace

HotStage::HotStage(const HotConfig& config, double now, std::function<void()> onSetPoint)
    : config_(config),
      thermal_(config.thermal, now),
      onSetPoint_(std::move(onSetPoint)),
      setPoint_(config.thermal.initialK) {}

std::vector<std::string> HotStage::Frame(const char* data, std::size_t count) {
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = data[i];
        if (c == kStx) {
            input_.clear();
            inFrame_ = true;
        } else if (c == kEtx && inFrame_) {
            messages.push_back(input_);
            input_.clear();
            inFrame_ = false;
        } else if (inFrame_) {
            if (input_.size() >= kMaxMessage) {
                input_.clear();  // an overlong frame is dropped whole
                inFrame_ = false;
            } else {
                input_ += c;
            }
        }
    }
    return messages;
}

void HotStage::Retarget(double now) {
    const ThermalConfig& t = config_.thermal;
    thermal_.SetTarget(running_ ? std::min(std::max(setPoint_, t.baseK), t.maxK) : t.baseK, now);
}

std::string HotStage::Answer(const std::string& text, double now) {
    long value = 0;
    static const std::string setPointPrefix = "0100XWS,1002W,";
    static const std::string runPrefix = "0100XWS,508W,";
    if (text.starts_with(setPointPrefix) && TrailingNumber(text, setPointPrefix.size(), value) &&
        value <= 2000) {
        setPoint_ = static_cast<double>(value);
        Retarget(now);
        if (onSetPoint_) onSetPoint_();
        return Framed("0100XWS,OK");
    }
    if (text.starts_with(runPrefix) && TrailingNumber(text, runPrefix.size(), value) &&
        (value == 17 || value == 18)) {
        running_ = value == 18;
        Retarget(now);
        return Framed("0100XWS,OK");
    }
    if (text == "0100XRS,504W,1") {
        char reading[32];
        std::snprintf(reading, sizeof reading, "%.1f", thermal_.StageK(now));
        return Framed(std::string("0100XRS,") + reading);
    }
    return Framed("0100XNAK");
}

}  // namespace vantris::sim
