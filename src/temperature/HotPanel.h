#pragma once
// The hot stage's panel (HOTPANEL) and the open cryostat's (OPENTEMP).
#include "TempPanel.h"

class HotFunc;
class QCheckBox;
class QLineEdit;
class QRadioButton;

class TTempHot : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kCancel = 2,
        kSetPointEdit = 101,
        kSet = 102,
        kRun = 103,
        kRead = 104,
        kReading = 105,
    };
    TTempHot(QWidget* parent, HotFunc& controller);

    void Set();
    void Read();
    void Run(bool on);

  private:
    HotFunc& controller_;
    QLineEdit* edit_ = nullptr;
};

class TTempOpen : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int { kClose = 1, kAmbient = 100, kLn2 = 101 };
    TTempOpen(QWidget* parent, TTemp& controller);
    // "Close": 77 K for "77K", 293 K for "Ambient".
    void Apply();

  private:
    TTemp& controller_;
    QRadioButton* ambient_ = nullptr;
    QRadioButton* ln2_ = nullptr;
};
