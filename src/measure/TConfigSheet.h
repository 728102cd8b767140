#pragma once
// The "Measurment Configuration" sheet: the Current, Delays and Scattering
// pages. OK and Apply let every page that has been brought up take its
// values, in page order; a page that refuses keeps the sheet open on itself,
// a page never shown takes nothing. OK closes the sheet, Apply keeps it open.
#include "platform/PropertySheet.h"
#include <functional>
#include <string>
#include <vector>

class ConfigPage;
class ProgramState;

class TConfigSheet : public PropertySheet {
    Q_OBJECT
  public:
    explicit TConfigSheet(ProgramState& program, QWidget* parent = nullptr);
    ConfigPage* Page(int index) const;
    // Apply: true when every page shown took its values; refused while the
    // auto-set searches.
    bool ApplyPages() override;

    // The Help button's handler (context number), installed by the shell.
    static void SetHelpHandler(std::function<void(int)> handler);

  public slots:
    // While the auto-set searches, closing asks the search to stop instead.
    void done(int result) override;

  private:
    bool Searching() const;

    ProgramState& program_;
};

struct MeasurementSettings;
// The block appended to an open log when the sheet closes with OK.
std::string ConfigurationLogBlock(const MeasurementSettings& settings);

// Command 42: runs the sheet; OK with a log open appends the block.
void ConfigurationCommand(ProgramState& program, QWidget* owner);
