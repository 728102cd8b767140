#pragma once
// One temperature stage: the stage sensor approaches its target with a
// first-order lag (time constant, optional ramp limit and overshoot), and the
// sample on it follows the stage with a lag of its own.
#include "vantris_sim/RackConfig.h"

namespace vantris::sim {

class ThermalStage {
  public:
    ThermalStage(const ThermalConfig& config, double now);

    // A new target; a step starts an overshoot bump of the configured size.
    void SetTarget(double kelvin, double now);
    double Target() const { return target_; }

    double StageK(double now);
    double SampleK(double now);
    const ThermalConfig& Config() const { return config_; }

  private:
    void Update(double now);

    ThermalConfig config_;
    double stage_;
    double sample_;
    double target_;
    double bump_ = 0.0;
    double last_;
};

}  // namespace vantris::sim
