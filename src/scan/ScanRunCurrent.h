#pragma once
// The scan's own current search, run at each point when "Auto Set I-meas" is
// ticked: a few Vr readings at + and - current, the current scaled by
// target / Vr until Vr is within 10 % of the shape's target. Unlike the
// configuration's auto-set it reads single voltages at a fixed gain, halves
// the current on an over range and may switch between the buffered and the
// standard electronics between searches.
#include <functional>
#include <string>

class ProgramState;
class QWidget;

namespace ScanCurrent {

// The outcome of one search (also left in measurementStatus).
enum Result : int {
    kFound = 0,          // Vr within 10 % of the target
    kAboveBuffered = 1,  // above the buffer amplifier's maximum
    kBelowBuffered = 2,  // below the buffer amplifier's minimum
    kAboveStandard = 3,  // above the standard electronics' maximum
    kBelowStandard = 4,  // below the standard electronics' minimum
    kAborted = 5,        // the operator's abort
    kFailed = 6,         // an error, its text already shown
    kTriesUsed = 7,      // 39 tries without reaching the target: the last current stands
};

constexpr int kLastTry = 39;

// One search from the present `Current`. Errors other than an over range are
// shown ("Exception:") and end it as kFailed; HallUnit::Disconnect ends
// every search.
Result Search(ProgramState& program, QWidget* owner);

// What the scan does with the searches at one point: searches again after a
// switch of electronics (to the standard electronics after kAboveBuffered;
// to the buffered ones after kBelowStandard, only with a buffer amplifier
// installed), each way at most once. Returns the last search's result.
Result SetCurrentForPoint(ProgramState& program, QWidget* owner);

// "I =" as the scan panel shows it: "%.1f %s" in mA above 1000 uA, in uA
// above 1 uA, in nA above 0.001 uA, else in pA.
std::string CurrentText(double microamperes);

}  // namespace ScanCurrent
