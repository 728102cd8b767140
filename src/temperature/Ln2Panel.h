#pragma once
// The LN2 panel (LN2PANEL): the set-point, the reading, the heater and vacuum
// gauges, automatic/manual control and the pump, read every 500 ms.
#include <QTimer>

#include "TempPanel.h"

class LN2Func;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPercentControl;
class TVacuumGauge;

class TTempLN2 : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kClose = 1,
        kSetPointEdit = 101,
        kReading = 102,
        kAutoManual = 104,
        kPumpOff = 105,  // to 108: Off, Slow, Fast, Auto
        kSet = 110,
        kHeaterGauge = 111,
        kVacuumGauge = 112,
        kModeText = 113,
        kHelp = 998,
    };
    static constexpr int kTickMs = 500;
    static constexpr int kHelpContext = 16;

    TTempLN2(QWidget* parent, LN2Func& controller);

    // The pump choice of the program (0 off, 1 slow, 2 fast, 3 automatic).
    static int& PumpChoice();

    // Opening: gauges display only, the pump choice ticked, then (not in
    // demo mode) the set-point read and the timer started.
    void Open();
    // One reading of everything; an error stops the timer and is shown.
    void Tick();
    void Set();
    void ToggleAuto();
    void Pump(int choice);
    void HeaterChanged(int percent);

    bool Ticking() const { return timer_.isActive(); }
    bool Automatic() const { return automatic_; }

  protected:
    void done(int result) override;

  private:
    void ShowMode();

    LN2Func& controller_;
    QTimer timer_;
    bool automatic_ = false;
    QLineEdit* edit_ = nullptr;
    TPercentControl* heater_ = nullptr;
    TVacuumGauge* vacuum_ = nullptr;
    QRadioButton* pumps_[4] = {};
};
