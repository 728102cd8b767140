#pragma once
// The IV curve: for the contact pairs 1-2 and 3-4 the current is stepped from
// zero to the measurement current in ten steps, in each direction, and the
// voltage across the pair is read at each step. Straight lines through the
// origin mean ohmic contacts.
#include <string>
#include <vector>

#include "measure/IVCurveMath.h"
#include "measure/MeasurementRun.h"

// What the run gathered for its panes: the sweeps, the full-scale values the
// panes are scaled to (volts and microamps) and whether the curves are drawn.
struct IVCurveData {
    IVSweeps sweeps;
    double fullScaleVoltage = 0.75;
    double fullScaleCurrent = 500.0;
    // The last run ended normally: labels and curves are drawn.
    bool curveComplete = false;
    // No instrument: each pane shows a demonstration diagonal instead.
    bool demonstration = false;
};

class IVCurveRun : public MeasurementRun {
    Q_OBJECT
  public:
    // The label fields: the full-scale current and voltage texts.
    static constexpr int kCurrentLabel = 1;
    static constexpr int kVoltageLabel = 2;

    explicit IVCurveRun(ProgramState& program, QObject* parent = nullptr);
    void Measure() override;

    const IVCurveData& Data() const { return data_; }
    // The block appended to the log file.
    std::string LogBlock() const;

  signals:
    // The sweeps changed (cleared, a point added, the curve completed).
    void dataChanged();

  private:
    void Sweeps();
    void SelectPair(int pair, bool buffered);
    void Sweep(int pair, int sweep);

    IVCurveData data_;
    // Per run: the pane scales, the source's step, the decade gain of the
    // full-scale reading and the microamps per unit of the source's value.
    double xScale_ = 0.0;
    double yScale_ = 0.0;
    double stepCurrent_ = 0.0;
    int gain_ = 0;
    double microampsPerSourceUnit_ = 1.0;
};

// The dump's IV lines, one per point in the order pair, sweep, step:
// "iv: <pair 0|1> <sweep 0|1> <stored signed current, uA> <voltage, V>".
void DumpIVCurve(std::vector<std::string>& lines, const IVCurveRun& run);
