#pragma once
// The program's state in one object: the run configuration, the live
// settings, specimen, run state and results, the status fields, the records
// kept for the whole run (scan values, graph style, page set-up, archive,
// set names), the instruments (bus slot, Hall electronics, magnet, buffer
// amplifier), the log file and the temperature controller.
//
// The application owns one and passes it down: the main window, the
// measurement runs and their views, the instruments and the scan take it, or
// the parts they use, by reference; nothing reaches it through a
// module-global function. Tests make a fresh one per test, which gives each
// test the state the program starts with.
#include <memory>
#include <vector>

#include "core/CoreRecords.h"
#include "records/LogFile.h"
#include "records/RecordParts.h"
#include "magnet/Instruments.h"

class TTemp;
struct SettingField;

class ProgramState {
  public:
    ProgramState();
    ~ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    RunConfig& Config() { return core_.config; }
    MeasurementSettings& Settings() { return core_.settings; }
    SpecimenData& Specimen() { return core_.specimen; }
    MeasurementState& State() { return core_.state; }
    MeasurementResults& Results() { return core_.results; }
    StatusFields& Status() { return core_.status; }
    // All of the above with the run lock's depth, as the lower modules take them.
    CoreRecords& Core() { return core_; }
    // Scan values, graph style, page set-up, archive settings, set names.
    RecordParts& Records() { return records_; }
    LogFile& Log() { return log_; }

    // The instruments, which hold these records and the bus slot.
    class Instruments& Instruments() {
        return instruments_;
    }
    HallUnit& Hall() { return instruments_.Hall(); }
    Magnet& MagnetUnit() { return instruments_.MagnetUnit(); }

    // The bus; raises xgpib "EDVR: driver not installed" while there is none.
    GpibBus& Bus() { return instruments_.Bus().Get(); }
    bool HasBus() { return instruments_.Bus().Has(); }
    void SetBus(std::unique_ptr<GpibBus> bus) { instruments_.Bus().Set(std::move(bus)); }

    // The settings table over these records (built on first use).
    const std::vector<SettingField>& SettingTable();

    // The temperature controller the command line chose (a plain TTemp
    // without one); null until the application has made it.
    TTemp* Controller() { return controller_.get(); }
    void SetController(std::unique_ptr<TTemp> controller);

  private:
    CoreRecords core_;
    RecordParts records_;
    LogFile log_;
    class Instruments instruments_ {
        core_
    };
    std::unique_ptr<TTemp> controller_;
    std::unique_ptr<std::vector<SettingField>> settingTable_;
};
