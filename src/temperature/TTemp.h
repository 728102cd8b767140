#pragma once
// The one temperature controller object. Its class is chosen at start-up from
// the command line; everything else talks to the stage only through it.
//
// Every controller holds what it uses, given at construction: the program's
// bus slot (the GPIB stages talk through it; the hot stage owns its serial
// link) and the run configuration (demo mode, the ITC5's byte-wise link, the
// hot stage's port). Each reports through changed() when its
// temperatures or reading text move, so that a panel can follow them without
// polling the object.
#include <QObject>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ControllerKind.h"

class BusSlot;
struct RunConfig;

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
    bool Full() const { return entries_.size() >= kCapacity; }
    // The entry with exactly this T (the first of equal ones), by bisection.
    Tpid* Find(std::int32_t t);
    // Removes the entries with exactly this T; false when there was none.
    bool Remove(std::int32_t t);

  private:
    std::vector<Tpid> entries_;
};

class TTemp : public QObject {
    Q_OBJECT
  public:
    TTemp(BusSlot& bus, const RunConfig& config) : bus_(bus), config_(config) {}
    ~TTemp() override = default;

    // The four operations of every stage, in this order.
    virtual void SetTemperature(double kelvin);
    virtual void ReadTemperature() {}
    virtual void SetControl(int /*mode*/, int /*flag*/) {}

    virtual ControllerKind Kind() const { return ControllerKind::None; }
    // What the operator calls the controller, in messages ("LN2 controller").
    virtual std::string DeviceName() const { return "temperature stage"; }

    // Whether the last ReadTemperature gave a temperature. The panels show a
    // failed reading as "Error"; whoever records a temperature (the scan)
    // must not take `present` then. True before any reading.
    bool ReadingValid() const { return !readingFailure_.has_value(); }
    // Why the last reading failed; empty when it did not.
    std::string ReadingFailure() const { return readingFailure_.value_or(""); }
    // The table of the classes that keep one; nullptr for the plain object.
    virtual PidTable* Table() { return nullptr; }

    // The reading text fits eight bytes with its terminator; longer texts are cut.
    void SetReadingText(const std::string& text);
    const std::string& ReadingText() const { return readingText_; }

    // The run configuration the controller was made with.
    const RunConfig& Configuration() const { return config_; }
    // True when instrument traffic may go out: not in demo mode, and a bus
    // is installed (demo mode never opens one).
    bool InstrumentLive() const;

    // The temperatures, read-only from outside: whoever moves them goes
    // through the operations below, which tell the panels (changed()).
    const double& present = present_;    // kelvin
    const double& setPoint = setPoint_;  // kelvin
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;

    // The set-point the program keeps for the stage (the settings' TSet,
    // the panels' edits), without sending it.
    void SetSetPoint(double kelvin);
    // The temperature a point was taken at (the scan's mean of T0 and T1).
    void SetPresent(double kelvin);

  signals:
    // The present temperature, the set-point or the reading text changed.
    void changed();

  protected:
    BusSlot& bus_;
    const RunConfig& config_;
    // The controllers' own writes, told through NotifyChanged() once done.
    double present_ = 0.0;
    double setPoint_ = 0.0;

    // Controllers call this after they have moved present, setPoint or the text.
    void NotifyChanged() { emit changed(); }
    // A reading came in: `present` and the text hold it.
    void ReadingSucceeded() { readingFailure_.reset(); }
    // A reading failed: the reason is kept (the text is the class's to set).
    void ReadingFailed(const std::string& why);

  private:
    std::string readingText_;
    std::optional<std::string> readingFailure_;
};

// A controller with a PID table: the base of the controllers of kinds 1 to 3
// (LN2Func, ITC5Func, HotFunc). Alone it sends nothing (tests use it).
class TTempCon : public TTemp {
    Q_OBJECT
  public:
    TTempCon(ControllerKind kind, BusSlot& bus, const RunConfig& config);
    ControllerKind Kind() const override { return kind_; }
    std::string DeviceName() const override;
    PidTable* Table() override { return &table_; }

    // The entry a set-point regulates with. A set-point below every entry
    // (or an empty table) has none: that is refused with an error naming the
    // set-point, before anything is sent, so the stage never runs on factors
    // and margins nobody chose for it.
    Tpid SelectPid(double kelvin) const;

    std::int32_t tableBase = 0;

  protected:
    // Fills the table from the kind's registry key; a key that cannot be
    // opened is shown ("Can't Open Registry Key:", OK and Cancel) and leaves
    // the table empty. False then.
    bool LoadPidTable();

  private:
    ControllerKind kind_;
    PidTable table_;
};

// The object of the kind the command line chose: a plain TTemp at 293 K
// without a controller, else the kind's controller.
std::unique_ptr<TTemp> MakeController(ControllerKind kind, BusSlot& bus, const RunConfig& config);

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

// The drift test after a measurement at a scan point: true when the point
// stands (present then becomes the mean of T0 and T1), false to repeat it.
bool DriftTest(ControllerKind kind, bool forced, double t0, double t1, double& present);
