#pragma once
// Resistivity of a van der Pauw specimen: four configurations around the rim,
// each with both current polarities, the symmetry ratio and correction factor
// of each adjacent pair, and the mean sheet resistance.
#include <array>
#include <string>

#include "measure/MeasurementRun.h"

class VanDerPauwRun : public MeasurementRun {
    Q_OBJECT
  public:
    // Fields: 1..4 the configuration labels, then per configuration i the
    // columns +++ (10 + i), - - - (20 + i), Sym (30 + i), Factor (40 + i)
    // and Sheet-R (50 + i).
    static constexpr int kPlus = 10;
    static constexpr int kMinus = 20;
    static constexpr int kRatio = 30;
    static constexpr int kFactor = 40;
    static constexpr int kSheet = 50;
    static constexpr std::array<int, 5> kValueColumns{kPlus, kMinus, kRatio, kFactor, kSheet};

    explicit VanDerPauwRun(ProgramState& program, QObject* parent = nullptr);
    void Measure() override;
    std::string LogBlock() const;

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
