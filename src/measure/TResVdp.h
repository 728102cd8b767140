#pragma once
// The van der Pauw resistivity window: the configurations' readings, ratios,
// factors and sheet resistances as the run writes them.
#include "measure/MeasurementWindow.h"
#include "measure/VanDerPauwRun.h"

class ProgramState;
class QPainter;

class TResVdp : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TResVdp(ProgramState& program, QWidget* parent = nullptr);

    VanDerPauwRun& Run() { return static_cast<VanDerPauwRun&>(MeasurementWindow::Run()); }
    const VanDerPauwRun& Run() const {
        return static_cast<const VanDerPauwRun&>(MeasurementWindow::Run());
    }

    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;
};
