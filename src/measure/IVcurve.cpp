#include "measure/IVcurve.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {
constexpr const char* kTitles[2] = {"Con.12", "Con.34"};
const QColor kCurveColour(255, 128, 128);

// half / fullScale for drawing; 0 when there is nothing sensible to scale to.
double DrawingScale(double half, double fullScale) {
    if (fullScale == 0.0 || !std::isfinite(fullScale)) return 0.0;
    return half / fullScale;
}

// A text with its top-left (or top-right) corner at `corner`, on a blank
// background so that a title sitting on the frame line stays readable.
void Text(QPainter& painter, QPointF corner, const QString& text, bool rightAligned,
          bool blankBackground) {
    const QFontMetricsF metrics = painter.fontMetrics();
    const double width = metrics.horizontalAdvance(text);
    const QRectF box(rightAligned ? corner.x() - width : corner.x(), corner.y(), width,
                     metrics.height());
    if (blankBackground) painter.fillRect(box, Qt::white);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void PaintPane(QPainter& painter, int pair, const IVCurveData& data, const QString& currentLabel,
               const QString& voltageLabel, const IVPaneGeometry& geometry) {
    const double half = geometry.half;
    const QPointF c = geometry.centre[pair];
    const QFontMetricsF metrics = painter.fontMetrics();

    painter.setBrush(Qt::NoBrush);
    if (geometry.grid) {
        painter.setPen(QPen(QColor(225, 225, 225), 0));
        for (int k = -9; k <= 9; ++k) {
            if (k == 0) continue;
            const double d = half * k / 10.0;
            painter.drawLine(QPointF(c.x() + d, c.y() - half), QPointF(c.x() + d, c.y() + half));
            painter.drawLine(QPointF(c.x() - half, c.y() + d), QPointF(c.x() + half, c.y() + d));
        }
    }
    painter.setPen(QPen(Qt::black, geometry.penWidth));
    painter.drawRect(QRectF(c.x() - half, c.y() - half, 2 * half, 2 * half));
    painter.drawLine(QPointF(c.x() - half, c.y()), QPointF(c.x() + half, c.y()));
    painter.drawLine(QPointF(c.x(), c.y() - half), QPointF(c.x(), c.y() + half));
    Text(painter,
         QPointF(c.x() + metrics.averageCharWidth() - half, c.y() - half - metrics.height() / 2.0),
         kTitles[pair], false, true);
    if (!data.curveComplete) return;

    Text(painter, QPointF(c.x() - 2, c.y() + metrics.height() - half), currentLabel, true, false);
    Text(painter, QPointF(c.x() + half - 2, c.y() + 1), voltageLabel, true, false);

    painter.setPen(QPen(kCurveColour, geometry.penWidth));
    if (data.demonstration) {
        painter.drawLine(QPointF(c.x() - half, c.y() + half), QPointF(c.x() + half, c.y() - half));
        return;
    }
    const double xScale = DrawingScale(half, data.fullScaleVoltage);
    const double yScale = DrawingScale(half, data.fullScaleCurrent);
    if (xScale == 0.0 || yScale == 0.0) return;
    for (const auto& sweep : data.sweeps[pair]) {
        const std::vector<PanePoint> line = IVMath::SweepLine(sweep, xScale, yScale, half);
        QPolygonF polygon;
        for (const PanePoint& p : line) polygon << QPointF(c.x() + p.x, c.y() + p.y);
        if (polygon.size() >= 2) painter.drawPolyline(polygon);
    }
}
}  // namespace

IVPaneGeometry IVPaneGeometry::Printer(QPointF origin, double dotsPerInch) {
    const double a = std::floor(dotsPerInch);
    IVPaneGeometry geometry;
    geometry.half = a;
    geometry.centre = {origin + QPointF(a, a), origin + QPointF(std::floor(a / 10) + 3 * a, a)};
    geometry.penWidth = 2.0;
    return geometry;
}

void PaintIVPanes(QPainter& painter, const IVCurveData& data, const std::string& currentLabel,
                  const std::string& voltageLabel, const IVPaneGeometry& geometry) {
    painter.save();
    const QString current = QString::fromStdString(currentLabel);
    const QString voltage = QString::fromStdString(voltageLabel);
    for (int pair = 0; pair < 2; ++pair) PaintPane(painter, pair, data, current, voltage, geometry);
    painter.restore();
}

IVcurve::IVcurve(ProgramState& program, QWidget* parent)
    : MeasurementWindow(std::make_unique<IVCurveRun>(program), "IV-curve", parent) {
    connect(&Fields(), &FieldSet::changed, this, [this] { update(); });
    connect(&Run(), &IVCurveRun::dataChanged, this, [this] { update(); });
    setMinimumSize(sizeHint());
}

QSize IVcurve::sizeHint() const {
    const IVPaneGeometry screen = IVPaneGeometry::Screen();
    return QSize(static_cast<int>(screen.centre[1].x() + screen.half) + 8,
                 static_cast<int>(screen.centre[1].y() + screen.half) + 8);
}

void IVcurve::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    // The panes keep their logical geometry and grow with the window, the
    // same in both directions, centred in what is left over; texts and pens
    // keep their size.
    const QSize logical = sizeHint();
    const double scale = std::max(
        1.0, std::min(width() / double(logical.width()), height() / double(logical.height())));
    const QPointF offset((width() - logical.width() * scale) / 2.0,
                         (height() - logical.height() * scale) / 2.0);
    IVPaneGeometry geometry = IVPaneGeometry::Screen();
    geometry.half *= scale;
    for (QPointF& centre : geometry.centre) centre = offset + centre * scale;
    painter.setFont(font());
    PaintIVPanes(painter, Data(), Fields().Get(kCurrentLabel), Fields().Get(kVoltageLabel),
                 geometry);
}

void IVcurve::Print(QPainter& painter, const QRect& area) const {
    double a = painter.device() ? painter.device()->logicalDpiX() : 96.0;
    // The panes need 4.1 inches across and 2 down (and their pens).
    if (area.width() > 0) a = std::min(a, (area.width() - 4) / 4.1);
    if (area.height() > 0) a = std::min(a, (area.height() - 4) / 2.0);
    if (!(a >= 1.0)) return;
    PaintIVPanes(painter, Data(), Fields().Get(kCurrentLabel), Fields().Get(kVoltageLabel),
                 IVPaneGeometry::Printer(area.topLeft(), a));
}
