#pragma once
// Everything a rack configuration file can set, with the built-in defaults.
// docs/rack.md lists every key with its unit.
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantris::sim {

enum class Geometry { Vdp, Bar, Bridge };

struct SpecimenConfig {
    Geometry geometry = Geometry::Vdp;
    double thicknessUm = 1.0;
    bool nType = true;
    double n300Cm3 = 1e17;
    double activationEv = 0.0;
    double mobility300 = 4000.0;  // cm2/Vs
    double mobilityExponent = 1.5;
    double hallFactor = 1.0;
    std::array<double, 4> contactAnglesDeg{0.0, 90.0, 180.0, 270.0};
    // Contacts 1..8; 7 and 8 are the zero reference and are not used.
    std::array<double, 8> contactResistanceOhm{100, 100, 100, 100, 100, 100, 0, 0};
    double contactRadiusMm = 0.05;
    double discDiameterMm = 10.0;
    double barLengthMm = 4.0;  // between the voltage contacts 1 and 4
    double barWidthMm = 1.0;
    double thermoOffsetVolts = 0.0;
    // A rectifying barrier per contact 1..8: a saturation current I0 > 0 adds
    // the junction drop n kT/q asinh(I / 2 I0) in series with the contact
    // resistance (two opposed barriers, so both directions conduct); 0 keeps
    // the contact ohmic.
    std::array<double, 8> contactDiodeSaturationA{};
    std::array<double, 8> contactDiodeIdeality{1, 1, 1, 1, 1, 1, 1, 1};
};

struct MagnetConfig {
    double tesla = 0.5;
    double moveSeconds = 1.5;
};

struct ElectronicsConfig {
    std::string identification = "R44/1.1";
    double complianceVolts = 10.0;
    bool lidOpen = false;
};

// One temperature stage: the stage sensor follows its target with a
// first-order lag; the sample follows the stage with a second lag.
struct ThermalConfig {
    double initialK = 293.0;
    double tauSeconds = 60.0;
    double rampKPerSecond = 0.0;  // 0: no ramp limit
    double overshoot = 0.0;       // fraction of a set-point step
    double sampleTauSeconds = 10.0;
    double sampleOffsetK = 0.0;  // sample minus stage in the steady state
    double baseK = 77.0;         // heater off
    double maxK = 550.0;         // heater at full output
};

struct Ln2Config {
    ThermalConfig thermal{293.0, 60.0, 0.0, 0.0, 10.0, 0.0, 77.0, 550.0};
    double initialMbar = 1000.0;
    double pumpTauSeconds = 30.0;
};

struct Itc5Config {
    ThermalConfig thermal{293.0, 30.0, 0.0, 0.0, 10.0, 0.0, 4.2, 500.0};
    std::string identification = "ITC5 Version 1.00";
};

struct HotConfig {
    ThermalConfig thermal{293.0, 40.0, 0.0, 0.0, 10.0, 0.0, 293.0, 900.0};
};

enum class StageChoice { Auto, Ambient, Ln2, Itc5, Hot };

enum class FaultDevice { Hall, Ln2, Itc5, Hot, Buffer };
enum class FaultKind { Timeout, Garbage, LongReply, NoSrq, MotionFault, LidOpen, Silence };

struct FaultConfig {
    FaultDevice device = FaultDevice::Hall;
    std::optional<std::string> command;  // prefix of the command text that counts
    int secondary = -1;                  // -1: any
    int after = 0;                       // matching events let pass first
    FaultKind kind = FaultKind::Timeout;
    double probability = -1.0;  // < 0: deterministic
    int times = -1;             // -1: once when deterministic, unlimited with a probability
    double seconds = std::numeric_limits<double>::infinity();  // lid-open and silence
    int status = 0x66;                                         // motion-fault byte
};

struct RackConfig {
    std::uint64_t seed = 1;
    double noiseVolts = 0.0;
    SpecimenConfig specimen;
    MagnetConfig magnet;
    ElectronicsConfig electronics;
    StageChoice stage = StageChoice::Auto;
    Ln2Config ln2;
    Itc5Config itc5;
    HotConfig hot;
    // COM1 opens with nothing on it (a lab PC's spare port); a configuration
    // puts the buffer amplifier there with "COM1":"buffer".
    std::map<std::string, std::string> serial{{"COM1", "none"}, {"COM2", "hot"}};
    std::vector<FaultConfig> faults;
};

// Parses a JSON text into config (which starts from the defaults). On failure
// returns false and a message that names the key, e.g.
// "specimen.carrier: expected \"n\" or \"p\"".
bool ParseRackConfig(const std::string& json, RackConfig& config, std::string& error);
// Reads a file and parses it; an empty path gives the defaults.
bool LoadRackConfig(const std::string& path, RackConfig& config, std::string& error);

}  // namespace vantris::sim
