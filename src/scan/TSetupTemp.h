#pragma once
// "Scan Setup" (SCANSETUP): the planned scan's temperatures, points and
// spacing, and the three choices of the run. OK checks the three numbers in
// order (a beep and the focus on the first that is refused) and stores all
// seven fields; Cancel changes nothing.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "core/FieldSet.h"

struct ScanSettings;

class QLineEdit;

struct ScanSetup {
    int start = 0;
    int stop = 0;
    int points = 0;
    bool inverse = false;
    bool resistivityOnly = false;
    bool roomTemperatureAtEnd = false;
    bool autoSetCurrent = false;
};

// A whole number as the dialog takes it (blanks around it, a sign); nothing
// for any other text or one beyond 32 bits.
std::optional<int> WholeNumberText(const std::string& text);

// Checks the three number texts in the dialog's order: the id of the first
// field refused (101 Start, 102 Stop, 105 points), or 0 with `out` filled.
// Start and Stop lie within the controller's limits, both included; points
// from 3 to 100.
int CheckScanSetup(const std::string& start, const std::string& stop, const std::string& points,
                   int minimum, int maximum, ScanSetup& out);

// The live values of the set-up, and storing them back.
ScanSetup CurrentScanSetup(const ScanSettings& settings);
void StoreScanSetup(ScanSettings& settings, const ScanSetup& setup);

class TSetupTemp : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kStart = 101;
    static constexpr int kStop = 102;
    static constexpr int kEqualT = 103;
    static constexpr int kEqualInverse = 104;
    static constexpr int kPoints = 105;
    static constexpr int kResistivityOnly = 106;
    static constexpr int kRoomTemperature = 107;
    static constexpr int kAutoSet = 108;
    static constexpr int kHelpContext = 11;

    // `help` opens the help viewer at a context (none: Help does nothing).
    TSetupTemp(QWidget* parent, ScanSettings& settings, int minimum, int maximum,
               std::function<void(int)> help = {});

    FieldSet& Fields() { return fields_; }
    // The field refused by the last OK (0 when none).
    int Refused() const { return refused_; }

    void accept() override;

  private:
    ScanSettings& settings_;
    FieldSet fields_;
    int minimum_;
    int maximum_;
    int refused_ = 0;
    QLineEdit* edits_[3] = {};
    std::function<void(int)> help_;
};
