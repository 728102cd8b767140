#pragma once
// The buffer amplifier on its serial line: single command bytes, RTS looped
// back to CTS. When the Hall electronics routes its source to it (contacts 5
// and 8), it drives the source current divided by its range multiplier
// through the selected pair of specimen contacts, and puts the pair voltage
// divided by kMonitorDivider on matrix contact 6.
#include <cstdint>

namespace vantris::sim {

class BufferAmplifier {
  public:
    static constexpr double kMonitorDivider = 6.0;

    void WriteByte(std::uint8_t byte);

    double Multiplier() const { return multiplier_; }
    // The pair the current flows through (from -> to for a positive source),
    // or 0 when no pair is selected (also for the zero reference).
    int From() const { return from_; }
    int To() const { return to_; }
    bool ZeroReference() const { return zeroReference_; }

    void SetRts(bool on) { rts_ = on; }
    bool Cts() const { return rts_; }

  private:
    double multiplier_ = 1.0;
    int from_ = 0;
    int to_ = 0;
    bool zeroReference_ = false;
    bool rts_ = false;
};

}  // namespace vantris::sim
