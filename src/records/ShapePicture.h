#pragma once
// The Geometry page's picture of the specimen shape: a disc with four rim
// contacts (van der Pauw), a bar with six contacts, or a Hall bridge.
#include <QWidget>

class ShapePicture : public QWidget {
    Q_OBJECT
  public:
    explicit ShapePicture(QWidget* parent = nullptr);
    void SetShape(int shape);
    int Shape() const { return shape_; }
    QSize sizeHint() const override { return {128, 64}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int shape_ = 0;
};
