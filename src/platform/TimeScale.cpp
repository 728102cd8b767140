#include "platform/TimeScale.h"
#include "platform/PlatformState.h"
#include "platform/Prompt.h"
#include "platform/SerialLink.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

namespace {
double ReadFactor() {
    const char* text = std::getenv("VANTRIS_TIME_SCALE");
    if (!text || !*text) return 1.0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value) || value <= 0.0 || value > 1000.0) return 1.0;
    return value;
}
double& Current() {
    static double factor = ReadFactor();
    return factor;
}
}  // namespace

namespace TimeScale {
double Factor() {
    return Current();
}

void SetFactor(double factor) {
    if (std::isfinite(factor) && factor > 0.0 && factor <= 1000.0) Current() = factor;
}

int Ms(int milliseconds) {
    if (milliseconds <= 0) return 0;
    const double scaled = std::round(milliseconds * Current());
    return scaled < 1.0 ? 1 : static_cast<int>(scaled);
}

double Seconds() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return duration<double>(steady_clock::now() - start).count() / Current();
}
}  // namespace TimeScale

void ResetPlatformState() {
    ResetCoreState();
    TimeScale::SetFactor(1.0);
    SerialLink::UseSimulation(false);
    Prompt::SetResponder(nullptr);
    Prompt::SetEcho(nullptr);
}
