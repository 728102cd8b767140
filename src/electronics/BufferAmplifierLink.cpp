#include "electronics/BufferAmplifierLink.h"
#include "electronics/ElectronicsState.h"

#include <utility>

#include "platform/SerialLink.h"

void BufferAmplifierLink::Attach(SerialLink* link) {
    link_ = link;
    if (!link) {
        writer_ = nullptr;
        return;
    }
    writer_ = [link](std::uint8_t byte) { return link->IsOpen() && link->WriteByte(byte); };
}

void BufferAmplifierLink::SetWriter(Writer writer) {
    link_ = nullptr;
    writer_ = std::move(writer);
}

bool BufferAmplifierLink::Send(std::uint8_t byte) const {
    return writer_ ? writer_(byte) : false;
}

void ResetElectronicsState() {
    ResetBusState();
}
