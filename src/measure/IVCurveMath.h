#pragma once
// The IV curve's arithmetic and texts, free of widgets: the current's unit
// table, where a point lands in its pane, where a sweep's drawn line ends, and
// the log block. The window and its printable form draw what these give.
#include <array>
#include <string>
#include <vector>

// One point of a sweep. Both in physical units whatever path measured it:
// the voltage across the pair in volts at the voltmeter's input (the reading
// divided by the decade gain the full-scale reading ended at), and the
// stored current in microamps, signed (a sweep in the positive direction
// stores -I, so it prints positive in the log and plots upwards).
struct IVPoint {
    double voltage = 0.0;
    double current = 0.0;
};

// [pair][sweep]: pair 0 is contacts 1-2, pair 1 contacts 3-4; sweep 0 runs in
// the positive direction, sweep 1 in the negative one.
using IVSweeps = std::array<std::array<std::vector<IVPoint>, 2>, 2>;

// The display unit of the measurement current (Iunits 0..3, clamped).
struct CurrentUnit {
    const char* text;     // on screen: "mA", "µA" (UTF-8), "nA", "pA"
    const char* logText;  // in files: the micro sign as the Latin-1 byte 0xB5
    double factor;        // display value = microamps x factor
};
CurrentUnit CurrentUnitFor(int iunits);

// A point in a pane: x to the right, y downwards, (0, 0) the pane's centre.
struct PanePoint {
    double x = 0.0;
    double y = 0.0;
};

namespace IVMath {
constexpr int kScreenHalfSize = 80;
constexpr int kStepsPerSweep = 10;  // eleven points from zero to full scale

// half / fullScale; a zero or non-finite full scale raises xmath
// "F.P.Divide By Zero" (a run must not plot with an infinite scale).
double Scale(double half, double fullScale);
// value x scale truncated toward zero; kept within +-1e6 so that any reading
// gives a defined coordinate.
int PaneCoordinate(double value, double scale);
// True when a point at this x lies beyond the pane: the sweep ends there.
bool LeavesPane(int x, int half);

// The line drawn for one sweep: its points at (voltage x xScale, current x
// yScale), both truncated, joined in order, ending where it first reaches the
// frame (|x| or |y| = half). Fewer than two points draw nothing.
std::vector<PanePoint> SweepLine(const std::vector<IVPoint>& points, double xScale, double yScale,
                                 double half);

// The block appended to the log file (CR LF lines, the unit in its file form).
std::string LogBlock(const IVSweeps& sweeps, int iunits);
}  // namespace IVMath
