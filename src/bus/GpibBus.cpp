#include "GpibBus.h"
#include "BusState.h"

#include <stdexcept>

namespace {
std::unique_ptr<GpibBus>& Slot() {
    static std::unique_ptr<GpibBus> bus;
    return bus;
}
}  // namespace

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
