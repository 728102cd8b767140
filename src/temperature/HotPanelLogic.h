#pragma once
// The logic of the hot stage's panel (HOTPANEL's model) and of the open
// cryostat's (OPENTEMP's): what the panels' controls do to the controller.
// TTempHot and TTempOpen are their views.
#include "temperature/TempPanelLogic.h"

class HotFunc;
class TTemp;

class HotPanelLogic : public TempPanelLogic {
    Q_OBJECT
  public:
    enum Id : int {
        kSetPointEdit = 101,
        kRun = 103,
        kReading = 105,
    };
    explicit HotPanelLogic(HotFunc& controller);

    // "Set": the set-point of field 101, shown back in whole kelvin.
    void Set();
    // "Read": one reading into field 105.
    void Read();
    // The "Run" box was clicked to `on`.
    void Run(bool on);

  private:
    HotFunc& controller_;
};

class OpenPanelLogic : public TempPanelLogic {
    Q_OBJECT
  public:
    enum Id : int { kAmbient = 100, kLn2 = 101 };
    // The choice starts at "77K" when the stage is at 77 K, else "Ambient".
    explicit OpenPanelLogic(TTemp& controller);

    // The two radio buttons' states.
    void Choose(bool ambient, bool ln2);
    bool Ln2() const { return ln2_; }
    // "Close": 77 K for "77K", 293 K for "Ambient".
    void Apply();

  private:
    TTemp& controller_;
    bool ln2_ = false;
};
