#include "electronics/BufferAmplifierLink.h"
#include "electronics/ElectronicsState.h"

#include <utility>

#include "platform/SerialLink.h"

namespace {
struct LinkState {
    SerialLink* link = nullptr;
    BufferAmplifierLink::Writer writer;
};
LinkState& Current() {
    static LinkState state;
    return state;
}
}  // namespace

void BufferAmplifierLink::Attach(SerialLink* link) {
    Current().link = link;
    if (!link) {
        Current().writer = nullptr;
        return;
    }
    Current().writer = [link](std::uint8_t byte) {
        return link->IsOpen() && link->WriteByte(byte);
    };
}

SerialLink* BufferAmplifierLink::Attached() {
    return Current().link;
}

void BufferAmplifierLink::SetWriter(Writer writer) {
    Current().link = nullptr;
    Current().writer = std::move(writer);
}

bool BufferAmplifierLink::Send(std::uint8_t byte) {
    const Writer& writer = Current().writer;
    return writer ? writer(byte) : false;
}

void ResetElectronicsState() {
    ResetBusState();
    Current() = LinkState{};
}
