#pragma once
// The liquid-nitrogen cryostat controller at primary 12: set-point and
// temperature in tenths of a kelvin, heater output 0..65535, PID factors,
// automatic/manual control, and the cryostat's vacuum pump.
#include <functional>

#include "vantris_sim/GpibDevice.h"
#include "vantris_sim/RackConfig.h"
#include "vantris_sim/ThermalStage.h"

namespace vantris::sim {

class Ln2Controller : public GpibDevice {
  public:
    Ln2Controller(const Ln2Config& config, double now, std::function<void()> onSetPoint);

    void Command(int secondary, const std::string& text, double now) override;
    std::optional<std::string> Reply(int secondary, double now) override;
    int StatusByte(int secondary, double now) override;
    bool RequestsService(double) override { return false; }

    ThermalStage& Thermal() { return thermal_; }
    double VacuumMbar(double now);
    bool Automatic() const { return automatic_; }
    int Heater(double now);

  private:
    enum class Pump { Off, Slow, Fast };
    void Retarget(double now);

    Ln2Config config_;
    ThermalStage thermal_;
    std::function<void()> onSetPoint_;
    int setPointTenths_;
    bool automatic_ = true;
    int heater_ = 0;  // manual output
    int gains_[3] = {0, 0, 0};
    Pump pump_ = Pump::Off;
    bool pumpAutomatic_ = false;
    double logPressure_;
    double pressureTime_;
};

}  // namespace vantris::sim
