#include "vantris_sim/ThermalStage.h"

#include <algorithm>
#include <cmath>

namespace vantris::sim {

ThermalStage::ThermalStage(const ThermalConfig& config, double now)
    : config_(config),
      stage_(config.initialK),
      sample_(config.initialK + config.sampleOffsetK),
      target_(config.initialK),
      last_(now) {}

void ThermalStage::SetTarget(double kelvin, double now) {
    Update(now);
    if (kelvin == target_) return;
    bump_ = config_.overshoot * (kelvin - stage_);
    target_ = kelvin;
}

void ThermalStage::Update(double now) {
    double dt = now - last_;
    if (!(dt > 0.0)) return;
    last_ = now;
    // With a constant target and no ramp limit one step is exact; the bump,
    // the ramp limit and the sample's second lag are followed in small steps.
    const double shortest = std::min(config_.tauSeconds, config_.sampleTauSeconds);
    const double steps = std::clamp(std::ceil(dt / (shortest / 50.0)), 1.0, 20000.0);
    const double h = dt / steps;
    const double stageDecay = std::exp(-h / config_.tauSeconds);
    const double sampleDecay = std::exp(-h / config_.sampleTauSeconds);
    for (int i = 0; i < static_cast<int>(steps); ++i) {
        const double goal = target_ + bump_;
        double change = (goal - stage_) * (1.0 - stageDecay);
        if (config_.rampKPerSecond > 0.0) {
            const double limit = config_.rampKPerSecond * h;
            change = std::clamp(change, -limit, limit);
        }
        stage_ += change;
        bump_ *= stageDecay;
        sample_ += (stage_ + config_.sampleOffsetK - sample_) * (1.0 - sampleDecay);
    }
}

double ThermalStage::StageK(double now) {
    Update(now);
    return stage_;
}

double ThermalStage::SampleK(double now) {
    Update(now);
    return sample_;
}

}  // namespace vantris::sim
