#pragma once
// The contact check: the two-terminal resistance of the six contact pairs,
// in the unit that suits the measurement current.
#include <string>

#include "MeasurementWindow.h"

class QPainter;

class TCheck : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TCheck(QWidget* parent = nullptr);
    void Measure() override;
    // The block appended to the log file.
    std::string LogBlock() const;
    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;

    // Unit text and scale of the check for a current unit (Iunits 0..3).
    struct Unit {
        const char* text;
        double scale;
    };
    static Unit UnitFor(int iunits);

  private:
    void MeasurePairs();
};
