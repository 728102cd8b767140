#pragma once
// A measurement as the logic sees it: its resource name, its numbered fields
// (the run writes, a view shows, log blocks and tests read the same texts)
// and its sequence. A run is no widget; the window that shows it sets itself
// as the run's owner, the parent of its prompts and magnet waits.
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "core/FieldSet.h"

class ProgramState;
class QWidget;

class MeasurementRun : public QObject {
    Q_OBJECT
  public:
    // resourceName: "CHECK", "IV", "VDPRESIST", "BARRESIST", "HALL" (dump and logs).
    // The run reads and writes its records (settings, specimen, run state,
    // results, status) in the program's state it is given.
    MeasurementRun(std::string resourceName, ProgramState& program, QObject* parent = nullptr);

    ProgramState& Program() const { return program_; }

    FieldSet& Fields() { return fields_; }
    const FieldSet& Fields() const { return fields_; }
    const std::string& ResourceName() const { return resourceName_; }

    // The measure command (301): runs the measurement to its end, catching
    // its own errors as the frame's exception table says.
    virtual void Measure() = 0;

    // The widget the run's prompts and waits stand over; empty without a
    // view (or once the view has gone).
    void SetOwner(QWidget* owner);
    QWidget* Owner() const;

  signals:
    // The run is done with the operator's attention: the main window takes
    // the focus back.
    void focusBackRequested();

  protected:
    // One command to a secondary address of the Hall electronics, on the
    // program's bus.
    void WriteHall(int secondary, const std::string& text) const;
    // The tool bar's status text and detail.
    void ShowStatus(const std::string& text, const std::string& detail) const;
    // The frame of both resistivity runs: the current on, the run's steps,
    // "Ready"; then the disconnect, the log block (its LogInclude bit) and
    // the results panel. The caller has marked the run under way.
    void RunResistivity(const std::function<void()>& steps,
                        const std::function<std::string()>& logBlock);

    ProgramState& program_;

  private:
    std::string resourceName_;
    FieldSet fields_;
    QPointer<QWidget> owner_;
};
