#pragma once
// The one temperature controller object. Its class is chosen at start-up from
// the command line; everything else talks to the stage only through it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One PID table entry: seven signed 32-bit integers, in this order.
struct Tpid {
    std::int32_t T = 0;  // lowest set-point (K) from which the entry applies
    std::int32_t P = 0;
    std::int32_t I = 0;
    std::int32_t D = 0;
    std::int32_t M1 = 0;  // LN2: margin (K); ITC5: cryostat margin (K)
    std::int32_t M2 = 0;  // LN2: stabilising time (s); ITC5: sample margin (K)
    std::int32_t M3 = 0;  // ITC5: drift margin (K)
};

// A sorted table of at most twelve entries that never grows beyond them.
class PidTable {
  public:
    static constexpr std::size_t kCapacity = 12;
    // Inserts after every entry with T <= entry.T; false (dropped) when full.
    bool Add(const Tpid& entry);
    // The entry with the greatest T not above the set-point (the last such
    // among equal T); nothing when every entry lies above it or none exists.
    std::optional<Tpid> Select(double setPoint) const;
    const std::vector<Tpid>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

  private:
    std::vector<Tpid> entries_;
};

class TTemp {
  public:
    TTemp() = default;
    virtual ~TTemp() = default;
    TTemp(const TTemp&) = delete;
    TTemp& operator=(const TTemp&) = delete;

    virtual void SetTemperature(double kelvin);
    virtual void ReadTemperature() {}
    virtual void SetControl(int /*mode*/, int /*flag*/) {}
    virtual int ControllerSlot3() { return 0; }

    virtual int Kind() const { return 0; }
    // The table of the classes that keep one; nullptr for the plain object.
    virtual PidTable* Table() { return nullptr; }

    // The reading text fits eight bytes with its terminator; longer texts are cut.
    void SetReadingText(const std::string& text);
    const std::string& ReadingText() const { return readingText_; }

    double present = 0.0;   // kelvin
    double setPoint = 0.0;  // kelvin
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;

  private:
    std::string readingText_;
};

// A controller with a PID table. The three controllers of kinds 1 to 3 derive
// from it; until they exist the program uses this class for those kinds with
// the controller's own commands disabled.
class TTempCon : public TTemp {
  public:
    explicit TTempCon(int kind);
    int Kind() const override { return kind_; }
    PidTable* Table() override { return &table_; }

    std::int32_t tableBase = 0;

  private:
    int kind_;
    PidTable table_;
};

// Stabilisation state shared with the scan run.
struct Stabilization {
    double stabilityMargin = 0.0;
    double sampleMargin = 0.0;
    double driftMargin = 0.0;
    int stabilizeTicks = 0;
};
Stabilization& StabilizationState();

// Applies a selected entry's margins the way each controller does.
void ApplyLn2Margins(const Tpid& entry);
void ApplyItc5Margins(const Tpid& entry);

// Per-kind limits and start set-point: {minimum, maximum, set-point}.
struct KindLimits {
    std::int32_t minimum;
    std::int32_t maximum;
    double setPoint;
};
KindLimits LimitsOfKind(int kind);

// The drift test after a measurement at a scan point: true when the point
// stands (present then becomes the mean of T0 and T1), false to repeat it.
bool DriftTest(int kind, bool forced, double t0, double t1, double& present);
