#pragma once
// The "Temperature Control Settings" dialog (PIDEDIT): the live PID table of
// the LN2 or ITC5 controller and its registry key, entry by entry, and the
// import of an old-style .pid file. A change takes effect at the next
// SetTemperature.
#include <string>

#include "temperature/TTemp.h"
#include "temperature/TempPanel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TTempCon;

class TEditPIDDlg : public TempPanel {
    Q_OBJECT
  public:
    enum Id : int {
        kClose = 1,
        kHelp = 9,
        kGain = 101,  // to 106: P, I, D, M1, M2, M3
        kAddUpdate = 108,
        kDelete = 109,
        kTemperature = 110,
        kImport = 111,
        kM1Label = 114,
        kM2Label = 115,
        kM3Label = 116,
    };
    static constexpr int kLn2HelpContext = 58;
    static constexpr int kItc5HelpContext = 59;

    TEditPIDDlg(QWidget* parent, TTempCon& controller);

    // The combo list's line `index` into the edits.
    void Choose(int index);
    void AddUpdate();
    void DeleteSelected();
    // "Import Old PID file", with the file the open dialog gave.
    void Import();
    void ImportFile(const std::string& path);

    QStringList Lines() const;

  private:
    void Refill();
    bool Itc5() const;
    // The values of edits 101 to 106 (106 only for the ITC5); false with a
    // message when one is not a whole number.
    bool ReadEdits(Tpid& entry);
    std::string Key() const;

    TTempCon& controller_;
    QComboBox* combo_ = nullptr;
    QLineEdit* edits_[6] = {};
    QLabel* labels_[3] = {};
    bool refilling_ = false;
};
