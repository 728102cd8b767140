#pragma once
// The common run frame of the measurement windows. Each window keeps its
// numbered fields in a FieldSet (the logic writes, the widget shows, log
// blocks and tests read the same texts) and runs its measurement when the
// frame sends it the measure command.
#include <QWidget>

class QLabel;
#include <string>

#include "FieldSet.h"

class MeasurementWindow : public QWidget {
    Q_OBJECT
  public:
    // resourceName: "CHECK", "IV", "VDPRESIST", "BARRESIST", "HALL" (dump and logs);
    // caption: the window's title.
    MeasurementWindow(std::string resourceName, const QString& caption, QWidget* parent = nullptr);

    FieldSet& Fields() { return fields_; }
    const FieldSet& Fields() const { return fields_; }
    const std::string& ResourceName() const { return resourceName_; }

    // The measure command (301): runs the measurement to its end, catching
    // its own errors as the frame's exception table says.
    virtual void Measure() = 0;

  protected:
    // Closing hides the window: it is never deleted while it may be running.
    void closeEvent(QCloseEvent* event) override;

  private:
    std::string resourceName_;
    FieldSet fields_;
};

// A column's heading, centred over its values (one label per column, so a
// heading stands over its column at any font size or scale).
QLabel* ColumnHeading(const QString& text, QWidget* parent);

// Runs one measurement synchronously: shows the window (unless a scan runs),
// marks the run busy, sends the measure command, clears the mark.
void RunMeasurement(MeasurementWindow& window);

// Reads the status word; while the lid is open asks the operator. True when
// the lid is open and the operator chose Cancel (the caller abandons).
bool CheckLidClosed(QWidget* owner);
