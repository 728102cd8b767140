#include "vantris_sim/Ln2Controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantris::sim {
namespace {

// A whole decimal number making up the entire text, within [low, high].
bool WholeNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end == text.c_str() + text.size() && value >= low && value <= high;
}

std::string Trim(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ')) {
        --end;
    }
    return text.substr(0, end);
}

}  // namespace

Ln2Controller::Ln2Controller(const Ln2Config& config, double now, std::function<void()> onSetPoint)
    : config_(config),
      thermal_(config.thermal, now),
      onSetPoint_(std::move(onSetPoint)),
      setPointTenths_(static_cast<int>(std::lround(config.thermal.initialK * 10.0))),
      logPressure_(std::log10(config.initialMbar)),
      pressureTime_(now) {}

void Ln2Controller::Retarget(double now) {
    const ThermalConfig& t = config_.thermal;
    const double target = automatic_ ? std::clamp(setPointTenths_ * 0.1, t.baseK, t.maxK)
                                     : t.baseK + (t.maxK - t.baseK) * heater_ / 65535.0;
    thermal_.SetTarget(target, now);
}

double Ln2Controller::VacuumMbar(double now) {
    // log10 of the pressure relaxes towards the pump's end pressure; with the
    // pump off the cryostat slowly leaks up to the atmosphere.
    const double dt = now - pressureTime_;
    if (dt > 0.0) {
        pressureTime_ = now;
        double goal = 3.0, tau = config_.pumpTauSeconds * 20.0;
        if (pumpAutomatic_ || pump_ == Pump::Fast) {
            goal = -4.0;
            tau = config_.pumpTauSeconds;
        } else if (pump_ == Pump::Slow) {
            goal = -2.0;
            tau = config_.pumpTauSeconds * 3.0;
        }
        logPressure_ = goal + (logPressure_ - goal) * std::exp(-dt / tau);
    }
    return std::pow(10.0, logPressure_);
}

int Ln2Controller::Heater(double now) {
    if (!automatic_) return heater_;
    // The controller's output: what holds the set-point, plus a proportional
    // push while the stage is still away from it.
    const ThermalConfig& t = config_.thermal;
    const double hold = (thermal_.Target() - t.baseK) / (t.maxK - t.baseK);
    const double push = (thermal_.Target() - thermal_.StageK(now)) / 50.0;
    return static_cast<int>(std::clamp(hold + push, 0.0, 1.0) * 65535.0);
}

void Ln2Controller::Command(int secondary, const std::string& raw, double now) {
    VacuumMbar(now);
    const std::string text = Trim(raw);
    long value = 0;
    switch (secondary) {
        case 2:
        case 12:
        case 13:
            if (WholeNumber(text, 0, 100000, value)) {
                gains_[secondary == 2 ? 0 : secondary == 12 ? 1 : 2] = static_cast<int>(value);
            }
            break;
        case 3:
            if (WholeNumber(text, 0, 99999, value)) {
                setPointTenths_ = static_cast<int>(value);
                Retarget(now);
                if (onSetPoint_) onSetPoint_();
            }
            break;
        case 5:
            if (text == "U" && automatic_) heater_ = Heater(now);  // manual starts from here
            if (text == "C")
                automatic_ = true;
            else if (text == "U")
                automatic_ = false;
            else if (text == "O")
                pump_ = Pump::Off;
            else if (text == "S")
                pump_ = Pump::Slow;
            else if (text == "F")
                pump_ = Pump::Fast;
            Retarget(now);
            break;
        case 6:
            if (WholeNumber(text, 0, 65535, value)) {
                heater_ = static_cast<int>(value);
                Retarget(now);
            }
            break;
        case 10:
            if (text == "1")
                pumpAutomatic_ = true;
            else if (text == "0")
                pumpAutomatic_ = false;
            break;
        default:
            break;
    }
}

std::optional<std::string> Ln2Controller::Reply(int secondary, double now) {
    char text[40];
    switch (secondary) {
        case 3:
            std::snprintf(text, sizeof text, "%d\n", setPointTenths_);
            break;
        case 4:
            std::snprintf(text, sizeof text, "%ld\n", std::lround(thermal_.StageK(now) * 10.0));
            break;
        case 6:
            std::snprintf(text, sizeof text, "%d\n", Heater(now));
            break;
        case 10:
            std::snprintf(text, sizeof text, "%.3E\n", VacuumMbar(now));
            break;
        default:
            return std::nullopt;
    }
    return std::string(text);
}

int Ln2Controller::StatusByte(int, double) {
    return automatic_ ? 0x80 : 0x00;
}

}  // namespace vantris::sim
