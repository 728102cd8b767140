#include "records/ProgramState.h"

#include "bus/GpibBus.h"
#include "records/SettingsTable.h"
#include "temperature/TTemp.h"
#include "core/xmsg.h"

ProgramState::ProgramState() = default;

ProgramState::~ProgramState() {
    // The controller may still talk to the bus as it goes (a remote-off on
    // shut-down), so it goes first, while its records are still reachable.
    controller_.reset();
    SetBus(nullptr);
}

const std::vector<SettingField>& ProgramState::SettingTable() {
    if (!settingTable_)
        settingTable_ = std::make_unique<std::vector<SettingField>>(BuildSettingsTable(*this));
    return *settingTable_;
}

void ProgramState::SetController(std::unique_ptr<TTemp> controller) {
    controller_ = std::move(controller);
}
