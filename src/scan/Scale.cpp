#include "scan/Scale.h"

#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {
std::string Format(const char* format, int decimals, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, decimals, value);
    return buffer;
}

// Text placed against a point: the rectangle is wide enough for any label.
void Text(QPainter& p, int x, int y, int alignment, const std::string& text, int charHeight,
          const QColor& color) {
    const QPen pen = p.pen();
    p.setPen(color);
    constexpr int kWide = 2000;
    QRect box;
    const int h = std::max(charHeight, 1) * 2;
    if (alignment & Qt::AlignRight)
        box = QRect(x - kWide, y, kWide, h);
    else if (alignment & Qt::AlignHCenter)
        box = QRect(x - kWide / 2, y, kWide, h);
    else
        box = QRect(x, y, kWide, h);
    if (alignment & Qt::AlignBottom) box.moveBottom(y);
    p.drawText(box, alignment, QString::fromStdString(text));
    p.setPen(pen);
}
}  // namespace

int RoundPixel(double offset) {
    constexpr double kLimit = 4.0e6;
    if (std::isnan(offset)) return static_cast<int>(kLimit);
    offset = std::clamp(offset, -kLimit, kLimit);
    return static_cast<int>(std::lround(offset));
}

LinearSteps LinearStepsFor(double r) {
    if (r <= 0.00999) return {0.001, 0.001, 3};
    if (r <= 0.01999) return {0.001, 0.002, 3};
    if (r <= 0.03999) return {0.005, 0.005, 3};
    if (r <= 0.0999) return {0.005, 0.01, 2};
    if (r <= 0.1999) return {0.01, 0.02, 2};
    if (r <= 0.3999) return {0.05, 0.05, 2};
    if (r < 1) return {0.05, 0.1, 1};
    // From 1 on the bands are taken on the whole part of the range.
    const double w = std::floor(r);
    static const struct {
        double upTo;
        LinearSteps steps;
    } bands[] = {{2, {0.1, 0.2, 1}},       {5, {0.5, 0.5, 1}},      {10, {0.5, 1, 0}},
                 {20, {1, 2, 0}},          {50, {5, 5, 0}},         {100, {5, 10, 0}},
                 {200, {10, 20, 0}},       {500, {50, 50, 0}},      {1000, {50, 100, 0}},
                 {2000, {100, 200, 0}},    {5000, {500, 500, 0}},   {10000, {500, 1000, 0}},
                 {20000, {1000, 2000, 0}}, {50000, {5000, 5000, 0}}};
    for (const auto& band : bands)
        if (w < band.upTo) return band.steps;
    return {5000, 10000, 0};
}

// --- TScale ---------------------------------------------------------------

void TScale::Draw(QPainter*, const ScaleFrame&, AxisTrace*) {}
void TScale::Zoom(int, int, const PlotRect&) {}
int TScale::ToPixel(double) const {
    return 0;
}
double TScale::ToValue(double) const {
    return 0.0;
}

void TScale::TickX(QPainter& p, const ScaleFrame& f, int x, int flags) {
    const PlotRect& r = f.plot;
    if (x == r.left || x == r.right) return;
    if (flags & 4) {
        p.drawLine(x, r.bottom - 1, x, r.top + 1);
        return;
    }
    if (flags & 1) p.drawLine(x, r.bottom, x, r.bottom - f.tickLength);
    if (flags & 2) p.drawLine(x, r.top, x, r.top + f.tickLength);
}

void TScale::TickY(QPainter& p, const ScaleFrame& f, int y, int flags) {
    const PlotRect& r = f.plot;
    if (y == r.top || y == r.bottom) return;
    if (flags & 4) {
        p.drawLine(r.left + 1, y, r.right - 1, y);
        return;
    }
    if (flags & 1) p.drawLine(r.left, y, r.left + f.tickLength, y);
    if (flags & 2) p.drawLine(r.right, y, r.right - f.tickLength, y);
}

int TScale::TickFlags() const {
    switch (tickMode) {
        case 1:
            // The own edge: left and bottom are flag 1, right and top flag 2.
            return (position == Left || position == Bottom) ? 1 : 2;
        case 2:
            return 3;
        case 3:
            return 4;
        default:
            return 0;
    }
}

void TScale::Tick(QPainter& p, const ScaleFrame& f, int pixel, int flags) const {
    if (flags == 0) return;
    if (Horizontal())
        TickX(p, f, pixel, flags);
    else
        TickY(p, f, pixel, flags);
}

// --- TLinScale ------------------------------------------------------------

void TLinScale::Draw(QPainter* p, const ScaleFrame& f, AxisTrace* trace) {
    if (visible.minimum > visible.maximum) std::swap(visible.minimum, visible.maximum);
    double range = visible.maximum - visible.minimum;
    if (!(range >= 0.000999) || !std::isfinite(range)) {
        factor = 0.0;
        return;
    }
    factor = Horizontal() ? f.plot.Width() / range : (f.plot.top - f.plot.bottom) / range;
    if (narrow) range *= 2;
    if (range > 65535 || !p) return;
    const LinearSteps steps = LinearStepsFor(range);
    const double d = steps.tick;
    const double fraction = std::fmod(visible.minimum, d);
    double start = visible.minimum - fraction;
    if (fraction > 0.01 * d) start += d;
    const int flags = TickFlags();
    // Counted steps, so a long run of additions cannot drift past a tick.
    for (int i = 0;; ++i) {
        const double v = start + i * d;
        if (!(v < visible.maximum + 0.01 * d)) break;
        const int offset = ToPixel(v);
        const int pixel = Horizontal() ? f.plot.left + offset : f.plot.bottom + offset;
        const bool zero = zeroLine && std::fabs(v) < 0.01 * d;
        Tick(*p, f, pixel, zero ? 4 : flags);
        if (trace && pixel != (Horizontal() ? f.plot.left : f.plot.bottom) &&
            pixel != (Horizontal() ? f.plot.right : f.plot.top) && flags != 0)
            trace->ticks.push_back(v);
        if (std::fmod(std::fabs(v) + 0.01 * d, steps.label) < 0.02 * d) {
            std::string text = Format("%.*f", steps.decimals, v);
            if (text == "-0" || text.find_first_not_of("-0.") == std::string::npos)
                text = Format("%.*f", steps.decimals, 0.0);
            const int h = f.charHeight;
            switch (position) {
                case Left:
                    Text(*p, f.plot.left - f.charWidth / 2, pixel - h,
                         Qt::AlignRight | Qt::AlignVCenter, text, h, f.textColor);
                    break;
                case Right:
                    Text(*p, f.plot.right + f.charWidth / 2, pixel - h,
                         Qt::AlignLeft | Qt::AlignVCenter, text, h, f.textColor);
                    break;
                case Bottom:
                    Text(*p, pixel, f.plot.bottom + 2, Qt::AlignHCenter | Qt::AlignTop, text, h,
                         f.textColor);
                    break;
                case Top:
                    Text(*p, pixel, f.plot.top - 2, Qt::AlignHCenter | Qt::AlignBottom, text, h,
                         f.textColor);
                    break;
            }
            if (trace) {
                trace->labels.push_back(text);
                trace->labelPixels.push_back(pixel);
            }
        }
    }
}

void TLinScale::Zoom(int low, int high, const PlotRect& plot) {
    const int edge = Horizontal() ? plot.left : plot.bottom;
    if (factor == 0.0) return;
    const double maximum = ToValue(high - edge);
    const double minimum = ToValue(low - edge);
    visible = {minimum, maximum};
    if (minimum + 0.005 > maximum) {
        const double middle = (minimum + maximum) / 2;
        visible = {middle - 0.0025, middle + 0.0025};
    }
}

int TLinScale::ToPixel(double value) const {
    return RoundPixel((value - visible.minimum) * factor);
}

double TLinScale::ToValue(double offset) const {
    return factor == 0.0 ? visible.minimum : visible.minimum + offset / factor;
}

// --- TLogScale ------------------------------------------------------------

void TLogScale::Draw(QPainter* p, const ScaleFrame& f, AxisTrace* trace) {
    const long long n = static_cast<long long>(visible.highest) - visible.lowest;
    if (n <= 0) {
        factor = 0.0;
        return;
    }
    factor = static_cast<double>(f.plot.top - f.plot.bottom) / static_cast<double>(n);
    if (n > 12 || !p) return;
    const bool minor = std::fabs(factor) > 60;
    const int flags = TickFlags();
    static const double kMinor[] = {0.301, 0.4771, 0.6021, 0.699, 0.7782, 0.8451, 0.9031, 0.9542};
    const int h = f.charHeight;
    for (int i = visible.lowest; i <= visible.highest; ++i) {
        const int y = f.plot.bottom + RoundPixel((i - visible.lowest) * factor);
        const std::string text = std::to_string(i);
        if (position == Right)
            Text(*p, f.plot.right + f.charWidth / 2, y - h / 2, Qt::AlignLeft | Qt::AlignTop, text,
                 h, f.textColor);
        else
            Text(*p, f.plot.left - f.charWidth / 2, y - h / 2, Qt::AlignRight | Qt::AlignTop, text,
                 h, f.textColor);
        if (trace) {
            trace->labels.push_back(text);
            trace->labelPixels.push_back(y);
        }
        if (i > visible.lowest) {
            Tick(*p, f, y, flags);
            if (trace && flags != 0 && y != f.plot.top && y != f.plot.bottom)
                trace->ticks.push_back(i);
        }
        if (i < visible.highest && minor) {
            for (double m : kMinor) {
                const int my = f.plot.bottom + RoundPixel((i + m - visible.lowest) * factor);
                Tick(*p, f, my, flags);
                if (trace) trace->minorTicks.push_back(i + m);
            }
        }
    }
}

void TLogScale::Zoom(int low, int high, const PlotRect& plot) {
    if (factor == 0.0) return;
    const double top = std::trunc(DecadeAt(high - plot.bottom) + 1);
    const double bottom = std::trunc(DecadeAt(low - plot.bottom));
    // Decades far outside any quantity are held where an int keeps them.
    visible.highest = static_cast<int>(std::clamp(top, -1000.0, 1000.0));
    visible.lowest = static_cast<int>(std::clamp(bottom, -1000.0, 1000.0));
}

int TLogScale::ToPixel(double value) const {
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0)) return RoundPixel(factor > 0 ? -1e9 : 1e9);
    return RoundPixel((std::log10(magnitude) - visible.lowest) * factor);
}

double TLogScale::ToValue(double offset) const {
    if (factor == 0.0) return std::pow(10.0, visible.lowest);
    return std::pow(10.0, DecadeAt(offset));
}
