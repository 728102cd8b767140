#include "records/ProgramState.h"

#include "bus/GpibBus.h"
#include "temperature/TTemp.h"
#include "core/xmsg.h"

ProgramState::ProgramState() = default;

ProgramState::~ProgramState() {
    // The controller may still talk to the bus as it goes (a remote-off on
    // shut-down), so it goes first, while its records are still reachable.
    controller_.reset();
    bus_.reset();
    if (!installed_) return;
    InstallBusSlot(previousBus_);
    InstallLogFile(previousLog_);
    InstallRecordParts(previousRecords_);
    InstallCoreRecords(previousCore_);
}

void ProgramState::Install() {
    if (installed_) return;
    installed_ = true;
    previousCore_ = InstallCoreRecords(&core_);
    previousRecords_ = InstallRecordParts(&records_);
    previousLog_ = InstallLogFile(&log_);
    previousBus_ = InstallBusSlot(&bus_);
}

GpibBus& ProgramState::Bus() {
    if (!bus_) throw xgpib("EDVR: driver not installed");
    return *bus_;
}

void ProgramState::SetBus(std::unique_ptr<GpibBus> bus) {
    bus_ = std::move(bus);
}

void ProgramState::SetController(std::unique_ptr<TTemp> controller) {
    controller_ = std::move(controller);
}
