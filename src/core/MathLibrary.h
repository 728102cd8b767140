#pragma once
// The mathematical functions whose domain and range errors the operator is
// told about: "Function %s: %s error" under "Math Library Error". The error
// then counts as handled and the computation goes on with the library's own
// result, so one bad point never stops a measurement or a graph.
#include <functional>
#include <string>

namespace MathLibrary {
// "DOMAIN", "SINGULARITY", "OVERFLOW", "UNDERFLOW", "ACCURACY LOSS".
using Reporter = std::function<void(const std::string& text)>;
// The shell installs the message box; without a reporter errors pass silently.
void SetReporter(Reporter reporter);
// "Function log10: DOMAIN error"
std::string ErrorText(const char* function, const char* kind);

double Log10(double x);
double Sqrt(double x);
double Pow(double x, double y);
}  // namespace MathLibrary
