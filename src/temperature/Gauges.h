#pragma once
// The panels' bar gauges: a red bar 100 pixels long under the gauge's label,
// scale ends below it and a tick every 10 (percent gauge) or 20 (vacuum
// gauge) pixels. The value is 0 to 100; a reading beyond an end shows that
// end. An enabled gauge can be set with the mouse or the arrow keys; it
// reports the new value once, when the operator lets go (valueChanged). The
// program's own updates go through Show(), which reports nothing.
#include <QAbstractSlider>
#include <QString>

class TPercentControl : public QAbstractSlider {
    Q_OBJECT
  public:
    TPercentControl(const QString& label, int id, QWidget* parent);
    // The program's update: no report.
    void Show(int percent);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    TPercentControl(const QString& label, int id, QWidget* parent, QString low, QString high,
                    int tickEvery);
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int ValueAt(int x) const;
    QRect BarRect() const;

    QString label_;
    QString low_;
    QString high_;
    int tickEvery_;
};

class TVacuumGauge : public TPercentControl {
    Q_OBJECT
  public:
    TVacuumGauge(const QString& label, int id, QWidget* parent);
};
