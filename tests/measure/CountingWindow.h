#pragma once
// A measurement that only counts how often a command got to run it, and what
// the run state was while it ran, in a window of its own: for the frame's
// commands, which take windows.
#include <memory>

#include "core/MeasurementState.h"
#include "measure/MeasurementWindow.h"
#include "TestRecords.h"

// A run that only counts how often it was run, for the frame's commands.
class CountingRun : public MeasurementRun {
  public:
    explicit CountingRun(ProgramState& program) : MeasurementRun("COUNT", program) {}
    void Measure() override {
        ++runs;
        busyInside = State().busy;
        cancelInside = State().cancelRequested;
    }
    int runs = 0;
    bool busyInside = false;
    bool cancelInside = true;
};

// Its window, showing what the run saw.
class CountingWindow : public MeasurementWindow {
  public:
    explicit CountingWindow(ProgramState& program)
        : MeasurementWindow(std::make_unique<CountingRun>(program), "Count"),
          runs(Counting().runs),
          busyInside(Counting().busyInside),
          cancelInside(Counting().cancelInside) {}
    int& runs;
    bool& busyInside;
    bool& cancelInside;

  private:
    CountingRun& Counting() { return static_cast<CountingRun&>(Run()); }
};
