#pragma once
// The "Temperature Control Settings" dialog (PIDEDIT): the view of
// PidEditorLogic, the live PID table of the LN2 or ITC5 controller and its
// registry key, entry by entry, and the import of an old-style .pid file. A
// change takes effect at the next SetTemperature.
#include <string>

#include "temperature/PidEditorLogic.h"
#include "temperature/TempPanel.h"

class QComboBox;
class QLineEdit;
class RegistryStore;
class TTempCon;

class TEditPIDDlg : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kClose = 1,
        kHelp = 9,
        kGain = PidEditorLogic::kGain,  // to 106: P, I, D, M1, M2, M3
        kAddUpdate = 108,
        kDelete = 109,
        kTemperature = PidEditorLogic::kTemperature,
        kImport = 111,
        kM1Label = PidEditorLogic::kM1Label,
        kM2Label = PidEditorLogic::kM2Label,
        kM3Label = PidEditorLogic::kM3Label,
    };
    static constexpr int kLn2HelpContext = 58;
    static constexpr int kItc5HelpContext = 59;

    // The table's entries are written to `registry`.
    TEditPIDDlg(QWidget* parent, TTempCon& controller, RegistryStore& registry);

    // The combo list's line `index` into the edits.
    void Choose(int index) { logic_.Choose(index); }
    void AddUpdate() { logic_.AddUpdate(); }
    void DeleteSelected() { logic_.DeleteSelected(); }
    // "Import Old PID file", with the file the open dialog gave.
    void Import() { logic_.Import(); }
    void ImportFile(const std::string& path) { logic_.ImportFile(path); }

    // The lines the combo box shows.
    QStringList Lines() const;
    PidEditorLogic& Logic() { return logic_; }

  private:
    // The combo's list made anew from the logic's lines, nothing chosen.
    void Refill();

    PidEditorLogic logic_;
    QComboBox* combo_ = nullptr;
    QLineEdit* edits_[6] = {};
    // The combo's own changes while the view follows the logic are not the
    // operator's choice.
    bool refilling_ = false;
};
