#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "scan/Scale.h"

namespace {
ScaleFrame FrameOf(int width, int height) {
    ScaleFrame f;
    f.plot = {50, 20, 50 + width, 20 + height};
    return f;
}

AxisTrace DrawTraced(TScale& scale, const ScaleFrame& f) {
    QImage image(f.plot.right + 100, f.plot.bottom + 100, QImage::Format_ARGB32);
    QPainter p(&image);
    AxisTrace trace;
    scale.Draw(&p, f, &trace);
    return trace;
}

std::vector<double> Steps(double from, double to, double step) {
    std::vector<double> out;
    for (double v = from; v <= to + step / 100; v += step) out.push_back(v);
    return out;
}

void ExpectValues(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-9) << i;
}
}  // namespace

TEST(LinearScale, TicksAndLabelsFollowTheRangeAndTheNarrowDoubling) {
    TLinScale t("T (K)", TScale::Bottom, {100, 250});
    t.tickMode = 1;
    auto trace = DrawTraced(t, FrameOf(450, 300));
    // 100 and 250 stand on the plot's edges and get no tick.
    ExpectValues(trace.ticks, Steps(110, 240, 10));
    EXPECT_EQ(trace.labels,
              (std::vector<std::string>{"100", "120", "140", "160", "180", "200", "220", "240"}));
    t.narrow = true;  // a plot below 300 pixels
    trace = DrawTraced(t, FrameOf(250, 300));
    ExpectValues(trace.ticks, {150, 200});
    EXPECT_EQ(trace.labels, (std::vector<std::string>{"100", "150", "200", "250"}));
}

TEST(LinearScale, FirstTickOfAnAutoScaledTemperatureAxis) {
    TLinScale t("T (K)", TScale::Bottom, {99, 301});
    auto trace = DrawTraced(t, FrameOf(404, 300));
    ExpectValues(trace.ticks, Steps(100, 300, 50));
    EXPECT_EQ(trace.labels, (std::vector<std::string>{"100", "150", "200", "250", "300"}));
    // Labels sit centred under their tick.
    EXPECT_EQ(trace.labelPixels.front(), 50 + RoundPixel(1 * 404 / 202.0));
}

TEST(LinearScale, StepTableBandsAndDecimals) {
    struct Case {
        double r, d, l;
        int decimals;
    } cases[] = {{0.005, 0.001, 0.001, 3}, {0.015, 0.001, 0.002, 3}, {0.03, 0.005, 0.005, 3},
                 {0.05, 0.005, 0.01, 2},   {0.15, 0.01, 0.02, 2},    {0.3, 0.05, 0.05, 2},
                 {0.7, 0.05, 0.1, 1},      {1.9, 0.1, 0.2, 1},       {4.99, 0.5, 0.5, 1},
                 {9.5, 0.5, 1, 0},         {19.9, 1, 2, 0},          {350, 50, 50, 0},
                 {65535, 5000, 10000, 0}};
    for (const auto& c : cases) {
        const LinearSteps s = LinearStepsFor(c.r);
        EXPECT_DOUBLE_EQ(s.tick, c.d) << c.r;
        EXPECT_DOUBLE_EQ(s.label, c.l) << c.r;
        EXPECT_EQ(s.decimals, c.decimals) << c.r;
    }
    // An auto-scaled inverse axis: ticks every 0.5 from 3.5, labels on whole units.
    TLinScale inv("1000/T", TScale::Bottom, {3.28333, 10.05});
    auto trace = DrawTraced(inv, FrameOf(400, 300));
    EXPECT_EQ(trace.labels, (std::vector<std::string>{"4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_NEAR(trace.ticks.front(), 3.5, 1e-12);
    // A narrow range keeps its decimals.
    TLinScale small("1000/T", TScale::Bottom, {4.0, 4.3});
    trace = DrawTraced(small, FrameOf(400, 300));
    EXPECT_EQ(trace.labels.front(), "4.00");
    EXPECT_EQ(trace.labels.back(), "4.30");
}

TEST(LinearScale, EmptyAndOversizedRanges) {
    TLinScale t("T (K)", TScale::Bottom, {10, 10.0005});
    auto trace = DrawTraced(t, FrameOf(400, 300));
    EXPECT_EQ(t.factor, 0.0);
    EXPECT_TRUE(trace.labels.empty());
    t.visible = {0, 70000};
    trace = DrawTraced(t, FrameOf(400, 300));
    EXPECT_GT(t.factor, 0.0);  // points are still plotted
    EXPECT_TRUE(trace.labels.empty());
    t.visible = {300, 100};  // swapped into order
    DrawTraced(t, FrameOf(400, 300));
    EXPECT_EQ(t.visible.minimum, 100);
    EXPECT_EQ(t.ToPixel(300), 400);
}

TEST(LinearScale, PixelsRoundHalvesAwayFromZeroAndInvert) {
    TLinScale t("T (K)", TScale::Bottom, {0, 100});
    t.Draw(nullptr, FrameOf(200, 100));  // 2 pixels per kelvin
    EXPECT_EQ(t.ToPixel(1.25), 3);
    EXPECT_EQ(t.ToPixel(-1.25), -3);
    EXPECT_EQ(t.ToPixel(1.24), 2);
    EXPECT_DOUBLE_EQ(t.ToValue(50), 25.0);
    TLinScale y("v", TScale::Left, {0, 10});
    y.Draw(nullptr, FrameOf(200, 100));
    EXPECT_DOUBLE_EQ(y.factor, -10.0);  // vertical factors are negative
    EXPECT_EQ(y.ToPixel(2), -20);
}

TEST(LinearScale, ZoomTakesTheValuesUnderTheRectangleAndKeepsAMinimumWidth) {
    const ScaleFrame f = FrameOf(400, 300);
    TLinScale t("T (K)", TScale::Bottom, {100, 300});
    t.Draw(nullptr, f);  // 2 pixels per kelvin
    t.Zoom(f.plot.left + 100, f.plot.left + 200, f.plot);
    EXPECT_DOUBLE_EQ(t.visible.minimum, 150);
    EXPECT_DOUBLE_EQ(t.visible.maximum, 200);
    TLinScale narrow("1000/T", TScale::Bottom, {4, 4.1});
    narrow.Draw(nullptr, f);  // 4000 pixels per unit: 8 pixels are 0.002
    narrow.Zoom(f.plot.left + 100, f.plot.left + 108, f.plot);
    EXPECT_NEAR(narrow.visible.maximum - narrow.visible.minimum, 0.005, 1e-12);
    EXPECT_NEAR((narrow.visible.maximum + narrow.visible.minimum) / 2, 4.026, 1e-12);
}

TEST(LogScale, DecadesMajorAndMinorTicks) {
    TLogScale n("Log N", TScale::Left, {14, 20});
    auto trace = DrawTraced(n, FrameOf(300, 240));  // 40 pixels per decade
    EXPECT_EQ(trace.labels, (std::vector<std::string>{"14", "15", "16", "17", "18", "19", "20"}));
    ExpectValues(trace.ticks, {15, 16, 17, 18, 19});
    EXPECT_TRUE(trace.minorTicks.empty());
    trace = DrawTraced(n, FrameOf(300, 420));  // 70 pixels per decade
    EXPECT_EQ(trace.minorTicks.size(), 6u * 8u);
    EXPECT_NEAR(trace.minorTicks.front(), 14.301, 1e-9);
    EXPECT_NEAR(trace.minorTicks.back(), 19.9542, 1e-9);
    // Label heights are the decades' pixels, upward from the bottom edge.
    EXPECT_EQ(trace.labelPixels.front(), 20 + 420);
    EXPECT_EQ(trace.labelPixels.back(), 20);
}

TEST(LogScale, EmptyAndTooManyDecades) {
    TLogScale s("Log R", TScale::Left, {3, 3});
    auto trace = DrawTraced(s, FrameOf(300, 240));
    EXPECT_EQ(s.factor, 0.0);
    EXPECT_TRUE(trace.labels.empty());
    s.visible = {0, 13};
    trace = DrawTraced(s, FrameOf(300, 260));
    EXPECT_DOUBLE_EQ(s.factor, -20.0);
    EXPECT_TRUE(trace.labels.empty());
}

TEST(LogScale, PixelsValuesAndZoom) {
    const ScaleFrame f = FrameOf(300, 300);
    TLogScale s("Log N", TScale::Left, {14, 20});
    s.Draw(nullptr, f);  // -50 pixels per decade
    EXPECT_EQ(s.ToPixel(1e16), -100);
    EXPECT_EQ(s.ToPixel(-1e16), -100);  // of the magnitude
    EXPECT_NEAR(s.ToValue(-125), std::pow(10.0, 16.5), 1e6);
    // A rectangle from decade 15.3 up to 16.2.
    s.Zoom(f.plot.bottom - 65, f.plot.bottom - 110, f.plot);
    EXPECT_EQ(s.visible, (LogRange{15, 17}));
}
