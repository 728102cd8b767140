#pragma once
// The ITC5 controller at primary 24 (no secondary): one command per carriage
// return; "$" before a command suppresses its reply. With nothing to say the
// controller answers a read with a single byte 0.
#include <deque>
#include <functional>

#include "vantris_sim/GpibDevice.h"
#include "vantris_sim/RackConfig.h"
#include "vantris_sim/ThermalStage.h"

namespace vantris::sim {

class Itc5Controller : public GpibDevice {
  public:
    Itc5Controller(const Itc5Config& config, double now, std::function<void()> onSetPoint);

    char Terminator() const override { return '\r'; }
    void Command(int secondary, const std::string& text, double now) override;
    std::optional<std::string> Reply(int secondary, double now) override;
    int StatusByte(int, double) override { return 0; }
    bool RequestsService(double) override { return false; }
    void Clear(double) override { replies_.clear(); }

    ThermalStage& Thermal() { return thermal_; }
    std::string StatusText() const;

  private:
    bool Execute(const std::string& text, double now, std::string& reply);
    void Retarget(double now);
    int HeaterTenths(double now);

    Itc5Config config_;
    ThermalStage thermal_;
    std::function<void()> onSetPoint_;
    std::deque<std::string> replies_;
    double setPoint_;
    int pid_[3] = {0, 0, 0};
    int heaterSensor_ = 1;  // 1 cryostat, 2 sample
    int autoMode_ = 0;      // bit 0 heater, bit 1 gas, bit 2 gas initial
    int control_ = 0;       // 1 remote
    int heaterOut_ = 0;     // tenths of a percent, manual
    int gasOut_ = 0;
};

}  // namespace vantris::sim
