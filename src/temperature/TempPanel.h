#pragma once
// What the temperature panels share as views: the window named by its
// resource, the FieldSet model it shows (its own, or its logic object's; what
// each control shows, by control id), and the one panel that is open, for the
// dump. The panels' logic is in TempPanelLogic.h and the classes beside it.
#include <QDialog>
#include <QFontMetrics>
#include <functional>
#include <string>

#include "core/FieldSet.h"

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TTemp;
class TempPanelLogic;

class TempPanel : public QDialog {
    Q_OBJECT
  public:
    // The width a panel needs to show its whole caption in the title bar.
    static int CaptionWidth(const QString& caption, const QFontMetrics& metrics);
    TempPanel(QWidget* parent, const char* resource, const QString& caption);
    ~TempPanel() override;

    FieldSet& Fields() { return *fields_; }
    const FieldSet& Fields() const { return *fields_; }

    // The panel shown now (a modal one at a time), or nullptr.
    static const TempPanel* Current();
    // "window: RESOURCE id=text ..." of the fields (those its logic dumps).
    std::string DumpLine() const;

  protected:
    // The panel is the view of `logic`: it shows the logic's model instead of
    // its own and stands as the owner of its boxes. Called before any
    // control is made.
    void ShowLogic(TempPanelLogic& logic);
    // A help button's context, through the application's help viewer.
    void Help(int context);
    // The set-point edit of field `id`: eleven characters, right-aligned.
    QLineEdit* SetPointEdit(int id, QWidget* parent);
    // A right-aligned read-out of field `id`.
    QLineEdit* ReadOut(int id, QWidget* parent);
    // The temperature group of a panel, "Set" and the set-point edit in its
    // first row.
    struct SetPointGroup {
        QGroupBox* box;
        QGridLayout* grid;
        QPushButton* set;
        QLineEdit* edit;
    };
    SetPointGroup MakeSetPointGroup(const char* caption, int setId, int editId);

  private:
    FieldSet ownFields_;
    FieldSet* fields_ = &ownFields_;
    const TempPanelLogic* logic_ = nullptr;
    std::string resource_;
};

// The application's help viewer for the panels' help buttons.
void SetTemperatureHelpHandler(std::function<void(int context)> handler);
