#pragma once
// The Hall measurement. One cycle measures the misalignment of two diagonal
// configurations and offsets it, reads both configurations with both current
// directions with the field one way ("-F", North) and reversed ("+F+R-F",
// South), brings the magnet back ("+F-R") and combines the eight readings
// into one Hall voltage. The run's Hall voltage is the mean over the cycles
// that succeeded; from it comes the raw sheet Hall coefficient.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "measure/HallComputation.h"
#include "measure/MeasurementRun.h"
#include "core/xmsg.h"

class HallRun : public MeasurementRun {
    Q_OBJECT
  public:
    // Field numbers of the run.
    static constexpr int kLabelField = 1;      // 1, 2: the configuration labels
    static constexpr int kCycleList = 40;      // one line per cycle, '\n'-separated
    static constexpr int kCycleProgress = 41;  // "Cycle k of n" while the run goes
    // Field bases of configuration 0; configuration 1 adds 10.
    static constexpr int kMisalignmentField = 10;  // 10 P, 11 N
    static constexpr int kOffsetField = 12;
    static constexpr int kFieldReadingField = 13;  // North 13 P, 14 N; South 15 P, 16 N
    static constexpr int kMeanField = 17;

    // One reading's field: configuration i, polarity p (0 P, 1 N).
    static constexpr int FieldId(int base, int configuration, int polarity) {
        return base + 10 * configuration + polarity;
    }

    explicit HallRun(ProgramState& program, QObject* parent = nullptr);

    void Measure() override;

    // The "Stop this cycle" button: the running cycle completes, then the run
    // ends. Ignored while the button is disabled.
    void StopThisCycle();
    bool StopEnabled() const { return stopEnabled_; }

    const std::vector<std::string>& CycleLines() const { return cycleLines_; }
    double HallOverAll() const { return hallOverAll_; }
    bool MagnetReversed() const { return magnetReversed_; }
    // The block appended to the log file after each cycle.
    std::string LogBlock() const;

  signals:
    void stopEnabledChanged(bool enabled);

  private:
    void ChooseConfigurations();
    void StartRun();
    void RunCycles();
    // One cycle: misalignment, North, South, back, the cycle's Hall voltage.
    void RunCycle();
    void Misalignment();
    void FieldReadings(int position);
    void SelectConfiguration(int configuration);
    void SelectPolarity(int polarity);
    void CombineCycle();
    void AddCycleLine(const std::string& line);
    // Normal end: ready, disconnect, magnet back, the result.
    void FinishRun();
    // Disconnect and the closing magnet move; also the way out of an abort.
    void DisconnectAndReturnMagnet();
    // Brings the magnet back and the stage out where a broken run left them.
    void ReturnToStart();
    // One motion of the run; a failed one is remembered.
    void Move(const char* command);
    // Before readings: after a failed motion the field is not known, so the
    // run ends with "Motion Error".
    void RequireMagnet() const;
    void StoreResult();
    void SetStopEnabled(bool enabled);

    std::array<HallConfiguration, 2> configurations_;
    int offsetGain_[2] = {0, 0};
    int offsetSteps_[2] = {0, 0};
    double vField_[2][2][2] = {};  // [configuration][polarity][field position]
    double cycleHall_ = 0.0;
    double hallOverAll_ = 0.0;
    bool magnetReversed_ = false;
    bool stageIn_ = false;  // the stage may be inside the magnet
    bool stopRequested_ = false;
    bool stopEnabled_ = false;
    bool motionFailed_ = false;        // a motion of this run ended in "Motion Error"
    std::optional<xmeas> cycleError_;  // why the last failed cycle failed
    int completed_ = 0;                // cycles that gave a Hall voltage in this run
    double sum_ = 0.0;                 // their Hall voltages added up
    std::vector<std::string> cycleLines_;
};
