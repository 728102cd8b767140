#pragma once
// What the temperature panels share: the window named by its resource, its
// FieldSet model (what each control shows, by control id), errors shown as
// "Exception:" boxes, and the one panel that is open, for the dump.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "FieldSet.h"

class TTemp;

class TempPanel : public QDialog {
    Q_OBJECT
  public:
    TempPanel(QWidget* parent, const char* resource, const QString& caption);
    ~TempPanel() override;

    FieldSet& Fields() { return fields_; }
    const FieldSet& Fields() const { return fields_; }
    const std::string& Resource() const { return resource_; }

    // The panel shown now (a modal one at a time), or nullptr.
    static const TempPanel* Current();
    // "window: RESOURCE id=text ..." of the fields.
    std::string DumpLine() const;

  protected:
    // Runs a command; an error is shown with its text ("Exception:", stop
    // icon) and false returned. The panel stays open.
    bool Guard(const std::function<void()>& command);
    // A help button's context, through the application's help viewer.
    void Help(int context);
    // Shows a check state or a gauge value in the model too (the dump).
    void SetFlag(int id, bool on) { fields_.Set(id, on ? "1" : "0"); }

  private:
    FieldSet fields_;
    std::string resource_;
};

// Set-point text from a panel's edit: at most eleven characters, a number.
// Nothing when the text is no number; 0 means "ignored" to the caller.
std::optional<double> SetPointFromText(const QString& text);

// The application's help viewer for the panels' help buttons.
void SetTemperatureHelpHandler(std::function<void(int context)> handler);
