#include "core/MathLibrary.h"

#include <cmath>
#include <limits>

#include "core/Printf.h"

namespace MathLibrary {
namespace {
Reporter& Current() {
    static Reporter reporter;
    return reporter;
}

double Report(const char* function, const char* kind, double result) {
    if (Current()) Current()(ErrorText(function, kind));
    return result;
}
}  // namespace

void SetReporter(Reporter reporter) {
    Current() = std::move(reporter);
}

std::string ErrorText(const char* function, const char* kind) {
    return Printf("Function %s: %s error", function, kind);
}

double Log10(double x) {
    const double result = std::log10(x);
    if (std::isnan(x) || x < 0) return Report("log10", "DOMAIN", result);
    if (x == 0) return Report("log10", "SINGULARITY", result);
    return result;
}

double Sqrt(double x) {
    const double result = std::sqrt(x);
    if (std::isnan(x) || x < 0) return Report("sqrt", "DOMAIN", result);
    return result;
}

double Pow(double x, double y) {
    const double result = std::pow(x, y);
    if (std::isnan(x) || std::isnan(y)) return Report("pow", "DOMAIN", result);
    if (x < 0 && y != std::floor(y)) return Report("pow", "DOMAIN", result);
    if (x == 0 && y < 0) return Report("pow", "SINGULARITY", result);
    if (std::isinf(result) && std::isfinite(x) && std::isfinite(y))
        return Report("pow", "OVERFLOW", result);
    if (result == 0 && x != 0 && std::isfinite(x) && std::isfinite(y))
        return Report("pow", "UNDERFLOW", result);
    return result;
}
}  // namespace MathLibrary
