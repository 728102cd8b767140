#pragma once
// The contact check's window: the pairs and their values as the run writes them.
#include "measure/CheckRun.h"
#include "measure/MeasurementWindow.h"

class ProgramState;
class QPainter;

class TCheck : public MeasurementWindow {
    Q_OBJECT
  public:
    explicit TCheck(ProgramState& program, QWidget* parent = nullptr);

    CheckRun& Run() { return static_cast<CheckRun&>(MeasurementWindow::Run()); }
    const CheckRun& Run() const { return static_cast<const CheckRun&>(MeasurementWindow::Run()); }

    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;
};
