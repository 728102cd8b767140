#include "GpibBus.h"
#include "BusState.h"

#include <stdexcept>

namespace {
std::unique_ptr<GpibBus>*& Installed() {
    static std::unique_ptr<GpibBus>* installed = nullptr;
    return installed;
}

std::unique_ptr<GpibBus>& Slot() {
    if (std::unique_ptr<GpibBus>* installed = Installed()) return *installed;
    static std::unique_ptr<GpibBus> own;
    return own;
}
}  // namespace

std::unique_ptr<GpibBus>* InstallBusSlot(std::unique_ptr<GpibBus>* slot) {
    std::unique_ptr<GpibBus>* before = Installed();
    Installed() = slot;
    return before;
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
