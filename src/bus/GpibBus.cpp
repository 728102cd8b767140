#include "bus/GpibBus.h"
#include "bus/BusState.h"
#include "core/InstalledPart.h"

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

namespace {
std::size_t PrimarySlot(int primary, std::size_t count) {
    // Primary addresses are 0 to 30; anything else shares the last slot.
    return primary >= 0 && static_cast<std::size_t>(primary) < count - 1
               ? static_cast<std::size_t>(primary)
               : count - 1;
}
}  // namespace

void GpibBus::NoteWrite(int primary) {
    restPending_[PrimarySlot(primary, kPrimaries)] = false;
}

void GpibBus::NoteReply(int primary, std::size_t length, int bufferSize) {
    const bool full = bufferSize > 0 && length >= static_cast<std::size_t>(bufferSize - 1);
    bool& pending = restPending_[PrimarySlot(primary, kPrimaries)];
    if (pending) {
        lastReplyPart_ = ReplyPart::Rest;
        // A piece shorter than the buffer ended at the device's terminator.
        pending = full;
    } else {
        lastReplyPart_ = full ? ReplyPart::Cut : ReplyPart::Whole;
        pending = full;
    }
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
