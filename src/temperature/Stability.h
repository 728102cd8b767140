#pragma once
// The scan's wait at a point, one timer tick at a time. The scan reads the
// temperature at the start of each tick (ReadTemperature) and then asks the
// test whether the point may be measured; after each measurement it runs the
// drift test (DriftTest in TTemp.h).
#include <string>

class TTemp;

class StabilityTest {
  public:
    struct Verdict {
        bool ready = false;
        // A new text for the status field ("Stabilizing"), empty for none.
        std::string status;
        // ITC5 only: what the scan panel's cryostat field shows ("N/A" while
        // the heater follows the sample sensor); empty for the other kinds.
        std::string cryostatText;
    };

    explicit StabilityTest(TTemp& controller) : controller_(controller) {}

    // A new point: the LN2 counting phase, its counter and the ITC5's
    // "Stabilizing" shown flag start afresh.
    void Restart();
    // One tick. `force` ("Force Meas") makes the point ready at once for
    // every kind. Kind 2 reads the cryostat temperature (bus errors pass to
    // the caller, which shows them and pauses).
    Verdict Tick(bool force);

    // The LN2 counting phase and its counter, for the scan panel's state.
    bool Counting() const { return counting_; }
    int Ticks() const { return ticks_; }

  private:
    TTemp& controller_;
    bool counting_ = false;
    int ticks_ = 0;
    bool stabilizingShown_ = false;
};
