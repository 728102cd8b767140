#pragma once
// The bar resistivity window: the two pairs' readings as the run writes them.
#include "measure/BarRun.h"
#include "measure/MeasurementWindow.h"

class ProgramState;
class QPainter;

class TResBar : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TResBar(ProgramState& program, QWidget* parent = nullptr);

    BarRun& Run() { return static_cast<BarRun&>(MeasurementWindow::Run()); }
    const BarRun& Run() const { return static_cast<const BarRun&>(MeasurementWindow::Run()); }

    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;
};
