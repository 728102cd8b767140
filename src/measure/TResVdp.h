#pragma once
// Resistivity of a van der Pauw specimen: four configurations around the rim,
// each with both current polarities, the symmetry ratio and correction factor
// of each adjacent pair, and the mean sheet resistance.
#include <array>
#include <string>

#include "MeasurementWindow.h"

class QPainter;

class TResVdp : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TResVdp(QWidget* parent = nullptr);
    void Measure() override;
    std::string LogBlock() const;
    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;

    double GainScaleValue() const { return gainScale_; }
    const std::array<double, 4>& Averages() const { return vAvg_; }

  private:
    void ChooseGainConfiguration();
    void SetHold();
    void SelectConfiguration(int i);
    void MeasureConfigurations();
    void Compute();

    double gainScale_ = 1.0;
    std::array<double, 4> vAvg_{};
};
