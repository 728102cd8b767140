#include "views/FittedField.h"

#include <QEvent>
#include <QFontMetrics>

namespace {
constexpr int kMargin = 3;
}

FittedField::FittedField(const QStringList& samples, Overflow overflow, QWidget* parent)
    : QLabel(parent), samples_(samples), overflow_(overflow) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMargin(kMargin);
    // A framed label otherwise indents its text by half an "x" on top of the
    // margin, room that the measured width does not hold.
    setIndent(0);
    setTextFormat(Qt::PlainText);
    Refit();
}

QString FittedField::Widest(const QString& sample, const QFontMetrics& metrics) {
    QChar widest = '0';
    for (QChar digit = '0'; digit <= '9'; digit = QChar(digit.unicode() + 1))
        if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(widest)) widest = digit;
    QString text = sample;
    text.replace('#', widest);
    return text;
}

int FittedField::TextRoom() const {
    return width() - 2 * frameWidth() - 2 * margin();
}

int FittedField::FittedWidth(const QStringList& texts) const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& sample : texts)
        widest = std::max(widest, metrics.horizontalAdvance(Widest(sample, metrics)));
    // One pixel more: advances are rounded, the painted glyphs are not.
    return widest + 1 + 2 * frameWidth() + 2 * margin();
}

void FittedField::Refit() {
    setFixedWidth(FittedWidth(samples_));
    ShowText();
}

void FittedField::SetFullText(const QString& text) {
    full_ = text;
    ShowText();
}

void FittedField::ShowText() {
    const QFontMetrics metrics(font());
    if (metrics.horizontalAdvance(full_) < TextRoom()) {
        setToolTip(QString());
        QLabel::setText(full_);
        return;
    }
    if (overflow_ == Overflow::Widen) {
        // Wider than any sample: the field grows for it rather than show a
        // number the operator would misread, and keeps that width after.
        setFixedWidth(std::max(width(), FittedWidth({full_})));
        setToolTip(QString());
        QLabel::setText(full_);
        return;
    }
    setToolTip(full_);
    QLabel::setText(metrics.elidedText(full_, Qt::ElideRight, TextRoom()));
}

void FittedField::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Refit();
}
