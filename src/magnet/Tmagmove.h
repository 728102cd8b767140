#pragma once
// The modal "Wait for Magnet" dialog: polls the Hall electronics every 500 ms
// until the motion's service request arrives or 70 ticks (35 s) have passed.
// Its own timer closes it; its Abort button (2), like the tool bar's, asks
// the run to stop after the motion. Inside a run it blocks nothing, so the
// tool bar's Abort can be pressed while it is up.
#include <QDialog>

#include "core/FieldSet.h"

class BusSlot;
class QLabel;
class QPushButton;
class QTimer;
struct MeasurementState;

class Tmagmove : public QDialog {
    Q_OBJECT
  public:
    // The status that stands for "no completion in time".
    static constexpr int kSoftwareTimeout = 256;
    static constexpr int kMaxTicks = 70;
    static constexpr int kTickMs = 500;

    // `state` tells whether a run is under way and carries the abort.
    Tmagmove(MeasurementState& state, BusSlot& bus, QWidget* parent = nullptr);

    // Runs the modal wait; returns the final status (0x50, 0x68, a fault
    // byte, or kSoftwareTimeout). A poll error has been shown by then.
    int Wait();

    // Field 101: the elapsed whole seconds.
    FieldSet& Fields() { return fields_; }
    int Ticks() const { return ticks_; }
    // A poll raised an error during the last wait (shown under "Exception:").
    bool PollFailed() const { return pollFailed_; }

  public slots:
    // The operator cannot close it: the motion ends it.
    void reject() override {}

  private:
    void Tick();
    void Finish(int status);

    FieldSet fields_;
    QLabel* elapsed_;
    MeasurementState& state_;
    BusSlot& bus_;
    QPushButton* abort_;
    QTimer* timer_;
    int ticks_ = 0;
    int status_ = 0;
    bool pollFailed_ = false;
};
