#pragma once
// The common frame of the measurement windows: each window is a thin view
// over its run. It owns the run, shows the run's fields, stands as the run's
// owner for prompts and magnet waits, and runs it when the frame sends the
// measure command.
#include <QWidget>
#include <memory>
#include <string>

#include "measure/MeasurementRun.h"

class QLabel;
class QMdiSubWindow;

class MeasurementWindow : public QWidget {
    Q_OBJECT
  public:
    // The client area's sub-window that holds `window`, if any.
    static QMdiSubWindow* SubWindowOf(QWidget* window);
    // run: the measurement this window shows (its resource name is the
    // window's object name); caption: the window's title.
    MeasurementWindow(std::unique_ptr<MeasurementRun> run, const QString& caption,
                      QWidget* parent = nullptr);
    ~MeasurementWindow() override;

    MeasurementRun& Run() { return *run_; }
    const MeasurementRun& Run() const { return *run_; }
    FieldSet& Fields() { return run_->Fields(); }
    const FieldSet& Fields() const { return run_->Fields(); }
    const std::string& ResourceName() const { return run_->ResourceName(); }

    // The measure command (301): the run's measurement, to its end.
    void Measure() { run_->Measure(); }

  protected:
    // Closing hides the window: it is never deleted while it may be running.
    void closeEvent(QCloseEvent* event) override;

  private:
    void GiveFocusBack();

    std::unique_ptr<MeasurementRun> run_;
};

// A column's heading, centred over its values (one label per column, so a
// heading stands over its column at any font size or scale).
QLabel* ColumnHeading(const QString& text, QWidget* parent);

// Runs one measurement synchronously: shows the window (unless a scan runs),
// marks the run busy, sends the measure command, clears the mark.
void RunMeasurement(MeasurementWindow& window);
