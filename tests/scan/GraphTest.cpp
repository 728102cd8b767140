#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSvgGenerator>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/RunConfig.h"
#include "core/StatusFields.h"
#include "scan/Activation.h"
#include "scan/GraphLook.h"
#include "records/GraphStyle.h"
#include "platform/Prompt.h"
#include "scan/ScanDialogs.h"
#include "core/StatusFields.h"
#include "scan/TScanRead.h"
#include "TestProgram.h"

namespace {
constexpr std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (g << 8) | (b << 16);
}

int g_mode = 0;

class Graph : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        Style() = DefaultGraphStyle();
        Style().FrameColor = Rgb(200, 220, 255), Style().N = {4, 3, Rgb(0, 200, 0), Rgb(0, 200, 0)};
        Style().P = {4, 3, Rgb(0, 0, 200), Rgb(0, 0, 200)};
        Style().UN = {4, 3, Rgb(200, 200, 0), Rgb(200, 200, 0)};
        Style().UP = {4, 3, Rgb(0, 200, 200), Rgb(0, 200, 200)};
        Prompt::SetResponder(&responder);
        g_mode = 0;
    }
    void TearDown() override { Prompt::SetResponder(nullptr); }

    // A viewer on a file of the given points.
    std::unique_ptr<TScanRead> Viewer(const std::vector<ScanPoint>& points,
                                      double thickness = 1.0) {
        std::string text = "W\r\nB\r\nD\r\nM\r\n" + ThicknessText(thickness) + "\r\n";
        for (const auto& p : points) text += PointLine(p) + "\r\n";
        auto v = std::make_unique<TScanRead>(Config(), Status(), Style());
        v->SetToolModeSource([] { return g_mode; }, [] { g_mode = 0; });
        v->resize(640, 440);
        std::istringstream in(text);
        EXPECT_TRUE(v->Load(in));
        return v;
    }

    Prompt::ScriptedResponder responder;
    ProgramState program;
};

QColor At(const QImage& image, QPoint p) {
    return image.pixelColor(p);
}

bool AnyPixel(const QImage& image, QRect area, const std::function<bool(QColor)>& test) {
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixelColor(x, y))) return true;
    return false;
}
bool Dark(QColor c) {
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}
bool Red(QColor c) {
    return c.red() > 200 && c.green() < 90 && c.blue() < 90;
}
}  // namespace

TEST_F(Graph, MarkersStandAtTheirValuesOnBothAxes) {
    auto v = Viewer(
        {{100, 1e-2, 1e-3, -1e15, 200}, {200, 1e-1, 2e-3, 3e16, 900}, {300, 1, 3e-3, -4e17, 4000}});
    v->SetGrid(false);
    const QImage image = v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    const double tmin = 99, tmax = 301;  // auto-scaled
    const LogRange conc = v->LeftScale().visible;
    const LogRange mob = v->RightScale()->visible;
    ASSERT_EQ(conc, (LogRange{15, 18}));
    ASSERT_EQ(mob, (LogRange{2, 4}));
    const std::pair<double, double> points[] = {{100, 1e15}, {200, 3e16}, {300, 4e17}};
    const QColor colours[] = {QColor(0, 200, 0), QColor(0, 0, 200), QColor(0, 200, 0)};
    const double mobility[] = {200, 900, 4000};
    // The pixel row of a value on a logarithmic scale.
    auto rowOf = [&r](double value, LogRange s) {
        return r.bottom +
               static_cast<int>(std::lround((std::log10(value) - s.lowest) * (r.top - r.bottom) /
                                            (s.highest - s.lowest)));
    };
    for (int i = 0; i < 3; ++i) {
        const int x =
            r.left +
            static_cast<int>(std::lround((points[i].first - tmin) * r.Width() / (tmax - tmin)));
        const int y = rowOf(points[i].second, conc);
        EXPECT_EQ(At(image, {x, y}), colours[i]) << i;
        EXPECT_EQ(v->LeftMarkerAt(i), QPoint(x, y));
        // Shape 4 of size 3: a square to 3 pixels either side, nothing beyond.
        EXPECT_EQ(At(image, {x + 3, y - 3}), colours[i]);
        EXPECT_NE(At(image, {x + 5, y}), colours[i]);
        const int ym = rowOf(mobility[i], mob);
        const QColor right = i == 1 ? QColor(0, 200, 200) : QColor(200, 200, 0);  // UP, UN
        if (std::abs(ym - y) > 8) {
            EXPECT_EQ(At(image, {x, ym}), right) << i;
        }
    }
}

TEST_F(Graph, LayoutTitlesLegendAndFrame) {
    auto v = Viewer({{100, 1e-2, 1e-3, -1e15, 200}, {300, 1, 3e-3, 4e17, 4000}});
    const QImage image = v->Render({640, 440});
    const ScaleFrame& f = v->Frame();
    const int h = f.charHeight, w = f.charWidth;
    EXPECT_EQ((std::vector<int>{f.plot.left, f.plot.right, f.plot.top, f.plot.bottom}),
              (std::vector<int>{h + 3 * w, 640 - (h + 2 * w), h, 440 - 2 * h}));
    EXPECT_EQ(At(image, {1, 1}), QColor(200, 220, 255));  // FrameColor outside the plot
    const int midY = (f.plot.top + f.plot.bottom) / 2;
    // The rotated left title against the client's left edge, the right one in red.
    EXPECT_TRUE(AnyPixel(image, QRect(0, midY - 40, h, 80), Dark));
    EXPECT_TRUE(AnyPixel(image, QRect(640 - h, midY - 40, h, 80), Red));
    // The x title centred under the plot on the bottom edge.
    const int midX = (f.plot.left + f.plot.right) / 2;
    EXPECT_TRUE(AnyPixel(image, QRect(midX - 20, 440 - h, 40, h), Dark));
    EXPECT_FALSE(AnyPixel(image, QRect(f.plot.left + 2, 440 - h, 20, h), Dark));
    // Legend markers half a character above the plot: n, p, and n, p on the right.
    const int ly = f.plot.top - h / 2;
    EXPECT_EQ(At(image, {f.plot.left + 3 * w, ly}), QColor(0, 200, 0));
    EXPECT_EQ(At(image, {f.plot.left + 9 * w, ly}), QColor(0, 0, 200));
    EXPECT_EQ(At(image, {f.plot.right - 11 * w + 3 * w, ly}), QColor(200, 200, 0));
    EXPECT_EQ(At(image, {f.plot.right - 11 * w + 9 * w, ly}), QColor(0, 200, 200));
    // The resistivity view's legend has "R" and one N marker.
    v->SetView(TScanBase::Resistivity);
    const QImage res = v->Render({640, 440});
    EXPECT_EQ(At(res, {f.plot.left + 3 * w, ly}), QColor(0, 200, 0));
    EXPECT_NE(At(res, {f.plot.left + 9 * w, ly}), QColor(0, 0, 200));
}

TEST_F(Graph, AutoScaleFiguresAndViewRules) {
    auto v = Viewer({{100, 3.2e-3, 0, 0, 0}, {300, 4.1e2, 0, 0, 0}});
    EXPECT_TRUE(v->ResistivityOnly());
    EXPECT_EQ(v->View(), TScanBase::Resistivity);
    EXPECT_EQ(v->temperatureScale_.visible, (LinRange{99, 301}));
    EXPECT_NEAR(v->inverseScale_.visible.minimum, 3.28333, 1e-5);
    EXPECT_NEAR(v->inverseScale_.visible.maximum, 10.05, 1e-12);
    EXPECT_EQ(v->bulkResistivity_.visible, (LogRange{-3, 3}));
    EXPECT_EQ((std::pair{v->Tscale1(), v->Tscale2()}), (std::pair{99, 301}));
    // A resistivity-only scan refuses the concentration views.
    for (int view : {0, 1, 2}) {
        EXPECT_FALSE(v->ViewEnabled(view));
        v->SetView(view);
        EXPECT_EQ(v->View(), TScanBase::Resistivity);
    }
    // Sheet files use the sheet axes.
    auto sheet = Viewer({{100, 3.2e1, 1e-3, 1e12, 100}, {200, 5e3, 2e-3, 1e13, 200}}, 0.0);
    EXPECT_EQ(sheet->View(), TScanBase::ConcMobility);
    EXPECT_EQ(sheet->LeftScale().label, "Log Ns (/cm\xC2\xB2)");
    EXPECT_EQ(sheet->sheetConcentration_.visible, (LogRange{12, 13}));
    sheet->SetView(TScanBase::Resistivity);
    EXPECT_EQ(sheet->LeftScale().label, "Log Rs (ohms/sq)");
    EXPECT_EQ(sheet->sheetResistance_.visible, (LogRange{1, 4}));
    EXPECT_TRUE(sheet->CanAutoScale());
}

TEST_F(Graph, ActivationEnergyFromARubberBandLine) {
    auto v = Viewer({{200, 1, 1e-3, -1e16, 100}, {250, 2, 1e-3, -1e16, 100}});
    v->SetInverse(true);
    v->inverseScale_.visible = {4, 5}, v->bulkResistivity_.visible = {15, 16};
    v->bulkConcentration_.visible = {15, 16};
    v->SetView(TScanBase::Resistivity);
    v->Render({640, 440});
    PlotRect r = v->Frame().plot;
    g_mode = 2;
    v->Press({r.left, r.bottom});
    v->Move({r.right, r.top}, true);
    v->Release({r.right, r.top});
    EXPECT_EQ(v->BandState(), TScanBase::Band::LineComplete);
    v->ActivationCommand();
    EXPECT_EQ(v->ActivationLine().label, "+0.198 eV");
    EXPECT_EQ(v->ActivationLine().state, 1);
    EXPECT_EQ(v->BandState(), TScanBase::Band::Idle);
    // Kept in data units: it follows a later zoom.
    for (auto [got, want] : {std::pair{v->ActivationLine().x1, 4.0},
                             {v->ActivationLine().x2, 5.0},
                             {v->ActivationLine().y2, 16.0}})
        EXPECT_NEAR(got, want, 1e-9);
    // The same rise in a concentration view is a negative energy.
    v->SetView(TScanBase::ConcMobility);
    v->Render({640, 440});
    r = v->Frame().plot;
    v->Press({r.left, r.bottom});
    v->Release({r.right, r.top});
    v->ActivationCommand();
    EXPECT_EQ(v->ActivationLine().label, "-0.198 eV");
    EXPECT_EQ(v->ActivationLine().state, 2);
    // Chosen again without a new line, the line goes.
    v->ActivationCommand();
    EXPECT_EQ(v->ActivationLine().state, 0);
    EXPECT_TRUE(responder.Asked().empty());
    v->ActivationCommand();
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked().back().text, "You must draw a Rubber Band line");
    v->SetInverse(false);
    v->ActivationCommand();
    EXPECT_EQ(responder.Asked().back().text, "You must use 1/T scale");
    EXPECT_EQ(responder.Asked().back().caption, "Activation");
    // A vertical line gives nothing.
    v->SetInverse(true);
    v->Render({640, 440});
    v->Press({r.left + 10, r.bottom});
    v->Release({r.left + 10, r.top});
    v->ActivationCommand();
    EXPECT_EQ(v->ActivationLine().state, 0);
    EXPECT_EQ(v->BandState(), TScanBase::Band::LineComplete);
}

// A drawing on another surface (a printer's page, an SVG) is laid out for
// that surface: the window's plot and its scales' factors, and with them the
// rubber band's energy, a zoom and the read-outs, stay those of the window.
TEST_F(Graph, DrawingOnAnotherSurfaceLeavesTheWindowAsItIs) {
    auto v = Viewer(
        {{200, 1, 1e-3, -1e16, 100}, {250, 2, 1e-3, -1e16, 100}, {300, 4, 1e-3, -1e16, 100}});
    v->SetInverse(true);
    v->SetView(TScanBase::Resistivity);
    v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    auto corners = [](const PlotRect& p) { return std::vector{p.left, p.top, p.right, p.bottom}; };
    auto readouts = [&] {
        v->Move({r.left + 150, r.bottom - 120}, false);
        return std::vector{Status().Readout(0), Status().Readout(1)};
    };
    auto energy = [&] {
        g_mode = 2;
        v->Press({r.left + 40, r.bottom - 30});
        v->Release({r.left + 400, r.top + 60});
        v->ActivationCommand();
        const std::string label = v->ActivationLine().label;
        v->ActivationCommand();  // the line goes again
        return label;
    };
    const auto marker = v->LeftMarkerAt(1);
    const auto shown = readouts();
    const std::string drawn = energy();
    const double zoomFrom = v->XScale().ToValue(100);
    ASSERT_FALSE(drawn.empty());

    // A 300-dpi page with the printout's tick length and pen, and an SVG of
    // another size.
    QImage page(2480, 3508, QImage::Format_ARGB32_Premultiplied);
    page.setDotsPerMeterX(11811), page.setDotsPerMeterY(11811);
    page.fill(Qt::white);
    const QRect area(0, 300, 2480, 2400);
    ASSERT_NE(corners(v->LayOut(page, area, 12, 3).frame.plot), corners(r));
    {
        QPainter p(&page);
        v->Paint(p, area, 12, 3);
    }
    QBuffer svgBytes;
    svgBytes.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&svgBytes);
    svg.setSize({1000, 700});
    {
        QPainter p(&svg);
        v->Paint(p, QRect(0, 0, 1000, 700), 6, 2);
    }

    EXPECT_EQ(corners(v->Frame().plot), corners(r));
    EXPECT_EQ(v->LeftMarkerAt(1), marker);
    EXPECT_EQ(readouts(), shown);
    EXPECT_EQ(energy(), drawn);
    g_mode = 1;
    v->Press({r.left + 100, r.top + 40});
    v->Release({r.left + 300, r.top + 200});
    ASSERT_EQ(v->BandState(), TScanBase::Band::Zoomed);
    EXPECT_DOUBLE_EQ(v->XScale().visible.minimum, zoomFrom);
}

TEST_F(Graph, FitActivationRecoversAKnownEnergy) {
    const double energy = 0.25;
    std::vector<ScanPoint> points;
    for (int i = 0; i < 12; ++i) {
        const double t = 120 + i * 15.0;
        const double decades = energy / kDecadeElectronVolts / t;  // log10 of exp(E/kT)
        points.push_back(
            {t, 1e-4 * std::pow(10.0, decades), 1e-3, -1e19 * std::pow(10.0, -decades), 800});
    }
    auto v = Viewer(points);
    v->FitActivationCommand();
    EXPECT_EQ(responder.Asked().back().text, "You must use 1/T scale");
    EXPECT_EQ(v->FitLine().state, 0);
    v->SetInverse(true);
    v->SetView(TScanBase::Resistivity);
    v->FitActivationCommand();
    EXPECT_EQ(v->FitLine().label, "+0.250 eV \xC2\xB1 0.000 (12 points)");
    EXPECT_EQ(v->FitLine().state, 1);
    // The concentration falls with 1/T as the resistivity rises: the sign rule
    // gives the same positive energy.
    v->SetView(TScanBase::Concentration);
    v->FitActivationCommand();
    EXPECT_EQ(v->FitLine().label, "+0.250 eV \xC2\xB1 0.000 (12 points)");
    EXPECT_EQ(v->FitLine().state, 2);
    // Over the span of a rubber-band line only; the line stays.
    v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    auto px = [&](double t) { return r.left + v->XScale().ToPixel(1000.0 / t); };
    g_mode = 2;
    v->Press({px(300), r.bottom - 10});
    v->Release({px(200), r.top + 10});
    v->FitActivationCommand();
    // 1000/T between 3.33 and 5: the points at 210 ... 285 K.
    EXPECT_EQ(v->FitLine().label, "+0.250 eV \xC2\xB1 0.000 (6 points)");
    EXPECT_EQ(v->BandState(), TScanBase::Band::LineComplete);
    EXPECT_NEAR(std::min(v->FitLine().x1, v->FitLine().x2), 1000.0 / 300, 0.02);
    // Scattered points give a standard error.
    auto noisy = points;
    for (std::size_t i = 0; i < noisy.size(); ++i) noisy[i].resistivity *= (i % 2 ? 1.3 : 0.77);
    auto n = Viewer(noisy);
    n->SetInverse(true);
    n->SetView(TScanBase::Resistivity);
    n->FitActivationCommand();
    std::vector<double> inverseT, resistivity;
    for (auto& p : noisy) inverseT.push_back(1000 / p.T), resistivity.push_back(p.resistivity);
    const auto fit = FitActivation(inverseT, resistivity, -1e9, 1e9, false);
    ASSERT_TRUE(fit.has_value());
    EXPECT_GT(fit->energyError, 0.001);
    EXPECT_NEAR(fit->energy, 0.25, 5 * fit->energyError);
    EXPECT_EQ(n->FitLine().label, FitLabel(*fit));
    // Too few points.
    auto two = Viewer({{100, 1, 0, 0, 0}, {200, 2, 0, 0, 0}});
    two->SetInverse(true);
    two->FitActivationCommand();
    EXPECT_EQ(responder.Asked().back().caption, "Fit Activation");
    EXPECT_EQ(two->FitLine().state, 0);
}

TEST_F(Graph, ZoomRectangleNeedsEightPixels) {
    auto v = Viewer({{100, 1e-2, 1e-3, -1e15, 200}, {300, 1, 3e-3, -4e17, 4000}});
    v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    const LinRange before = v->XScale().visible;
    const double expectedMinimum = v->XScale().ToValue(50);
    g_mode = 1;
    v->Press({r.left + 50, r.top + 50});
    v->Move({r.left + 57, r.top + 150}, true);
    v->Release({r.left + 57, r.top + 150});
    EXPECT_EQ(v->BandState(), TScanBase::Band::Idle);
    EXPECT_EQ(v->XScale().visible, before);
    v->Press({r.left + 50, r.top + 50});
    v->Release({r.left + 150, r.top + 58});
    EXPECT_EQ(v->BandState(), TScanBase::Band::Zoomed);
    EXPECT_DOUBLE_EQ(v->XScale().visible.minimum, expectedMinimum);
    EXPECT_LT(v->XScale().visible.maximum, before.maximum);
    // The right scale keeps its range.
    EXPECT_EQ(v->mobilityScale_.visible, v->mobilityScale_.automatic);
}

TEST_F(Graph, MouseMoveShowsReadoutsWithoutRepaintingTheGraph) {
    auto v = Viewer({{100, 1e-2, 1e-3, -1e15, 200}, {300, 1, 3e-3, -4e17, 4000}});
    v->SetInverse(true);
    v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    const int paints = v->GraphPaints();
    v->Move({r.left, r.bottom}, false);
    char expected[32];
    std::snprintf(expected, sizeof expected, "T= %.1lf", 1000.0 / v->inverseScale_.visible.minimum);
    EXPECT_EQ(Status().Readout(0), expected);
    EXPECT_EQ(Status().Readout(1), "N= 1.00e+15");
    EXPECT_EQ(Status().Readout(2), "\xC2\xB5= 1.00e+02");
    v->SetView(TScanBase::Concentration);
    v->Render({640, 440});
    v->Move({r.left, r.bottom}, false);
    EXPECT_EQ(Status().Readout(2), "");
    v->Move({r.left - 1, r.bottom}, false);
    EXPECT_EQ(Status().Readout(0), "");
    EXPECT_EQ(v->GraphPaints(), paints + 1);  // only the Render above
}

TEST_F(Graph, CommentsSetValueAndTheDump) {
    auto v = Viewer({{100, 1e-2, 1e-3, -1e15, 200}, {300, 1, 3e-3, 4e17, 4000}});
    v->setWindowTitle("run7.tsc");
    v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    g_mode = 4;
    Prompt::ScriptedResponder texts({"a comment that is far longer than thirty-one characters"});
    Prompt::SetResponder(&texts);
    v->Press({r.left + 40, r.bottom - 40});
    ASSERT_EQ(v->Comments().size(), 1u);
    EXPECT_EQ(v->Comments()[0].text.size(), 31u);
    EXPECT_EQ(texts.Asked().back().caption, "Add Comment");
    EXPECT_EQ(g_mode, 0);  // back to the simple cursor
    EXPECT_NEAR(v->Comments()[0].x, v->XScale().ToValue(40), 1e-3);
    // Set Value changes nothing.
    g_mode = 3;
    const auto asked = texts.Asked().size();
    v->Press({r.left + 60, r.bottom - 60});
    v->Release({r.left + 90, r.bottom - 90});
    EXPECT_EQ(v->Comments().size(), 1u);
    EXPECT_EQ(v->BandState(), TScanBase::Band::Idle);
    EXPECT_EQ(texts.Asked().size(), asked);

    std::vector<std::string> lines;
    v->DumpLines(lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "graph: view=0 inverse=0 grid=1 x=99..301 left=15..18 right=2..4 points=2 "
              "activation=\"\" fit=\"\" comments=1 title=\"run7.tsc\"");
    EXPECT_EQ(lines[1], "point: 100.0 1.00e-02 +1.00e-03 -1.00e+15 2.00e+02 title=\"run7.tsc\"");
    v->DeleteComments();
    EXPECT_TRUE(v->Comments().empty());
}

TEST_F(Graph, SetScaleChecksFieldsInOrder) {
    auto v = Viewer({{100, 1e-2, 1e-3, -1e15, 200}, {300, 1, 3e-3, 4e17, 4000}});
    FieldSet f;
    auto fill = [&f](const std::array<const char*, 6>& texts) {
        for (int i = 0; i < 6; ++i) f.Set(102 + i, texts[i]);
    };
    // Each refused at its first bad field; the last one taken.
    const std::pair<std::array<const char*, 6>, int> cases[] = {
        {{"x", "14", "5", "1", "80", "300"}, 102},  {{"20", "20", "5", "1", "80", "300"}, 103},
        {{"20", "14", "5", "7", "80", "300"}, 105}, {{"20", "14", "5", "1", "70", "300"}, 106},
        {{"20", "14", "5", "1", "80", "500"}, 107}, {{"20", "14", "5", "1", "80", "80"}, 107},
        {{" 19 ", "13", "5", "1", "80", "300"}, 0}};
    for (const auto& [texts, refused] : cases) {
        fill(texts);
        EXPECT_EQ(ApplySetScale(*v, f, 77, 475), refused) << ::testing::PrintToString(texts);
        if (refused == 105) {
            EXPECT_EQ(v->LeftScale().set, (LogRange{14, 20}));  // stored before the failure
        }
    }
    EXPECT_EQ(v->Tscale1(), 80);
    EXPECT_NEAR(v->inverseScale_.set.minimum, 1000.0 / 300, 1e-12);
    v->ShowSetRanges();
    EXPECT_EQ(v->LeftScale().visible, (LogRange{13, 19}));
    EXPECT_EQ(v->mobilityScale_.visible, (LogRange{1, 5}));
    EXPECT_DOUBLE_EQ(v->temperatureScale_.visible.maximum, 300);
    // Without a right scale its fields are not looked at.
    v->SetView(TScanBase::Resistivity);
    fill({"3", "-3", "", "", "80", "300"});
    EXPECT_EQ(ApplySetScale(*v, f, 77, 475), 0);
}

TEST_F(Graph, EveryShapeDrawsAndOthersDoNot) {
    for (int shape = 0; shape <= 9; ++shape) {
        QImage image(40, 40, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(Qt::black);
        p.setBrush(Qt::black);
        DrawMarker(p, shape, 4, 20, 20);
        p.end();
        const bool drawn = AnyPixel(image, image.rect(), Dark);
        EXPECT_EQ(drawn, shape >= 1 && shape <= 8) << shape;
        if (shape >= 4 && shape <= 8) {
            EXPECT_TRUE(Dark(image.pixelColor(20, 20))) << shape;
        }
    }
}

TEST(GraphLook, AChosenFontIsHeldToSixToTwentyPoints) {
    GraphStyle style;
    QFont font("DejaVu Sans");
    const std::pair<double, int> sizes[] = {{9.75, -13}, {72.0, -27}, {2.0, -8}, {20.0, -27}};
    for (const auto& [points, height] : sizes) {
        font.setPointSizeF(points);
        TakeGraphFont(style, font);
        EXPECT_EQ(style.FontHeight, height) << points;
    }
    // The style set's own 13-pixel font comes back unchanged through the dialog.
    TakeGraphFont(style, GraphFont(DefaultGraphStyle()));
    EXPECT_EQ(style.FontHeight, -13);
    EXPECT_EQ(GraphFont(style).pixelSize(), 13);
}

// Every point on one power of ten (the rack's 1e17): the axis opens a decade
// each way and the points are drawn at its middle, not lost on an empty range.
TEST_F(Graph, FlatDataOnOnePowerOfTenStillGetAnAxisAndTheirPoints) {
    auto v = Viewer({{100, 1e-2, 1e-3, -1e17, 200},
                     {200, 2e-2, 2e-3, -1e17, 900},
                     {300, 3e-2, 3e-3, -1e17, 4000}});
    v->SetGrid(false);
    ASSERT_EQ(v->LeftScale().visible, (LogRange{16, 18}));
    EXPECT_EQ(v->RightScale()->visible, (LogRange{2, 4}));  // not flat: as before
    const QImage image = v->Render({640, 440});
    const PlotRect r = v->Frame().plot;
    const int middle = (r.top + r.bottom) / 2;
    for (int i = 0; i < 3; ++i) {
        const std::optional<QPoint> marker = v->LeftMarkerAt(i);
        ASSERT_TRUE(marker.has_value()) << i;
        EXPECT_NEAR(marker->y(), middle, 1) << i;
        EXPECT_EQ(At(image, *marker), QColor(0, 200, 0)) << i;
    }
}

// Enter in Data Style applies, wherever the focus is but on another button.
TEST_F(Graph, EnterInDataStyleApplies) {
    TColDlg dialog(nullptr, Style());
    dialog.show();
    QApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// A title is cut to its length in characters: a UTF-8 text is never cut
// inside a character, and a short one is kept whole.
TEST(GraphTexts, TitlesAreCutByCharactersNotBytes) {
    EXPECT_EQ(CutToCharacters("\u00e4\u00f6\u00fc\u00e9\u540d", 3), "\u00e4\u00f6\u00fc");
    EXPECT_EQ(CutToCharacters("Scan 300 K", 79), "Scan 300 K");
    EXPECT_EQ(CutToCharacters(std::string(100, 'x'), 79), std::string(79, 'x'));
}
