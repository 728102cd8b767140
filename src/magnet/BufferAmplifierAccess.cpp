#include "magnet/BufferAmplifierAccess.h"

#include "magnet/BufferAmplifier.h"
#include "magnet/Instruments.h"
#include "core/CoreRecords.h"
#include "platform/RegistryStore.h"

bool StoreBufferAmplifierInstalled(bool installed) {
    const std::string path = std::string(kRootKey) + "\\System";
    return Registry().Set(
        path, {RegistryStore::Binary("bufAmp Installed", {static_cast<std::uint8_t>(installed)})},
        true);
}

bool BufferAmplifierAccess::Installed() const {
    return instruments_.Records().config.bufferAmplifierInstalled;
}

void BufferAmplifierAccess::Refresh() {
    fields_.Set(kStatusField, Installed() ? "Buffer is installed" : "Buffer is not installed");
}

void BufferAmplifierAccess::ToggleInstalled() {
    RunConfig& config = instruments_.Records().config;
    config.bufferAmplifierInstalled = !config.bufferAmplifierInstalled;
    // nA and pA need the amplifier; once its installed state changes, a
    // selection of them falls back to uA and the measurements stop counting
    // on buffered mode.
    MeasurementSettings& settings = instruments_.Records().settings;
    if (settings.Iunits > 1) {
        settings.Iunits = 1;
        settings.bufferAmplifierMode = false;
    }
    StoreBufferAmplifierInstalled(config.bufferAmplifierInstalled);
    Refresh();
}

void BufferAmplifierAccess::SendByte() {
    const RunConfig& config = instruments_.Records().config;
    if (config.noInstrument || !config.bufferAmplifierInstalled) return;
    instruments_.AmplifierLink().Send(HexByteFromText(fields_.Get(kHexField)));
}
