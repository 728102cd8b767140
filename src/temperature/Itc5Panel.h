#pragma once
// The ITC5 panel (ITC5PANEL): computer control, the heater's and the gas's
// automatic modes and outputs, both temperatures, the set-point, read every
// second. Its caption becomes the controller's identification.
#include <QTimer>

#include "ControllerReplies.h"
#include "TempPanel.h"

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
        kSetPointEdit = 101,
        kCryostat = 102,
        kSample = 103,
        kSet = 104,
        kComputerControl = 105,
        kSensor = 106,
        kHeaterAuto = 107,
        kGasAuto = 108,
        kTchange = 109,
        kHeaterGauge = 111,
        kGasGauge = 112,
        kGasStatus = 113,
        kHelp = 998,
    };
    enum class Gas { Initial = 0, Manual = 1, Automatic = 2 };
    static constexpr int kTickMs = 1000;
    static constexpr int kHelpContext = 17;

    TTempITC5(QWidget* parent, ITC5Func& controller);

    void Open();
    void Tick();
    void Set();
    void ComputerControl(bool on);
    void AutoModes();
    void HeaterChanged(int percent);
    void GasChanged(int percent);

    bool Ticking() const { return timer_.isActive(); }
    // "$O"/"$G" of a gauge's percentage: tenths, 100 % as 999.
    static int Tenths(int percent);

  protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Enable();

    ITC5Func& controller_;
    QTimer timer_;
    bool computerControl_ = false;
    bool heaterAuto_ = false;
    Gas gas_ = Gas::Manual;
    QLineEdit* edit_ = nullptr;
    QPushButton* set_ = nullptr;
    QCheckBox* control_ = nullptr;
    QCheckBox* heaterAutoBox_ = nullptr;
    QCheckBox* gasAutoBox_ = nullptr;
    TPercentControl* heater_ = nullptr;
    TPercentControl* gasFlow_ = nullptr;
};
