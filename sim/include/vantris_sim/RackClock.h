#pragma once
// The rack's notion of time. Nothing in the rack runs by itself: every call
// asks the clock how far time has moved and brings the devices up to date.
// Real time is divided by the time scale (VANTRIS_TIME_SCALE), the same rule
// the program uses, so a motion of 1.5 s takes 15 ms of wall time at 0.01.
#include <chrono>

namespace vantris::sim {

class RackClock {
  public:
    RackClock();

    // Rack seconds since the clock was made; never decreases.
    double Now();

    // Manual mode (tests): time stands still except for Advance.
    void SetManual(bool on);
    bool Manual() const { return manual_; }
    // Moves rack time forward by the given rack seconds (in either mode).
    void Advance(double seconds);

    double Scale() const { return scale_; }
    void SetScale(double scale);

  private:
    double ScaledRealSeconds() const;

    std::chrono::steady_clock::time_point start_;
    double scale_ = 1.0;
    bool manual_ = false;
    double offset_ = 0.0;  // added to the scaled real time
    double frozen_ = 0.0;  // the time while manual
    double last_ = 0.0;
};

// Reads VANTRIS_TIME_SCALE; 1 when unset or unusable.
double TimeScaleFromEnvironment();

}  // namespace vantris::sim
