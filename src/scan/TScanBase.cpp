#include "scan/TScanBase.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFontMetrics>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "scan/GraphLook.h"
#include "records/GraphStyle.h"
#include "platform/Prompt.h"
#include "records/RecordText.h"
#include "core/RunConfig.h"
#include "scan/ScanDialogs.h"
#include "core/StatusFields.h"

namespace {
std::string G(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

const char* kLightRed = "#ff0000";

// The scale labels carry Windows-1252's superscripts and micro sign; here
// they are UTF-8.
const char* kBulkConcentration = "Log N (/cm\xC2\xB3)";
const char* kSheetConcentration = "Log Ns (/cm\xC2\xB2)";
const char* kMobility = "Log \xC2\xB5 (cm\xC2\xB2/V-s)";
const char* kHall = "Log Hall Coef.(m\xC2\xB2/C)";
}  // namespace

QColor StyleColor(unsigned v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

void DrawMarker(QPainter& p, int shape, int a, int x, int y) {
    switch (shape) {
        case 1:
            p.drawLine(x - a, y - a, x + a, y + a);
            p.drawLine(x + a, y - a, x - a, y + a);
            break;
        case 2:
            p.drawLine(x, y - a, x, y + a);
            p.drawLine(x - a, y, x + a, y);
            break;
        case 3:
            p.drawLine(x - a, y, x + a, y);
            break;
        case 4:
            p.drawRect(x - a, y - a, 2 * a, 2 * a);
            break;
        case 5:
            p.drawEllipse(x - a, y - a, 2 * a, 2 * a);
            break;
        case 6: {
            const QPoint t[] = {{x - a - 1, y + a}, {x, y - a - 1}, {x + a + 1, y + a}};
            p.drawPolygon(t, 3);
            break;
        }
        case 7: {
            const QPoint t[] = {{x - a - 1, y - a}, {x, y + a + 1}, {x + a + 1, y - a}};
            p.drawPolygon(t, 3);
            break;
        }
        case 8: {
            const QPoint t[] = {{x - a - 1, y}, {x, y + a + 1}, {x + a + 1, y}, {x, y - a - 1}};
            p.drawPolygon(t, 4);
            break;
        }
        default:
            break;
    }
}

TScanBase::TScanBase(const RunConfig& config, StatusFields& status, GraphStyle& style,
                     QWidget* parent)
    : QWidget(parent),
      temperatureScale_("T (K)", TScale::Bottom, {50, 400}),
      inverseScale_("1000/T", TScale::Bottom, {2.5, 20}),
      bulkConcentration_(kBulkConcentration, TScale::Left, {12, 20}),
      bulkResistivity_("Log R (ohm-cm)", TScale::Left, {-3, 4}),
      sheetConcentration_(kSheetConcentration, TScale::Left, {8, 16}),
      sheetResistance_("Log Rs (ohms/sq)", TScale::Left, {1, 8}),
      mobilityScale_(kMobility, TScale::Right, {1, 5}),
      hallScale_(kHall, TScale::Right, {-2, 5}),
      config_(config),
      status_(status),
      style_(style) {
    setMinimumSize(kMinWidth, kMinHeight);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    comments_.reserve(10);
}

TScanBase::~TScanBase() = default;

void TScanBase::SetToolModeSource(std::function<int()> mode, std::function<void()> backToCursor) {
    toolMode_ = std::move(mode);
    backToCursor_ = std::move(backToCursor);
}

int TScanBase::ToolMode() const {
    return toolMode_ ? toolMode_() : 0;
}

const TLogScale& TScanBase::LeftScale() const {
    const bool sheet = Header().Sheet();
    if (IsConcentrationView()) return sheet ? sheetConcentration_ : bulkConcentration_;
    return sheet ? sheetResistance_ : bulkResistivity_;
}

TLogScale& TScanBase::LeftScale() {
    return const_cast<TLogScale&>(std::as_const(*this).LeftScale());
}

const TLogScale* TScanBase::RightScale() const {
    if (view_ == ConcMobility) return &mobilityScale_;
    if (view_ == ResHall) return &hallScale_;
    return nullptr;
}

TLogScale* TScanBase::RightScale() {
    return const_cast<TLogScale*>(std::as_const(*this).RightScale());
}

// --- painting ---------------------------------------------------------------

GraphLayout TScanBase::LayOut(const QPaintDevice& device, const QRect& client, int tickLength,
                              int penWidth) const {
    const QFontMetrics metrics(GraphFont(style_), &device);
    const int h = metrics.height();
    const int w = std::max(metrics.averageCharWidth(), 1);
    ScaleFrame f;
    f.charHeight = h;
    f.charWidth = w;
    f.tickLength = tickLength;
    f.penWidth = penWidth;
    f.plot.left = client.left() + h + 3 * w;
    f.plot.right = client.left() + client.width() - (h + 2 * w);
    f.plot.top = client.top() + h;
    f.plot.bottom = client.top() + client.height() - 2 * h;
    // Copies: the factors below belong to this drawing only.
    GraphLayout layout{f, XScale(), LeftScale(), std::nullopt};
    if (const TLogScale* right = RightScale()) layout.right = *right;
    layout.x.tickMode = grid_ ? 3 : 1;
    layout.left.tickMode = grid_ ? 3 : 1;
    layout.x.narrow = f.plot.Width() < 300;
    layout.x.Draw(nullptr, f);
    layout.left.Draw(nullptr, f);
    if (layout.right) {
        layout.right->tickMode = 1;
        layout.right->Draw(nullptr, f);
    }
    return layout;
}

void TScanBase::Paint(QPainter& p, const QRect& client, int tickLength, int penWidth,
                      bool screen) const {
    Paint(p, client, LayOut(*p.device(), client, tickLength, penWidth), screen);
}

void TScanBase::Paint(QPainter& p, const QRect& client, const GraphLayout& layout,
                      bool screen) const {
    p.save();
    const GraphStyle& style = style_;
    p.setFont(GraphFont(style));
    const ScaleFrame& f = layout.frame;
    const int h = f.charHeight;
    const int w = f.charWidth;
    const int tickLength = f.tickLength;
    const int penWidth = f.penWidth;
    const ScanData& data = Data();

    p.fillRect(client, StyleColor(style.FrameColor));
    if (f.plot.Width() <= 0 || f.plot.Height() <= 0) {
        p.restore();
        return;
    }
    p.fillRect(QRect(f.plot.left, f.plot.top, f.plot.Width(), f.plot.Height()), Qt::white);
    const QPen framePen(Qt::black, penWidth);
    p.setPen(framePen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.plot.left, f.plot.top, f.plot.Width(), f.plot.Height());

    // The axes draw on copies: their factors are already this layout's.
    TLinScale x = layout.x;
    TLogScale left = layout.left;
    std::optional<TLogScale> rightCopy = layout.right;
    TLogScale* right = rightCopy ? &*rightCopy : nullptr;
    const QPen tickPen = (screen && grid_) ? QPen(QColor(192, 192, 192), 1) : framePen;
    const int centreY = (f.plot.top + f.plot.bottom) / 2;
    auto verticalTitle = [&](const std::string& text, int edgeX, bool leftSide) {
        p.save();
        p.translate(edgeX, centreY);
        p.rotate(-90);
        // Rotated, y grows toward the right of the page: the left title lies
        // to the right of the client's left edge, the right one to the left
        // of the right edge.
        const QRect box = leftSide ? QRect(-2000, 0, 4000, h) : QRect(-2000, -h, 4000, h);
        p.drawText(box, Qt::AlignHCenter | (leftSide ? Qt::AlignTop : Qt::AlignBottom),
                   QString::fromStdString(text));
        p.restore();
    };

    p.setPen(framePen);
    p.drawText(QRect(f.plot.left, client.top(), f.plot.Width(), client.height()),
               Qt::AlignHCenter | Qt::AlignBottom, QString::fromStdString(x.label));
    p.setPen(tickPen);
    x.Draw(&p, f);
    p.setPen(framePen);
    verticalTitle(left.label, client.left(), true);
    p.setPen(tickPen);
    left.Draw(&p, f);
    if (right) {
        const QPen red(QColor(kLightRed), penWidth);
        p.setPen(red);
        verticalTitle(right->label, client.left() + client.width(), false);
        ScaleFrame rf = f;
        rf.textColor = QColor(kLightRed);
        right->Draw(&p, rf);
    }

    // Legend above the plot's corners.
    auto legendText = [&](int at, const char* text) {
        p.drawText(QRect(at, f.plot.top - h, 10 * w, h), Qt::AlignLeft | Qt::AlignBottom, text);
    };
    auto legendMarker = [&](int at, const PointStyle& s, const PointStyle& colours) {
        p.save();
        p.setPen(QPen(StyleColor(colours.lineColor), penWidth));
        p.setBrush(StyleColor(colours.fillColor));
        const int a = screen ? s.size : s.size * tickLength / 4;
        DrawMarker(p, s.shape, a, at, f.plot.top - h / 2);
        p.restore();
    };
    p.setPen(framePen);
    if (IsConcentrationView()) {
        legendText(f.plot.left, "n");
        legendMarker(f.plot.left + 3 * w, style.N, style.N);
        legendText(f.plot.left + 6 * w, "p");
        legendMarker(f.plot.left + 9 * w, style.P, style.P);
    } else {
        legendText(f.plot.left, "R");
        legendMarker(f.plot.left + 3 * w, style.N, style.N);
    }
    if (right) {
        const int start = f.plot.right - 11 * w;
        p.setPen(QColor(kLightRed));
        legendText(start, "n");
        legendMarker(start + 3 * w, style.UN, style.UN);
        p.setPen(QColor(kLightRed));
        legendText(start + 6 * w, "p");
        legendMarker(start + 9 * w, style.UP, style.UP);
    }

    if (x.factor == 0.0 || left.factor == 0.0) {
        p.restore();
        return;
    }
    p.setClipRect(QRect(f.plot.left, f.plot.top, f.plot.Width() + 1, f.plot.Height() + 1));
    const int family = IsConcentrationView() ? 2 : 1;
    if (inverse_) {
        p.setPen(QPen(Qt::black, penWidth));
        if (activation_.state == family) PaintLine(p, layout, activation_, 0);
        if (fit_.state == family) {
            p.setPen(QPen(Qt::black, penWidth, Qt::DashLine));
            PaintLine(p, layout, fit_, 1);
        }
    }
    for (int i = 0; i < data.count && i < ScanData::kSlots; ++i)
        PaintPoint(p, layout, data.points[i], screen);
    p.setPen(framePen);
    for (const TComment& c : comments_) {
        const int cx = f.plot.left + x.ToPixel(c.x);
        const int cy = f.plot.bottom + left.ToPixel(c.y);
        p.drawText(QRect(cx, cy - 2 * h, 4000, 2 * h), Qt::AlignLeft | Qt::AlignBottom,
                   QString::fromStdString(c.text));
    }
    PaintPlan(p, layout);
    p.restore();
}

void TScanBase::PaintPlan(QPainter& p, const GraphLayout& layout) const {
    // The planned (or measured) temperatures of the live scan as short ticks
    // from the top edge; a scan read from a file has no plan.
    const ScanModel& model = Model();
    const PlotRect& r = layout.frame.plot;
    for (int i = 0; i < model.PlannedCount() && i < ScanData::kSlots; ++i) {
        if (const auto x = XPixelOf(layout, model.Data().points[i].T))
            p.drawLine(*x, r.top, *x, r.top + 4);
    }
}

void TScanBase::PaintLine(QPainter& p, const GraphLayout& layout, const DataLine& line,
                          int row) const {
    const ScaleFrame& f = layout.frame;
    const TLinScale& x = layout.x;
    const TLogScale& left = layout.left;
    auto px = [&](double v) { return f.plot.left + x.ToPixel(v); };
    auto py = [&](double decade) {
        return f.plot.bottom + RoundPixel((decade - left.visible.lowest) * left.factor);
    };
    const QPoint a(px(line.x1), py(line.y1)), b(px(line.x2), py(line.y2));
    p.drawLine(a, b);
    const QPoint mid = (a + b) / 2;
    p.setPen(Qt::black);
    p.drawText(QRect(mid.x(), mid.y() + row * f.charHeight, 4000, 2 * f.charHeight),
               Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(line.label));
}

void TScanBase::PaintPoint(QPainter& p, const GraphLayout& layout, const ScanPoint& point,
                           bool screen) const {
    if (point.T == 0.0) return;
    const GraphStyle& style = style_;
    const ScaleFrame& f = layout.frame;
    const int tickLength = f.tickLength;
    const int penWidth = f.penWidth;
    const TLinScale& xs = layout.x;
    const TLogScale& left = layout.left;
    const TLogScale* right = layout.right ? &*layout.right : nullptr;
    const int x = f.plot.left + xs.ToPixel(inverse_ ? 1000.0 / point.T : point.T);
    const bool pType = point.concentration >= 0;
    const PointStyle& carrier = pType ? style.P : style.N;
    auto marker = [&](const PointStyle& shape, const PointStyle& colours, int y) {
        p.setPen(QPen(StyleColor(colours.lineColor), penWidth));
        p.setBrush(StyleColor(colours.fillColor));
        DrawMarker(p, shape.shape, screen ? shape.size : shape.size * tickLength / 4, x, y);
    };
    if (IsConcentrationView()) {
        if (point.concentration == 0.0) return;
        marker(carrier, carrier, f.plot.bottom + left.ToPixel(point.concentration));
    } else {
        marker(carrier, style.N, f.plot.bottom + left.ToPixel(point.resistivity));
    }
    if (right && point.concentration != 0.0 && right->factor != 0.0) {
        const PointStyle& u = pType ? style.UP : style.UN;
        const double value = view_ == ResHall ? point.hall : point.mobility;
        marker(u, u, f.plot.bottom + right->ToPixel(value));
    }
}

std::optional<QPoint> TScanBase::LeftMarkerAt(int slot) const {
    if (slot < 0 || slot >= Data().count) return std::nullopt;
    const ScanPoint& pt = Data().points[slot];
    if (pt.T == 0.0 || (IsConcentrationView() && pt.concentration == 0.0)) return std::nullopt;
    const GraphLayout layout = WindowLayout();
    const int x = layout.frame.plot.left + layout.x.ToPixel(inverse_ ? 1000.0 / pt.T : pt.T);
    const double v = IsConcentrationView() ? pt.concentration : pt.resistivity;
    return QPoint(x, layout.frame.plot.bottom + layout.left.ToPixel(v));
}

QImage TScanBase::Render(const QSize& size, int tickLength, int penWidth) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    Paint(p, QRect(QPoint(0, 0), size), tickLength, penWidth, true);
    ++graphPaints_;
    return image;
}

void TScanBase::Invalidate() {
    cacheValid_ = false;
    update();
}

void TScanBase::DrawPoint(int slot) {
    if (slot < 0 || slot >= ScanData::kSlots) return;
    if (!cacheValid_ || cache_.isNull()) {
        Invalidate();
        return;
    }
    // Onto the painted graph: the rest stays as it is.
    QPainter p(&cache_);
    const GraphLayout layout = WindowLayout();
    if (layout.x.factor != 0.0 && layout.left.factor != 0.0) {
        const PlotRect& r = layout.frame.plot;
        p.setClipRect(QRect(r.left, r.top, r.Width() + 1, r.Height() + 1));
        PaintPoint(p, layout, Data().points[slot], true);
    }
    p.end();
    update();
}

void TScanBase::EnsureScales() {
    const GraphLayout layout = WindowLayout();
    frame_ = layout.frame;
    XScale().factor = layout.x.factor;
    LeftScale().factor = layout.left.factor;
    if (TLogScale* r = RightScale()) r->factor = layout.right ? layout.right->factor : 0.0;
}

const ScaleFrame& TScanBase::Frame() const {
    const_cast<TScanBase*>(this)->EnsureScales();
    return frame_;
}

GraphLayout TScanBase::WindowLayout() const {
    // Measured as the window's paint measures: on an image, at the window's size.
    static const QImage measure(1, 1, QImage::Format_ARGB32_Premultiplied);
    const QRect own(0, 0, std::max(width(), kMinWidth), std::max(height(), kMinHeight));
    return LayOut(measure, own, 4, 1);
}

void TScanBase::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (!cacheValid_ || cache_.size() != pixels) {
        cache_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        cache_.setDevicePixelRatio(ratio);
        cache_.fill(Qt::white);
        QPainter cp(&cache_);
        Paint(cp, rect(), 4, 1, true);
        ++graphPaints_;
        cacheValid_ = true;
    }
    QPainter p(this);
    p.drawImage(0, 0, cache_);
    // The overlay: what the tools drag, and the live scan's markers.
    if (band_ == Band::DraggingRect) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        const QRect r = QRect(bandStart_, bandEnd_).normalized();
        p.drawRect(r.left(), r.top(), r.width() - 1, r.height() - 1);
    } else if (band_ == Band::DraggingLine || band_ == Band::LineComplete) {
        p.setPen(QPen(StyleColor(style_.RubberColor), 1));
        p.drawLine(bandStart_, bandEnd_);
    }
    PaintOverlay(p);
}

void TScanBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Invalidate();
}

// At most `count` characters of a Unicode text, never part of one.
std::string CutToCharacters(const std::string& text, int count) {
    const std::u32string characters = QString::fromStdString(text).toStdU32String();
    if (characters.size() <= static_cast<std::size_t>(count)) return text;
    return QString::fromStdU32String(characters.substr(0, static_cast<std::size_t>(count)))
        .toStdString();
}

// --- views and scales ---------------------------------------------------------

void TScanBase::SetView(int view) {
    if (view < 0 || view > 3 || !ViewEnabled(view)) return;
    view_ = view;
    Invalidate();
    emit viewChanged();
}

void TScanBase::SetInverse(bool inverse) {
    inverse_ = inverse;
    Invalidate();
    emit viewChanged();
}

void TScanBase::SetGrid(bool on) {
    grid_ = on;
    Invalidate();
}

void TScanBase::AutoScale() {
    const ScanData& data = Data();
    if (data.count == 0) return;
    const Extent& t = data.T;
    temperatureScale_.automatic = {t.minimum - 1, t.maximum + 1};
    temperatureScale_.visible = temperatureScale_.automatic;
    inverseScale_.automatic = {1000.0 / t.maximum - 0.05, 1000.0 / t.minimum + 0.05};
    inverseScale_.visible = inverseScale_.automatic;
    auto decades = [](TLogScale& s, const Extent& e) {
        if (!(e.minimum > 0) || !(e.maximum > 0)) return;
        double lo = std::floor(std::log10(e.minimum));
        double hi = std::ceil(std::log10(e.maximum));
        // Data that lie on one power of ten (every point at 1e17) give no
        // decade to draw in: the range opens by one decade each way.
        if (lo == hi) --lo, ++hi;
        s.automatic = {static_cast<int>(std::clamp(lo, -400.0, 400.0)),
                       static_cast<int>(std::clamp(hi, -400.0, 400.0))};
        s.visible = s.automatic;
    };
    const bool sheet = Header().Sheet();
    decades(sheet ? sheetResistance_ : bulkResistivity_, data.resistivity);
    if (!data.resistivityOnly) {
        decades(sheet ? sheetConcentration_ : bulkConcentration_, data.concentration);
        decades(mobilityScale_, data.mobility);
        decades(hallScale_, data.hall);
    }
    Invalidate();
}

void TScanBase::SetTemperatureRange(int low, int high) {
    tscale1_ = low;
    tscale2_ = high;
    temperatureScale_.set = {static_cast<double>(low), static_cast<double>(high)};
    // The dialog refuses 0 K; a range from elsewhere keeps 1000/T finite.
    if (low > 0 && high > 0) inverseScale_.set = {1000.0 / high, 1000.0 / low};
}

void TScanBase::ShowSetRanges() {
    temperatureScale_.visible = temperatureScale_.set;
    inverseScale_.visible = inverseScale_.set;
    TLogScale& left = LeftScale();
    left.visible = left.set;
    if (TLogScale* r = RightScale()) r->visible = r->set;
    Invalidate();
}

std::optional<int> TScanBase::XPixelOfTemperature(double kelvin) const {
    return XPixelOf(WindowLayout(), kelvin);
}

std::optional<int> TScanBase::XPixelOf(const GraphLayout& layout, double kelvin) const {
    if (layout.x.factor == 0.0 || !(kelvin > 0)) return std::nullopt;
    return layout.frame.plot.left + layout.x.ToPixel(inverse_ ? 1000.0 / kelvin : kelvin);
}

// --- commands -------------------------------------------------------------------

void TScanBase::ActivationCommand() {
    if (!inverse_) {
        Prompt::Message(this, "You must use 1/T scale", "Activation");
        return;
    }
    if (band_ == Band::LineComplete) {
        if (bandStart_.x() == bandEnd_.x()) return;
        band_ = Band::Idle;
        EnsureScales();
        TLinScale& x = XScale();
        TLogScale& left = LeftScale();
        if (x.factor == 0.0 || left.factor == 0.0) {
            Invalidate();
            return;
        }
        const bool concentration = IsConcentrationView();
        const double energy =
            LineActivationEnergy(bandEnd_.x() - bandStart_.x(), bandEnd_.y() - bandStart_.y(),
                                 x.factor, left.factor, concentration);
        activation_.state = concentration ? 2 : 1;
        activation_.label = ActivationLabel(energy);
        activation_.x1 = x.ToValue(bandStart_.x() - frame_.plot.left);
        activation_.x2 = x.ToValue(bandEnd_.x() - frame_.plot.left);
        activation_.y1 = left.DecadeAt(bandStart_.y() - frame_.plot.bottom);
        activation_.y2 = left.DecadeAt(bandEnd_.y() - frame_.plot.bottom);
        Invalidate();
        return;
    }
    if (activation_.state != 0) {
        activation_.state = 0;
        Invalidate();
        return;
    }
    Prompt::Message(this, "You must draw a Rubber Band line", "Activation");
}

void TScanBase::FitActivationCommand() {
    if (!inverse_) {
        Prompt::Message(this, "You must use 1/T scale", "Fit Activation");
        return;
    }
    EnsureScales();
    const bool concentration = IsConcentrationView();
    std::vector<double> xs, qs;
    const ScanData& data = Data();
    for (int i = 0; i < data.count && i < ScanData::kSlots; ++i) {
        const ScanPoint& pt = data.points[i];
        if (pt.T == 0.0 || (concentration && pt.concentration == 0.0)) continue;
        xs.push_back(1000.0 / pt.T);
        qs.push_back(concentration ? pt.concentration : pt.resistivity);
    }
    double low = -HUGE_VAL, high = HUGE_VAL;
    const bool band = band_ == Band::LineComplete && XScale().factor != 0.0;
    if (band) {
        low = XScale().ToValue(bandStart_.x() - frame_.plot.left);
        high = XScale().ToValue(bandEnd_.x() - frame_.plot.left);
        if (low > high) std::swap(low, high);
    }
    const auto fit = FitActivation(xs, qs, low, high, concentration);
    if (!fit) {
        Prompt::Message(this, "A fit needs at least 3 points at different temperatures",
                        "Fit Activation");
        return;
    }
    fit_.state = concentration ? 2 : 1;
    fit_.x1 = band ? low : fit->xLow;
    fit_.x2 = band ? high : fit->xHigh;
    fit_.y1 = fit->intercept + fit->slope * fit_.x1;
    fit_.y2 = fit->intercept + fit->slope * fit_.x2;
    fit_.label = FitLabel(*fit);
    Invalidate();
}

void TScanBase::SetScaleCommand() {
    RunSetScaleDialog(*this);
}

std::string TScanBase::InfoText() const {
    const ScanHeader h = Header();
    char thickness[64];
    std::snprintf(thickness, sizeof thickness, "Thickness: %.3lf", h.Thickness);
    // The header and the labels are the file's and the registry's 8-bit
    // text; the box shows Unicode, as the title already is.
    auto shown = [](const std::string& record) { return FromRecordText(record).toStdString(); };
    std::string text = "File: " + Title() + "\r\n" + shown(config_.ID1) + ": " + shown(h.WaferID) +
                       "\r\n" + shown(config_.ID2) + ": " + shown(h.BatchID) + "\r\n" +
                       shown(h.Description) + "\r\nMaterial: " + shown(h.Material) + "\r\n" +
                       thickness + "\r\n";
    for (const std::string& note : ReadNotes()) text += note + "\r\n";
    return text;
}

void TScanBase::InfoCommand() {
    RunInfoDialog(*this);
}

void TScanBase::ChangeTitleCommand() {
    const auto title = Prompt::Text(this, "Change Title", "Enter new title", "");
    if (!title) return;
    setWindowTitle(QString::fromStdString(CutToCharacters(*title, kTitleChars)));
}

void TScanBase::DeleteComments() {
    comments_.clear();
    Invalidate();
}

void TScanBase::CopyBitmap() {
    QApplication::clipboard()->setImage(Render(size()));
}

void TScanBase::CopyMetafile() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(windowTitle());
    {
        QPainter p(&svg);
        Paint(p, rect(), 4, 1, false);
    }
    auto* mime = new QMimeData;
    mime->setData("image/svg+xml", bytes);
    mime->setImageData(Render(size()));
    QApplication::clipboard()->setMimeData(mime);
}

// --- tools ------------------------------------------------------------------------

void TScanBase::Press(QPoint at) {
    switch (ToolMode()) {
        case 1:
            band_ = Band::DraggingRect;
            bandStart_ = bandEnd_ = at;
            update();
            break;
        case 2:
            // A complete line is taken off before the new one starts.
            band_ = Band::DraggingLine;
            bandStart_ = bandEnd_ = at;
            update();
            break;
        case 4:
            AddCommentAt(at);
            break;
        default:
            // The simple cursor and "Set Value" do nothing in a graph: a
            // click must not change what the operator is reading.
            break;
    }
}

void TScanBase::Move(QPoint at, bool leftHeld) {
    Readouts(at);
    if (!leftHeld) return;
    if (band_ == Band::DraggingRect || band_ == Band::DraggingLine) {
        bandEnd_ = at;
        update();  // the overlay only: the painted graph is kept
    }
}

void TScanBase::Release(QPoint at) {
    if (band_ == Band::DraggingRect) {
        bandEnd_ = at;
        const QRect r = QRect(bandStart_, bandEnd_).normalized();
        const int w = std::abs(bandEnd_.x() - bandStart_.x());
        const int h = std::abs(bandEnd_.y() - bandStart_.y());
        if (w < 8 || h < 8) {
            band_ = Band::Idle;
            update();
            return;
        }
        band_ = Band::Zoomed;
        lastZoom_ = r;
        EnsureScales();
        XScale().Zoom(std::min(bandStart_.x(), bandEnd_.x()),
                      std::max(bandStart_.x(), bandEnd_.x()), frame_.plot);
        LeftScale().Zoom(std::max(bandStart_.y(), bandEnd_.y()),
                         std::min(bandStart_.y(), bandEnd_.y()), frame_.plot);
        Invalidate();
    } else if (band_ == Band::DraggingLine) {
        bandEnd_ = at;
        band_ = Band::LineComplete;
        update();
    }
}

void TScanBase::Readouts(QPoint at) {
    EnsureScales();
    if (!frame_.plot.Contains(at.x(), at.y()) || XScale().factor == 0.0 ||
        LeftScale().factor == 0.0) {
        for (int i = 0; i < 3; ++i) status_.SetReadout(i, "");
        return;
    }
    char b[64];
    const double xv = XScale().ToValue(at.x() - frame_.plot.left);
    std::snprintf(b, sizeof b, "T= %.1lf", inverse_ ? 1000.0 / xv : xv);
    status_.SetReadout(0, b);
    std::snprintf(b, sizeof b, "%s= %.2e", IsConcentrationView() ? "N" : "R",
                  LeftScale().ToValue(at.y() - frame_.plot.bottom));
    status_.SetReadout(1, b);
    TLogScale* right = RightScale();
    if (right && right->factor != 0.0) {
        std::snprintf(b, sizeof b, "%s= %.2e", view_ == ResHall ? "Rh" : "\xC2\xB5",
                      right->ToValue(at.y() - frame_.plot.bottom));
        status_.SetReadout(2, b);
    } else {
        status_.SetReadout(2, "");
    }
}

void TScanBase::AddCommentAt(QPoint at) {
    const auto text = Prompt::Text(this, "Add Comment", "starts at cursor position", "");
    if (!text) return;
    AddComment(at, *text);
    if (backToCursor_) backToCursor_();
}

void TScanBase::AddComment(QPoint at, const std::string& text) {
    EnsureScales();
    TComment c;
    c.x = static_cast<float>(XScale().ToValue(at.x() - frame_.plot.left));
    c.y = static_cast<float>(LeftScale().ToValue(at.y() - frame_.plot.bottom));
    c.text = CutToCharacters(text, kTextChars);
    comments_.push_back(std::move(c));
    Invalidate();
}

void TScanBase::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Press(e->position().toPoint());
}
void TScanBase::mouseMoveEvent(QMouseEvent* e) {
    Move(e->position().toPoint(), e->buttons() & Qt::LeftButton);
}
void TScanBase::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Release(e->position().toPoint());
}

// --- dump -----------------------------------------------------------------------------

void TScanBase::DumpLines(std::vector<std::string>& lines) const {
    const TLinScale& x = XScale();
    const TLogScale& left = LeftScale();
    const TLogScale* right = RightScale();
    std::string line =
        "graph: view=" + std::to_string(view_) + " inverse=" + (inverse_ ? "1" : "0") +
        " grid=" + (grid_ ? "1" : "0") + " x=" + G(x.visible.minimum) + ".." +
        G(x.visible.maximum) + " left=" + std::to_string(left.visible.lowest) + ".." +
        std::to_string(left.visible.highest) + " right=" +
        (right
             ? std::to_string(right->visible.lowest) + ".." + std::to_string(right->visible.highest)
             : std::string("none")) +
        " points=" + std::to_string(Data().count) + " activation=\"" +
        (activation_.state ? activation_.label : "") + "\" fit=\"" +
        (fit_.state ? fit_.label : "") + "\" comments=" + std::to_string(comments_.size()) +
        " title=\"" + Title() + "\"";
    lines.push_back(line);
    for (int i = 0; i < Data().count && i < ScanData::kSlots; ++i)
        lines.push_back("point: " + PointLine(Data().points[i]) + " title=\"" + Title() + "\"");
    for (const std::string& note : ReadNotes())
        lines.push_back("readnote: " + note + " title=\"" + Title() + "\"");
}
