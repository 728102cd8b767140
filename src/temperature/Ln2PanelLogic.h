#pragma once
// The LN2 panel's logic (LN2PANEL's model): the set-point, the reading, the
// heater and vacuum gauges, automatic/manual control and the pump, read every
// 500 ms from the controller. TTempLN2 is its view.
#include <QTimer>

#include "temperature/TempPanelLogic.h"

class LN2Func;

class Ln2PanelLogic : public TempPanelLogic {
    Q_OBJECT
  public:
    enum Id : int {
        kSetPointEdit = 101,
        kReading = 102,
        kHeaterGauge = 111,
        kVacuumGauge = 112,
        kModeText = 113,
    };
    static constexpr int kTickMs = 500;

    explicit Ln2PanelLogic(LN2Func& controller);

    // The pump choice of the program (0 off, 1 slow, 2 fast, 3 automatic); it
    // outlives the panel.
    static int& PumpChoice();

    // Opening (not in demo mode): the set-point read, then the timer started.
    void Open();
    // One reading of everything; an error stops the timer and is shown.
    void Tick();
    void Stop() { timer_.stop(); }
    // "Set": the set-point of field 101.
    void Set();
    // "Auto/Manual".
    void ToggleAuto();
    void Pump(int choice);
    // The operator let go of the heater gauge.
    void HeaterChanged(int percent);

    bool Ticking() const { return timer_.isActive(); }
    bool Automatic() const { return automatic_; }

  private:
    // The mode text; the view follows the pump's enabling (changed()).
    void ShowMode();

    LN2Func& controller_;
    QTimer timer_;
    bool automatic_ = false;
};
