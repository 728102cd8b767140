#include "GpibBus.h"
#include "BusState.h"
#include "InstalledPart.h"

#include <stdexcept>

namespace {
InstalledPart<std::unique_ptr<GpibBus>>& Part() {
    static InstalledPart<std::unique_ptr<GpibBus>> part;
    return part;
}

std::unique_ptr<GpibBus>& Slot() {
    return Part().Current();
}
}  // namespace

std::unique_ptr<GpibBus>* InstallBusSlot(std::unique_ptr<GpibBus>* slot) {
    return Part().Install(slot);
}

GpibBus& Bus() {
    if (!Slot()) throw xgpib("EDVR: driver not installed");
    return *Slot();
}

bool HasBus() {
    return Slot() != nullptr;
}

void SetBus(std::unique_ptr<GpibBus> bus) {
    Slot() = std::move(bus);
}

void ResetBusState() {
    ResetPlatformState();
    SetBus(nullptr);
}
