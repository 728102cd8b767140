#include "records/ShapePicture.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {
void Contact(QPainter& p, QPointF at) {
    p.drawEllipse(at, 3.0, 3.0);
}

void Disc(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(64, 32), 27.0, 27.0);
    p.setBrush(Qt::black);
    // Four small contacts on the rim, a quarter turn apart.
    for (QPointF c : {QPointF(45, 13), QPointF(83, 13), QPointF(83, 51), QPointF(45, 51)})
        Contact(p, c);
}

void Bar(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 22, 100, 20));
    p.setBrush(Qt::black);
    // Current contacts over both ends, two voltage contacts on each long side.
    p.drawRect(QRectF(10, 22, 6, 20));
    p.drawRect(QRectF(112, 22, 6, 20));
    for (QPointF c : {QPointF(44, 22), QPointF(84, 22), QPointF(44, 42), QPointF(84, 42)})
        Contact(p, c);
}

void Bridge(QPainter& p) {
    QPainterPath body;
    body.addRect(QRectF(14, 26, 100, 12));
    for (int x : {34, 82}) {
        body.addRect(QRectF(x, 12, 12, 14));
        body.addRect(QRectF(x, 38, 12, 14));
    }
    p.setBrush(Qt::white);
    p.drawPath(body.simplified());
    p.setBrush(Qt::black);
    // Pads at the two ends and at the four side arms.
    p.drawRect(QRectF(4, 22, 12, 20));
    p.drawRect(QRectF(112, 22, 12, 20));
    for (int x : {32, 80}) {
        p.drawRect(QRectF(x, 4, 16, 9));
        p.drawRect(QRectF(x, 51, 16, 9));
    }
}
}  // namespace

ShapePicture::ShapePicture(QWidget* parent) : QWidget(parent) {
    setFixedSize(128, 64);
}

void ShapePicture::SetShape(int shape) {
    shape_ = shape;
    update();
}

void ShapePicture::paintEvent(QPaintEvent*) {
    // Drawn black on white, then laid on the page as an AND: the white parts
    // leave the page's own colour, the black stays black.
    const qreal ratio = devicePixelRatioF();
    QImage drawing((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    drawing.setDevicePixelRatio(ratio);
    drawing.fill(Qt::white);
    {
        QPainter d(&drawing);
        d.setRenderHint(QPainter::Antialiasing);
        d.setPen(QPen(Qt::black, 1));
        switch (shape_) {
            case 0:
                Disc(d);
                break;
            case 1:
                Bar(d);
                break;
            case 2:
                Bridge(d);
                break;
            default:
                break;
        }
    }
    QImage shown(drawing.size(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(ratio);
    shown.fill(palette().color(backgroundRole()));
    {
        QPainter a(&shown);
        a.setCompositionMode(QPainter::CompositionMode_Multiply);
        a.drawImage(QPoint(0, 0), drawing);
    }
    QPainter p(this);
    p.drawImage(QPoint(0, 0), shown);
}
