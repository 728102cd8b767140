#pragma once
// The temperature stage fitted to this instrument, chosen once at start-up
// from the command line, and what follows from it: the caption, the limits
// the scan accepts, the set-point at start, the controller's panel and where
// the controller sits on the bus.
#include <cstdint>
#include <optional>

enum class ControllerKind : int {
    None = 0,      // room temperature, or a specimen dipped in LN2 by hand
    LN2 = 1,       // LN2 cryostat controller on GPIB
    ITC5 = 2,      // ITC5 controller on GPIB
    HotStage = 3,  // hot stage on a serial port
};

// Where the instruments answer on the bus.
namespace GpibAddress {
inline constexpr int kHallElectronics = 3;  // with secondary addresses
inline constexpr int kLn2Controller = 12;
inline constexpr int kItc5Controller = 24;
}  // namespace GpibAddress

struct ControllerFacts {
    ControllerKind kind;
    const char* shortName;   // the caption's first word ("RT44WIN Hall System")
    std::int32_t minimum;    // K; 0 and 0 for no controller (no limits)
    std::int32_t maximum;    // K
    double setPointAtStart;  // K
    const char* panel;       // resource name of the kind's panel (Configure > Temperature...)
    std::optional<int> gpibPrimary;  // the controller's own address; none for serial or absent
    bool hasPidTable;
    const char* pidKey;  // below "System": the PID table's key; nullptr without one
};

const ControllerFacts& FactsOf(ControllerKind kind);

// The kind's number as the settings and the dump show it (0 to 3).
constexpr int KindNumber(ControllerKind kind) {
    return static_cast<int>(kind);
}
// A number from outside: nothing when it names no kind.
std::optional<ControllerKind> KindFromNumber(long long number);

// With a controller the program runs in scan mode: the scan menu, the scan
// values in the settings sets, the scan windows.
constexpr bool HasController(ControllerKind kind) {
    return kind != ControllerKind::None;
}
