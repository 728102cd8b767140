#pragma once
// The contact check: the two-terminal resistance of the six contact pairs,
// in the unit that suits the measurement current.
#include <string>

#include "measure/MeasurementRun.h"

class CheckRun : public MeasurementRun {
    Q_OBJECT
  public:
    // Fields: 1..6 the pair labels, 9 the unit, 10..15 the pairs' values.
    static constexpr int kUnitField = 9;
    static constexpr int kFirstValue = 10;
    static constexpr int kPairs = 6;

    explicit CheckRun(ProgramState& program, QObject* parent = nullptr);
    void Measure() override;
    // The block appended to the log file.
    std::string LogBlock() const;

    // Unit text and scale of the check for a current unit (Iunits 0..3).
    struct Unit {
        const char* text;
        double scale;
    };
    static Unit UnitFor(int iunits);

  private:
    void MeasurePairs();
};
