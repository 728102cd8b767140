#include "IVcurve.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "BufferAmplifierLink.h"
#include "GpibBus.h"
#include "HallReadings.h"
#include "HallUnit.h"
#include "MeasurementSettings.h"
#include "Printf.h"
#include "RunConfig.h"
#include "RunFrame.h"
#include "StatusFields.h"
#include "Wait.h"

namespace {
constexpr const char* kTitles[2] = {"Con.12", "Con.34"};
constexpr std::uint8_t kPairBytes[2] = {133, 176};
const QColor kCurveColour(255, 128, 128);
// The fine gain the curve is read at: the voltmeter's full 255 of 256.
constexpr int kCurveFineGain = 255;

void Write(int secondary, const std::string& text) {
    Bus().Write(HallUnit::kPrimary, secondary, text);
}

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

IVcurve::IVcurve(QWidget* parent) : MeasurementWindow("IV", "IV-curve", parent) {
    // Without an instrument the panes show their demonstration lines from the start.
    data_.curveComplete = Config().noInstrument;
    data_.demonstration = Config().noInstrument;
    Fields().Set(kCurrentLabel, "0.5 mA");
    Fields().Set(kVoltageLabel, ".75 V");
    connect(&Fields(), &FieldSet::changed, this, [this] { update(); });
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
    PaintIVPanes(painter, data_, Fields().Get(kCurrentLabel), Fields().Get(kVoltageLabel),
                 geometry);
}

void IVcurve::Changed() {
    update();
}

void IVcurve::Measure() {
    if (Config().noInstrument) return;
    Status().SetText("IV-Curve");
    Status().SetDetail("");
    for (auto& pair : data_.sweeps)
        for (auto& sweep : pair) sweep.clear();
    data_.curveComplete = false;
    Changed();
    Pump();
    const RunEnd end = RunSteps([this] { Run(); });
    FinishRun(end, 2, [this] { return LogBlock(); });
}

void IVcurve::Run() {
    MeasurementSettings& settings = Settings();
    const bool buffered = settings.bufferAmplifierMode;
    const CurrentUnit unit = CurrentUnitFor(settings.Iunits);
    Fields().Set(kCurrentLabel, Printf("%lg %s", settings.Current * unit.factor, unit.text));
    HallUnit::SetCurrent();
    // The sweep steps the source itself; in buffered mode the amplifier divides
    // its value by the range multiplier, which the points are taken back from
    // so that they are microamps on either path.
    const double sourceFullScale = buffered ? settings.bufferSourceValue : settings.Current;
    microampsPerSourceUnit_ =
        buffered && sourceFullScale != 0.0 ? settings.Current / sourceFullScale : 1.0;
    data_.fullScaleCurrent = sourceFullScale * microampsPerSourceUnit_;

    Write(HallUnit::kSource, "DP");
    Write(HallUnit::kVoltmeter, Printf("H%dO0", kCurveFineGain));
    SelectPair(0, buffered);

    // The sweeps read at the gain this reading ends at; dividing by the scale
    // of that gain and of the fine gain, as every other reading of the
    // electronics is, makes the full scale, the label and every point volts.
    double reading = 0.0;
    gain_ = 0;
    HallUnit::MeasureVoltageAutoGain(reading, gain_);
    data_.fullScaleVoltage = reading / GainScale(gain_, kCurveFineGain);
    Fields().Set(kVoltageLabel, Printf("%.2lf V", data_.fullScaleVoltage));
    xScale_ = IVMath::Scale(IVMath::kScreenHalfSize, data_.fullScaleVoltage);
    yScale_ = IVMath::Scale(IVMath::kScreenHalfSize, data_.fullScaleCurrent);
    stepCurrent_ = sourceFullScale * 0.1;

    Sweep(0, 0);
    Write(HallUnit::kSource, "N");
    Sweep(0, 1);
    SelectPair(1, buffered);
    Write(HallUnit::kSource, "P");
    Sweep(1, 0);
    Write(HallUnit::kSource, "N");
    Sweep(1, 1);

    data_.curveComplete = true;
    Changed();
    Status().SetText("Ready");
    Status().SetDetail("");
}

void IVcurve::SelectPair(int pair, bool buffered) {
    if (buffered) {
        BufferAmplifierLink::Send(kPairBytes[pair]);
        Write(HallUnit::kMatrix, pair == 0 ? "S58M12" : "M34");
        Wait::Ms(110);
    } else {
        Write(HallUnit::kMatrix, pair == 0 ? "S12M12" : "S34M34");
    }
}

void IVcurve::Sweep(int pair, int sweep) {
    std::vector<IVPoint>& points = data_.sweeps[pair][sweep];
    const double decade = GainScale(gain_, kCurveFineGain);
    for (int step = 0; step <= IVMath::kStepsPerSweep; ++step) {
        CheckCancel();
        Write(HallUnit::kSource, Printf("I%.1lf", step * stepCurrent_));
        // A reply with no number in it is a failed reading, never a point at 0.
        const double current = HallUnit::ReadCurrent();
        double reading = 0.0;
        if (Settings().Delay != 0) {
            HallUnit::MeasureVoltage(reading);
        } else {
            const HallReading curve =
                ParseCurveReading(Bus().Read(HallUnit::kPrimary, HallUnit::kCurveVoltmeter));
            // Over range ends the sweep without the point.
            if (curve.kind == HallReading::Kind::OverRange) return;
            if (curve.kind == HallReading::Kind::NoNumber)
                throw xmeas("V-meas Unreadable", HallUnit::kNoReadingCode);
            reading = curve.value;
        }
        const IVPoint point{reading / decade,
                            (sweep == 0 ? -current : current) * microampsPerSourceUnit_};
        points.push_back(point);
        Changed();
        // A point beyond the pane is kept and drawn up to the frame; the sweep ends.
        if (IVMath::LeavesPane(IVMath::PaneCoordinate(point.voltage, xScale_),
                               IVMath::kScreenHalfSize))
            return;
    }
}

std::string IVcurve::LogBlock() const {
    return IVMath::LogBlock(data_.sweeps, Settings().Iunits);
}

void IVcurve::Print(QPainter& painter, const QRect& area) const {
    double a = painter.device() ? painter.device()->logicalDpiX() : 96.0;
    // The panes need 4.1 inches across and 2 down (and their pens).
    if (area.width() > 0) a = std::min(a, (area.width() - 4) / 4.1);
    if (area.height() > 0) a = std::min(a, (area.height() - 4) / 2.0);
    if (!(a >= 1.0)) return;
    PaintIVPanes(painter, data_, Fields().Get(kCurrentLabel), Fields().Get(kVoltageLabel),
                 IVPaneGeometry::Printer(area.topLeft(), a));
}

void DumpIVCurve(std::vector<std::string>& lines, const IVcurve& window) {
    const IVSweeps& sweeps = window.Data().sweeps;
    for (int pair = 0; pair < 2; ++pair)
        for (int sweep = 0; sweep < 2; ++sweep)
            for (const IVPoint& point : sweeps[pair][sweep])
                lines.push_back(Printf("iv: %d %d %.9g %.9g", pair, sweep,
                                       // + 0.0 writes the zero step as 0, not -0
                                       point.current + 0.0, point.voltage + 0.0));
}
