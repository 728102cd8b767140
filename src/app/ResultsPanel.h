#pragma once
// The results panel docked along the top of the main frame: three groups
// (resistivity, Hall, concentration) showing the six result fields of the
// result computations, each value with its label and unit.
#include <QWidget>

class TResults : public QWidget {
    Q_OBJECT
  public:
    // showExamples: the panel starts with its example values, which stay
    // until the results are first cleared.
    explicit TResults(QWidget* parent = nullptr, bool showExamples = false);
};
