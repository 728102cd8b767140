#include "bus/GpibBus.h"
#include "bus/BusState.h"

#include <stdexcept>

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

GpibBus& BusSlot::Get() const {
    if (!bus_) throw xgpib("EDVR: driver not installed");
    return *bus_;
}

void ResetBusState() {
    ResetPlatformState();
}
