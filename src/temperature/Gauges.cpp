#include "temperature/Gauges.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>

#include "temperature/ControllerReplies.h"

namespace {
constexpr int kBarLength = 100;
constexpr int kBarHeight = 14;
constexpr int kMargin = 4;
}  // namespace

TPercentControl::TPercentControl(const QString& label, int id, QWidget* parent)
    : TPercentControl(label, id, parent, "0", "100", 10) {}

TPercentControl::TPercentControl(const QString& label, int id, QWidget* parent, QString low,
                                 QString high, int tickEvery)
    : QAbstractSlider(parent),
      label_(label),
      low_(std::move(low)),
      high_(std::move(high)),
      tickEvery_(tickEvery) {
    setObjectName(QString("control%1").arg(id));
    setAccessibleName(label);
    setRange(0, 100);
    setOrientation(Qt::Horizontal);
    setTracking(false);  // one report when the operator lets go
    setSingleStep(1);
    setPageStep(10);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TPercentControl::Show(int percent) {
    const QSignalBlocker quiet(this);
    setValue(GaugePercent(percent));
    update();
}

// Every gauge's bar starts at the same place, whatever its scale's left end
// says, so gauges stacked on a panel line up.
static int BarLeft(const QFontMetrics& fm) {
    return kMargin + fm.horizontalAdvance("Atm") / 2;
}

QSize TPercentControl::sizeHint() const {
    const QFontMetrics fm(font());
    const int bar = BarLeft(fm) + kBarLength + fm.horizontalAdvance(high_) / 2 + kMargin;
    const int width = std::max(bar, fm.horizontalAdvance(label_) + 2 * kMargin);
    return QSize(width, 2 * fm.height() + kBarHeight + 6 + 2 * kMargin);
}

QRect TPercentControl::BarRect() const {
    const QFontMetrics fm(font());
    return QRect(BarLeft(fm), kMargin + fm.height() + 1, kBarLength, kBarHeight);
}

void TPercentControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    const QPalette& pal = palette();
    const QColor text =
        pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    p.setPen(text);
    p.drawText(QPoint(BarRect().left(), kMargin + fm.ascent()), label_);

    const QRect bar = BarRect();
    p.fillRect(bar, pal.color(QPalette::Base));
    QRect filled = bar;
    filled.setWidth(value() * kBarLength / 100);
    // The bar stays red when the gauge is display only: it still shows a reading.
    p.fillRect(filled, isEnabled() ? QColor(0xd0, 0x10, 0x10) : QColor(0xc0, 0x30, 0x30));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(bar.adjusted(0, 0, -1, -1));

    p.setPen(text);
    const int tickTop = bar.bottom() + 1;
    for (int x = 0; x <= kBarLength; x += tickEvery_)
        p.drawLine(bar.left() + x, tickTop, bar.left() + x, tickTop + (x % 50 == 0 ? 4 : 2));
    const int baseline = tickTop + 5 + fm.ascent();
    p.drawText(QPoint(bar.left() - fm.horizontalAdvance(low_) / 2, baseline), low_);
    p.drawText(QPoint(bar.left() + kBarLength - fm.horizontalAdvance(high_) / 2, baseline), high_);
    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(bar.adjusted(-2, -2, 1, 1));
    }
}

int TPercentControl::ValueAt(int x) const {
    return GaugePercent(x - BarRect().left());
}

void TPercentControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setSliderDown(true);
    setSliderPosition(ValueAt(event->position().toPoint().x()));
    update();
}

void TPercentControl::mouseMoveEvent(QMouseEvent* event) {
    if (!isSliderDown()) return;
    setSliderPosition(ValueAt(event->position().toPoint().x()));
    update();
}

void TPercentControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isSliderDown()) return;
    setSliderPosition(ValueAt(event->position().toPoint().x()));
    setSliderDown(false);
    update();
}

TVacuumGauge::TVacuumGauge(const QString& label, int id, QWidget* parent)
    : TPercentControl(label, id, parent, "Atm", "Vac", 20) {}
