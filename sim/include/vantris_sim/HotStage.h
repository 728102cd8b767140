#pragma once
// The hot stage's temperature controller on a serial line. Messages are
// STX text ETX CR LF; each one is answered by one reply in the same frame.
#include <functional>
#include <string>
#include <vector>

#include "vantris_sim/RackConfig.h"
#include "vantris_sim/ThermalStage.h"

namespace vantris::sim {

class HotStage {
  public:
    static constexpr char kStx = 0x02;
    static constexpr char kEtx = 0x03;

    HotStage(const HotConfig& config, double now, std::function<void()> onSetPoint);

    // Collects bytes; returns the texts of the messages they completed.
    std::vector<std::string> Frame(const char* data, std::size_t count);
    // The reply frame to one message text.
    std::string Answer(const std::string& text, double now);

    ThermalStage& Thermal() { return thermal_; }
    bool Running() const { return running_; }

  private:
    void Retarget(double now);

    HotConfig config_;
    ThermalStage thermal_;
    std::function<void()> onSetPoint_;
    std::string input_;
    bool inFrame_ = false;
    double setPoint_ = 293.0;
    bool running_ = false;
};

}  // namespace vantris::sim
