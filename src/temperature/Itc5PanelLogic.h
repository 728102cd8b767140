#pragma once
// The ITC5 panel's logic (ITC5PANEL's model): computer control, the heater's
// and the gas's automatic modes and outputs, both temperatures and the
// set-point, read every second from the controller. TTempITC5 is its view.
#include <QString>
#include <QTimer>

#include "temperature/TempPanelLogic.h"

class ITC5Func;

class Itc5PanelLogic : public TempPanelLogic {
    Q_OBJECT
  public:
    enum Id : int {
        kSetPointEdit = 101,
        kCryostat = 102,
        kSample = 103,
        kComputerControl = 105,
        kSensor = 106,
        kHeaterAuto = 107,
        kGasAuto = 108,
        kTchange = 109,
        kHeaterGauge = 111,
        kGasGauge = 112,
        kGasStatus = 113,
    };
    enum class Gas { Initial = 0, Manual = 1, Automatic = 2 };
    static constexpr int kTickMs = 1000;

    explicit Itc5PanelLogic(ITC5Func& controller);

    // Opening (not in demo mode): computer control, the identification for
    // the caption, the set-point and Tchange; then the timer started.
    void Open();
    // One reading of the status, both temperatures and both outputs; an error
    // stops the timer and is shown.
    void Tick();
    void Stop() { timer_.stop(); }
    // "Set": the set-point of field 101.
    void Set();
    // The "Computer Control" check box was clicked to `on`.
    void ComputerControl(bool on);
    // One of the two "Auto" check boxes was clicked; the boxes' states now.
    void AutoModes(bool heaterAuto, bool gasAuto);
    // The operator let go of a gauge.
    void HeaterChanged(int percent);
    void GasChanged(int percent);

    bool Ticking() const { return timer_.isActive(); }
    // What the view shows of the state (changed() tells when it moves): the
    // three check boxes, and what the operator may change.
    bool ComputerControl() const { return computerControl_; }
    bool HeaterAuto() const { return heaterAuto_; }
    bool GasAutoTicked() const { return gasAutoTicked_; }
    Gas GasMode() const { return gas_; }
    // "$O"/"$G" of a gauge's percentage: tenths, 100 % as 999.
    static int Tenths(int percent);

  signals:
    // The controller's identification, the panel's caption.
    void identified(const QString& caption);

  private:
    ITC5Func& controller_;
    QTimer timer_;
    bool computerControl_ = false;
    bool heaterAuto_ = false;
    // The gas's "Auto" box keeps its tick while the gas is in its initial
    // state (the status then says nothing about it).
    bool gasAutoTicked_ = false;
    Gas gas_ = Gas::Manual;
};
