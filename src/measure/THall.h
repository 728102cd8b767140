#pragma once
// The Hall measurement's window: the readings of both configurations, the
// list of cycles and the "Stop this cycle" button, over its run.
#include "measure/HallRun.h"
#include "measure/MeasurementWindow.h"

class ProgramState;
class QPainter;

class QListWidget;
class QPushButton;

class THall : public MeasurementWindow {
    Q_OBJECT
  public:
    // Field numbers of the window.
    static constexpr int kLabelField = HallRun::kLabelField;  // 1, 2: the configuration labels
    static constexpr int kStopButton = 39;                    // "Stop this cycle"
    static constexpr int kCycleList = HallRun::kCycleList;    // one line per cycle

    explicit THall(ProgramState& program, QWidget* parent = nullptr);

    HallRun& Run() { return static_cast<HallRun&>(MeasurementWindow::Run()); }
    const HallRun& Run() const { return static_cast<const HallRun&>(MeasurementWindow::Run()); }

    // The printable form on the results page: the table, from the painter's
    // origin, in lines of height L and characters of width W.
    void Print(QPainter& painter, int L, int W) const;

  private:
    void BuildView();
    void ShowField(int id, const QString& text);

    QPushButton* stopButton_ = nullptr;
    QListWidget* cycleList_ = nullptr;
};
