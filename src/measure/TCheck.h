#pragma once
// The contact check: the two-terminal resistance of the six contact pairs,
// in the unit that suits the measurement current.
#include <string>

#include "MeasurementWindow.h"

class TCheck : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TCheck(QWidget* parent = nullptr);
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
