#pragma once
// Every interval of the program goes through the time scale, so tests and
// demonstrations run the whole program faster (VANTRIS_TIME_SCALE, default 1).
namespace TimeScale {
double Factor();
void SetFactor(double factor);  // tests and --time-scale
// An interval in milliseconds, scaled; a positive interval stays at least 1 ms.
int Ms(int milliseconds);
// Scaled seconds elapsed since an arbitrary start (for tick counting).
double Seconds();
}  // namespace TimeScale
