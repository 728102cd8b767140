#pragma once
// The ITC5 panel (ITC5PANEL): the view of Itc5PanelLogic. It shows the
// logic's fields, check boxes, gauges and enabling, and forwards the
// operator's actions; the logic reads the controller every second. Its
// caption becomes the controller's identification.
#include "temperature/Itc5PanelLogic.h"
#include "temperature/TempPanel.h"

class ITC5Func;
class QCheckBox;
class QLineEdit;
class QPushButton;
class TPercentControl;

class TTempITC5 : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kClose = 1,
        kSetPointEdit = Itc5PanelLogic::kSetPointEdit,
        kCryostat = Itc5PanelLogic::kCryostat,
        kSample = Itc5PanelLogic::kSample,
        kSet = 104,
        kComputerControl = Itc5PanelLogic::kComputerControl,
        kSensor = Itc5PanelLogic::kSensor,
        kHeaterAuto = Itc5PanelLogic::kHeaterAuto,
        kGasAuto = Itc5PanelLogic::kGasAuto,
        kTchange = Itc5PanelLogic::kTchange,
        kHeaterGauge = Itc5PanelLogic::kHeaterGauge,
        kGasGauge = Itc5PanelLogic::kGasGauge,
        kGasStatus = Itc5PanelLogic::kGasStatus,
        kHelp = 998,
    };
    using Gas = Itc5PanelLogic::Gas;
    static constexpr int kTickMs = Itc5PanelLogic::kTickMs;
    static constexpr int kHelpContext = 17;

    TTempITC5(QWidget* parent, ITC5Func& controller);

    void Open() { logic_.Open(); }
    void Tick() { logic_.Tick(); }
    void Set() { logic_.Set(); }
    void ComputerControl(bool on) { logic_.ComputerControl(on); }
    // The two "Auto" boxes as they are ticked now.
    void AutoModes();
    void HeaterChanged(int percent) { logic_.HeaterChanged(percent); }
    void GasChanged(int percent) { logic_.GasChanged(percent); }

    bool Ticking() const { return logic_.Ticking(); }
    Itc5PanelLogic& Logic() { return logic_; }

  protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The check boxes and the enabling follow the logic's state.
    void Follow();

    Itc5PanelLogic logic_;
    QLineEdit* edit_ = nullptr;
    QPushButton* set_ = nullptr;
    QCheckBox* control_ = nullptr;
    QCheckBox* heaterAutoBox_ = nullptr;
    QCheckBox* gasAutoBox_ = nullptr;
    TPercentControl* heater_ = nullptr;
    TPercentControl* gasFlow_ = nullptr;
};
