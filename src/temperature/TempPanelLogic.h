#pragma once
// What the temperature panels' logic shares, without any widget: the panel's
// model (what each control shows, by control id), where message boxes belong,
// commands whose errors are shown as "Exception:" boxes, and the set-point
// text of the panels' edits. A panel is the view of one of these objects and
// forwards the operator's actions to it.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/FieldSet.h"

class TTemp;

// Runs a command; an error is shown with its text ("Exception:", stop icon)
// over `owner` and false returned.
bool RunShowingErrors(QWidget* owner, const std::function<void()>& command);

// Set-point text from a panel's edit: at most eleven characters, a number.
// Nothing when the text is no number; 0 means "ignored" to the caller.
std::optional<double> SetPointFromText(const QString& text);

class TempPanelLogic : public QObject {
    Q_OBJECT
  public:
    FieldSet& Fields() { return fields_; }
    const FieldSet& Fields() const { return fields_; }
    // Where message boxes belong (the panel while it is open; none in a test).
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_.data(); }
    // Whether the panel's dump line shows field `id` (fields the panel only
    // shows, not the operator's, may stay out of it).
    virtual bool Dumped(int /*id*/) const { return true; }

  signals:
    // A state the panel shows besides its fields changed (checks, enabling).
    void changed();
    // The gauge `id` is to show `percent`: the program's own update, which the
    // gauge does not report back as the operator's.
    void gaugeShown(int id, int percent);

  protected:
    bool Guard(const std::function<void()>& command) { return RunShowingErrors(Owner(), command); }
    // Shows a check state or a gauge value in the model too (the dump).
    void SetFlag(int id, bool on) { fields_.Set(id, on ? "1" : "0"); }
    // The set-point typed into field `editId`: a text that is no number, or a
    // negative one, is answered with `hint` under `caption`; 0 is ignored;
    // anything else goes to the controller, held at its maximum. The caller
    // shows the controller's set-point in the edit afterwards.
    void TakeSetPoint(TTemp& controller, int editId, const char* hint, const char* caption);

  private:
    FieldSet fields_;
    QPointer<QWidget> owner_;
};
