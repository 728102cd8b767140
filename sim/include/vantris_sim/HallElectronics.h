#pragma once
// The Hall electronics at primary 3: switching matrix, current source with
// read-back, voltmeter front end (decade gain, fine gain, offset), magnet and
// stage drive, contact blaster, identification and status byte.
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "vantris_sim/BufferAmplifier.h"
#include "vantris_sim/GpibDevice.h"
#include "vantris_sim/MagnetStage.h"
#include "vantris_sim/RackConfig.h"
#include "vantris_sim/Specimen.h"

namespace vantris::sim {

class HallElectronics : public GpibDevice {
  public:
    static constexpr double kFullScale = 6.0;
    static constexpr double kOffsetStep = 0.03333;  // volts per offset count at gain 0

    HallElectronics(const RackConfig& config, Specimen& specimen, BufferAmplifier& buffer,
                    std::function<double(double)> temperatureAt, std::mt19937_64& noise);

    void Command(int secondary, const std::string& text, double now) override;
    std::optional<std::string> Reply(int secondary, double now) override;
    int StatusByte(int secondary, double now) override;
    bool RequestsService(double now) override;
    void Overflow(double now) override;

    // The voltage at the voltmeter's input and whether the source saturates.
    struct Input {
        double volts = 0.0;
        bool saturated = false;
    };
    Input MeasureInput(double now);
    // The reading as the front end scales it (over range at |x| >= 6).
    double Reading(double now, bool* saturated = nullptr);

    int StatusWord(double now);
    double Field(double now);
    // Fault injection.
    void ArmNextMotion(const MotionFlags& flags);
    void OpenLid(double now, double seconds);

  private:
    void Update(double now);
    bool LidOpenAt(double t) const { return t >= lidOpenFrom_ && t < lidOpenUntil_; }
    void Abnormal(int code);
    bool SetMatrix(const std::string& text);
    bool SetSource(const std::string& text, bool& outOfRange);
    bool SetVoltmeter(const std::string& text, bool& outOfRange);
    bool Blast(const std::string& text);
    double ContactPotential(int contact, const Drive& drive, bool buffered, double sourceVolts,
                            double kelvin, double tesla) const;
    std::string FormatReading(bool atNine, double now);

    const RackConfig& config_;
    Specimen& specimen_;
    BufferAmplifier& buffer_;
    std::function<double(double)> temperatureAt_;
    std::mt19937_64& noise_;
    MagnetStage magnet_;

    int sourceFrom_ = 0, sourceTo_ = 0;  // 0: source connected nowhere
    int meterHigh_ = 7, meterLow_ = 7;
    bool alternating_ = false;
    bool positive_ = true;
    double currentSet_ = 0.0;  // microamps, as the source was told
    int gain_ = 0;
    int fineGain_ = 255;
    int offset_ = 0;
    int blastPair_ = 0;  // 0 off, 1 contacts 1-2, 2 contacts 3-4
    std::vector<std::uint8_t> pending_;
    MotionFlags nextMotion_;
    double lidOpenFrom_ = 0.0;
    double lidOpenUntil_ = 0.0;
};

}  // namespace vantris::sim
