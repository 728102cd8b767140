#pragma once
// The hot stage's panel (HOTPANEL) and the open cryostat's (OPENTEMP): the
// views of HotPanelLogic and OpenPanelLogic.
#include "temperature/HotPanelLogic.h"
#include "temperature/TempPanel.h"

class HotFunc;
class QRadioButton;

class TTempHot : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kCancel = 2,
        kSetPointEdit = HotPanelLogic::kSetPointEdit,
        kSet = 102,
        kRun = HotPanelLogic::kRun,
        kRead = 104,
        kReading = HotPanelLogic::kReading,
    };
    TTempHot(QWidget* parent, HotFunc& controller);

    void Set() { logic_.Set(); }
    void Read() { logic_.Read(); }
    void Run(bool on) { logic_.Run(on); }
    HotPanelLogic& Logic() { return logic_; }

  private:
    HotPanelLogic logic_;
};

class TTempOpen : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kClose = 1,
        kAmbient = OpenPanelLogic::kAmbient,
        kLn2 = OpenPanelLogic::kLn2,
    };
    TTempOpen(QWidget* parent, TTemp& controller);
    // "Close": 77 K for "77K", 293 K for "Ambient".
    void Apply() { logic_.Apply(); }
    OpenPanelLogic& Logic() { return logic_; }

  protected:
    // Enter, Esc and the window's close all close it as "Close" does: the
    // choice made is kept.
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    OpenPanelLogic logic_;
    QRadioButton* ambient_ = nullptr;
    QRadioButton* ln2_ = nullptr;
};
