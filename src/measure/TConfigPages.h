#pragma once
// The three pages of the measurement configuration sheet. Each keeps its
// numbered fields in a FieldSet (the widgets only show them); what a page
// changes at once (units, AC, delays) goes straight into the live settings,
// what waits for OK or Apply is taken by Apply(), which may refuse.
#include <QWidget>

#include "core/FieldSet.h"
#include "platform/PropertySheet.h"

class QAbstractButton;
class QRadioButton;
class QCheckBox;
class ProgramState;

class ConfigPage : public PropertyPage {
    Q_OBJECT
  public:
    ConfigPage(ProgramState& program, const char* resourceName, int helpContext, QWidget* parent);
    FieldSet& Fields() { return fields_; }
    const FieldSet& Fields() const { return fields_; }
    int HelpContext() const override { return helpContext_; }

  protected:
    ProgramState& program_;

  private:
    FieldSet fields_;
    int helpContext_;
};

// "Current": the measurement current and its unit (which picks the
// electronics), AC, the target Vr and the auto-set.
class TCurrent : public ConfigPage {
    Q_OBJECT
  public:
    explicit TCurrent(ProgramState& program, QWidget* parent = nullptr);
    bool Apply() override;
    // Unit button u (0 mA .. 3 pA): the edit's number is taken in the old
    // unit, then shown in the new one; nA and pA use the buffer amplifier.
    void SelectUnit(int iunits);
    void ToggleAC();
    // "Set": validates the target, starts the current and posts the search.
    void StartAutoSet();
    // The posted measure command: runs the search.
    void RunSearch();
    bool Searching() const { return searching_; }

  signals:
    void searchingChanged(bool searching);

  private:
    void TakeCurrentText();
    QRadioButton* units_[4] = {};
    QCheckBox* ac_ = nullptr;
    QAbstractButton* set_ = nullptr;
    bool searching_ = false;
};

// The Delays page's steps: 0..10 by one, then by five up to `top`.
int StepSeconds(int value, int direction, int top);
// Cycles: 1..10 by one, 10 and 100 next to each other.
int StepCycles(int value, int direction);

// "Delay/Averaging": delay, integration and cycles, each changed at once by
// its up-down control.
class TDelays : public ConfigPage {
    Q_OBJECT
  public:
    explicit TDelays(ProgramState& program, QWidget* parent = nullptr);
    void StepDelay(int direction);
    void StepIntegration(int direction);
    void StepCycles(int direction);

  private:
    void Show();
};

// "Scattering": the scattering factor and its presets.
class Scatter : public ConfigPage {
    Q_OBJECT
  public:
    explicit Scatter(ProgramState& program, QWidget* parent = nullptr);
    bool Apply() override;
    // Preset button 104..109.
    void Preset(int id);
    static double PresetValue(int id);
};
