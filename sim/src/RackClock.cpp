#include "vantris_sim/RackClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vantris::sim {

double TimeScaleFromEnvironment() {
    const char* text = std::getenv("VANTRIS_TIME_SCALE");
    if (!text || !*text) return 1.0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value) || value <= 0.0 || value > 1000.0) return 1.0;
    return value;
}

RackClock::RackClock()
    : start_(std::chrono::steady_clock::now()), scale_(TimeScaleFromEnvironment()) {}

double RackClock::ScaledRealSeconds() const {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return std::chrono::duration<double>(elapsed).count() / scale_;
}

double RackClock::Now() {
    const double t = manual_ ? frozen_ : ScaledRealSeconds() + offset_;
    last_ = std::max(last_, t);
    return last_;
}

void RackClock::SetManual(bool on) {
    if (on == manual_) return;
    const double t = Now();
    manual_ = on;
    if (on) {
        frozen_ = t;
    } else {
        offset_ = t - ScaledRealSeconds();
    }
}

void RackClock::Advance(double seconds) {
    if (!(seconds > 0.0) || !std::isfinite(seconds)) return;
    if (manual_)
        frozen_ = Now() + seconds;
    else
        offset_ += seconds;
    Now();
}

void RackClock::SetScale(double scale) {
    if (!(scale > 0.0) || !std::isfinite(scale)) return;
    const double t = Now();
    scale_ = scale;
    offset_ = t - ScaledRealSeconds();
}

}  // namespace vantris::sim
