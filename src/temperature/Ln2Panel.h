#pragma once
// The LN2 panel (LN2PANEL): the view of Ln2PanelLogic. It shows the logic's
// fields, the gauges and the pump's choice and enabling, and forwards the
// operator's actions; the logic reads the controller every 500 ms.
#include "temperature/Ln2PanelLogic.h"
#include "temperature/TempPanel.h"

class LN2Func;
class QLineEdit;
class QRadioButton;
class TPercentControl;
class TVacuumGauge;

class TTempLN2 : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kClose = 1,
        kSetPointEdit = Ln2PanelLogic::kSetPointEdit,
        kReading = Ln2PanelLogic::kReading,
        kAutoManual = 104,
        kPumpOff = 105,  // to 108: Off, Slow, Fast, Auto
        kSet = 110,
        kHeaterGauge = Ln2PanelLogic::kHeaterGauge,
        kVacuumGauge = Ln2PanelLogic::kVacuumGauge,
        kModeText = Ln2PanelLogic::kModeText,
        kHelp = 998,
    };
    static constexpr int kTickMs = Ln2PanelLogic::kTickMs;
    static constexpr int kHelpContext = 16;

    TTempLN2(QWidget* parent, LN2Func& controller);

    static int& PumpChoice() { return Ln2PanelLogic::PumpChoice(); }

    // Opening: gauges display only, the pump choice ticked, then the logic's
    // opening (the set-point read and the timer started, not in demo mode).
    void Open();
    void Tick() { logic_.Tick(); }
    void Set() { logic_.Set(); }
    void ToggleAuto() { logic_.ToggleAuto(); }
    void Pump(int choice) { logic_.Pump(choice); }
    void HeaterChanged(int percent) { logic_.HeaterChanged(percent); }

    bool Ticking() const { return logic_.Ticking(); }
    bool Automatic() const { return logic_.Automatic(); }
    Ln2PanelLogic& Logic() { return logic_; }

  protected:
    void done(int result) override;
    // Enter in the set-point edit sets it and keeps the panel open.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The pumps follow the mode: in automatic control the controller runs
    // the pump itself.
    void ShowMode();

    Ln2PanelLogic logic_;
    TPercentControl* heater_ = nullptr;
    TVacuumGauge* vacuum_ = nullptr;
    QRadioButton* pumps_[4] = {};
    QLineEdit* edit_ = nullptr;
};
