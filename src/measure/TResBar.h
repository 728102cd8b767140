#pragma once
// Resistivity of a bar or bridge specimen: two voltage pairs along the bar,
// both current polarities, the sheet resistance from the bar's width over
// its length.
#include <string>

#include "MeasurementWindow.h"

class QPainter;

class TResBar : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TResBar(QWidget* parent = nullptr);
    void Measure() override;
    std::string LogBlock() const;
    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;

    double GainScaleValue() const { return gainScale_; }
    double VoltageSum() const { return vSum_; }

  private:
    void Steps();

    double gainScale_ = 1.0;
    double vSum_ = 0.0;
};
