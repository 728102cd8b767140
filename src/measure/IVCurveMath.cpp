#include "measure/IVCurveMath.h"

#include <algorithm>
#include <cmath>

#include "core/Printf.h"
#include "measure/ResultComputations.h"
#include "core/xmsg.h"

namespace {
constexpr double kCoordinateLimit = 1e6;
constexpr const char* kPairTitles[2] = {"Con.12", "Con.34"};

bool Inside(const PanePoint& p, double half) {
    return std::fabs(p.x) <= half && std::fabs(p.y) <= half;
}

// Where the segment from `inside` to `outside` first meets the frame.
PanePoint FrameCrossing(const PanePoint& inside, const PanePoint& outside, double half) {
    double t = 1.0;
    auto limit = [&](double from, double to) {
        if (std::fabs(to) <= half) return;
        const double edge = to > 0 ? half : -half;
        t = std::min(t, (edge - from) / (to - from));
    };
    limit(inside.x, outside.x);
    limit(inside.y, outside.y);
    return {inside.x + t * (outside.x - inside.x), inside.y + t * (outside.y - inside.y)};
}
}  // namespace

CurrentUnit CurrentUnitFor(int iunits) {
    // The micro sign: UTF-8 on screen, the Latin-1 byte 0265 in the log.
    static constexpr CurrentUnit kUnits[4] = {
        {"mA", "mA", 0.001}, {"\u00B5A", "\265A", 1.0}, {"nA", "nA", 1000.0}, {"pA", "pA", 1e6}};
    return kUnits[std::clamp(iunits, 0, 3)];
}

namespace IVMath {

double Scale(double half, double fullScale) {
    if (fullScale == 0.0 || !std::isfinite(fullScale)) throw xmath(ResultMath::kDivideByZero);
    return half / fullScale;
}

int PaneCoordinate(double value, double scale) {
    const double product = value * scale;
    if (std::isnan(product)) return 0;
    return static_cast<int>(std::trunc(std::clamp(product, -kCoordinateLimit, kCoordinateLimit)));
}

bool LeavesPane(int x, int half) {
    return x > half || x < -half;
}

std::vector<PanePoint> SweepLine(const std::vector<IVPoint>& points, double xScale, double yScale,
                                 double half) {
    std::vector<PanePoint> line;
    if (points.size() < 2) return line;
    for (const IVPoint& point : points) {
        const PanePoint here{static_cast<double>(PaneCoordinate(point.voltage, xScale)),
                             static_cast<double>(PaneCoordinate(point.current, yScale))};
        if (Inside(here, half)) {
            line.push_back(here);
            continue;
        }
        // The curve runs up to the frame and no further.
        if (!line.empty()) line.push_back(FrameCrossing(line.back(), here, half));
        break;
    }
    if (line.size() < 2) line.clear();
    return line;
}

std::string LogBlock(const IVSweeps& sweeps, int iunits) {
    const CurrentUnit unit = CurrentUnitFor(iunits);
    std::string block = "*** IV Curve ***\r\n";
    for (int pair = 0; pair < 2; ++pair) {
        block += Printf("Contacts %s\r\n", kPairTitles[pair]);
        block += Printf("Volts\t%s\r\n", unit.logText);
        for (const auto& sweep : sweeps[pair])
            for (const IVPoint& point : sweep)
                block += Printf("%.3lf\t%.3lf\r\n", point.voltage, -point.current * unit.factor);
    }
    return block;
}

}  // namespace IVMath
