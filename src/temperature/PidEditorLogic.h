#pragma once
// The PID editor's logic (PIDEDIT's model): the controller's live PID table
// and its registry key, entry by entry, and the import of an old .pid file.
// Its fields are the editor's: the factors 101 to 106, the temperature 110,
// the margins' names 114 to 116 and the temperatures listed under 110.
// TEditPIDDlg is its view.
#include <QString>
#include <QStringList>
#include <string>

#include "temperature/TTemp.h"
#include "temperature/TempPanelLogic.h"

class RegistryStore;

class PidEditorLogic : public TempPanelLogic {
    Q_OBJECT
  public:
    enum Id : int {
        kGain = 101,  // to 106: P, I, D, M1, M2, M3
        kTemperature = 110,
        kM1Label = 114,
        kM2Label = 115,
        kM3Label = 116,
        // The list under the temperature, one line per entry ('\n' between);
        // no control of the dialog has this number.
        kLines = 1110,
    };

    PidEditorLogic(TTempCon& controller, RegistryStore& registry);

    // The ITC5 has a sixth factor (M3, field 106); the LN2 five.
    bool Itc5() const;
    int FactorCount() const { return Itc5() ? 6 : 5; }

    // The list's line `index` into the factors.
    void Choose(int index);
    // The temperature of field 110 with the factors: a new entry is listed
    // and stored, an existing one replaced; both go to the registry.
    void AddUpdate();
    // The entry named by field 110 leaves the registry, the list and the table.
    void DeleteSelected();
    // The file the open dialog gives; nothing when it is cancelled.
    void Import();
    void ImportFile(const std::string& path);

    QStringList Lines() const;

    // The dump shows the fields the operator edits, not the names and list.
    bool Dumped(int id) const override;

  signals:
    // The list grew by `line` at its end.
    void lineAdded(const QString& line);
    // Line `index` left the list (-1: no line had that text); the choice and
    // field 110 are cleared either way.
    void lineRemoved(int index);
    // The list was made anew from the table, nothing chosen.
    void linesRefilled();
    // Field `id` holds no whole number: the operator is to correct it.
    void refused(int id);

  private:
    // The factors of fields 101 to 106 (106 only for the ITC5); false with a
    // message when one is not a whole number.
    bool ReadFactors(Tpid& entry);
    void SetLines(const QStringList& lines);
    void Refill();
    std::string Key() const;

    TTempCon& controller_;
    RegistryStore& registry_;
};
