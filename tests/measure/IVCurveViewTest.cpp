// The IV curve's window and what its panes draw, on screen and on paper.
#include <QImage>
#include <QPainter>

#include <cmath>

#include "measure/IVCurveMath.h"
#include "measure/IVcurve.h"
#include "records/ProgramState.h"
#include "MeasureTestSupport.h"
#include "TestProgram.h"

namespace {

class IVCurveTest : public MeasureTest {};

TEST_F(IVCurveTest, WithoutAnInstrumentNothingIsSentAndTheDemonstrationShows) {
    Config().noInstrument = true;
    auto& iv = Measured<IVcurve>();
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(iv.Data().curveComplete);
    EXPECT_TRUE(iv.Data().demonstration);
    EXPECT_EQ(iv.Fields().Get(IVcurve::kCurrentLabel), "0.5 mA");
    EXPECT_EQ(iv.Fields().Get(IVcurve::kVoltageLabel), ".75 V");
}

// ---- Where the curves go ----

const QRgb kCurve = qRgb(255, 128, 128);

QImage Render(const IVCurveData& data, const IVPaneGeometry& geometry, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintIVPanes(painter, data, "100 uA", "0.07 V", geometry);
    return image;
}

bool Near(const QImage& image, int x, int y, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour)
                return true;
    return false;
}

// Curve-coloured pixels outside both panes' squares (a wide pen may cover
// the frame line, no more).
int StrayCurvePixels(const QImage& image, const IVPaneGeometry& g) {
    int stray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kCurve) continue;
            bool inside = false;
            for (const QPointF& c : g.centre)
                inside = inside || (std::fabs(x - c.x()) <= g.half + g.penWidth / 2 &&
                                    std::fabs(y - c.y()) <= g.half + g.penWidth / 2);
            if (!inside) ++stray;
        }
    return stray;
}

TEST(IVCurvePanes, CurvesStayInsideTheirPanesAndReachTheFrame) {
    IVCurveData data;
    data.curveComplete = true;
    data.fullScaleVoltage = 0.07;
    data.fullScaleCurrent = 100.0;
    for (int i = 0; i <= 10; ++i) {
        data.sweeps[0][0].push_back({0.007 * i, -10.0 * i});
        data.sweeps[0][1].push_back({-0.007 * i, 10.0 * i});
    }
    // Pair 3-4 twice as resistive: out of the pane at the sixth step.
    for (int i = 0; i <= 6; ++i) data.sweeps[1][0].push_back({0.014 * i, -10.0 * i});
    const IVPaneGeometry screen = IVPaneGeometry::Screen();
    const QImage image = Render(data, screen, QSize(341, 176));
    EXPECT_EQ(StrayCurvePixels(image, screen), 0);
    // Pair 1-2's sweeps run corner to corner; pair 3-4's stops on the right frame.
    EXPECT_TRUE(Near(image, 86 + 40, 88 - 40, kCurve));
    EXPECT_TRUE(Near(image, 86 - 40, 88 + 40, kCurve));
    EXPECT_TRUE(Near(image, 253 + 79, 88 - 40, kCurve));
    EXPECT_FALSE(Near(image, 253 - 40, 88 + 40, kCurve));  // no sweep 1 measured there
    // An unfinished run shows frames and titles only.
    data.curveComplete = false;
    const QImage bare = Render(data, screen, QSize(341, 176));
    EXPECT_FALSE(Near(bare, 86 + 40, 88 - 40, kCurve));
    EXPECT_EQ(bare.pixel(86 - 80, 88 + 30), qRgb(0, 0, 0));
}

TEST(IVCurvePanes, DemonstrationDiagonalsAndThePrintableGeometry) {
    IVCurveData data;
    data.curveComplete = true;
    data.demonstration = true;
    // 100 dots per inch: panes of half-size 100 at (100, 100) and (310, 100).
    const IVPaneGeometry paper = IVPaneGeometry::Printer(QPointF(20, 30), 100.0);
    EXPECT_EQ(paper.half, 100.0);
    EXPECT_EQ(paper.centre[0], QPointF(120, 130));
    EXPECT_EQ(paper.centre[1], QPointF(330, 130));
    EXPECT_EQ(paper.penWidth, 2.0);
    const QImage image = Render(data, paper, QSize(460, 260));
    for (const QPointF& c : paper.centre) {
        EXPECT_TRUE(Near(image, c.x() + 50, c.y() - 50, kCurve));
        EXPECT_TRUE(Near(image, c.x() - 50, c.y() + 50, kCurve));
        EXPECT_TRUE(Near(image, c.x() - 100, c.y() + 60, qRgb(0, 0, 0)));  // left frame
    }
    EXPECT_EQ(StrayCurvePixels(image, paper), 0);

    // Print() fits the panes into a small area instead of running off it.
    ProgramState program;
    UseProgram(program);
    Config().noInstrument = true;
    IVcurve iv(program);
    Config().noInstrument = false;
    QImage page(300, 200, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937);  // 100 dpi
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        iv.Print(painter, QRect(10, 10, 280, 180));
    }
    int rightmost = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixel(x, y) == kCurve) rightmost = std::max(rightmost, x);
    EXPECT_GT(rightmost, 200);
    EXPECT_LT(rightmost, 290);
}

}  // namespace
