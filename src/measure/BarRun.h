#pragma once
// Resistivity of a bar or bridge specimen: two voltage pairs along the bar,
// both current polarities, the sheet resistance from the bar's width over
// its length.
#include <string>

#include "measure/MeasurementRun.h"

class BarRun : public MeasurementRun {
    Q_OBJECT
  public:
    // Fields: 1, 2 the pair labels; 10 + i and 20 + i the +++ and - - - readings.
    static constexpr int kPlus = 10;
    static constexpr int kMinus = 20;

    explicit BarRun(ProgramState& program, QObject* parent = nullptr);
    void Measure() override;
    std::string LogBlock() const;

    double GainScaleValue() const { return gainScale_; }
    double VoltageSum() const { return vSum_; }

  private:
    void Steps();

    double gainScale_ = 1.0;
    double vSum_ = 0.0;
};
