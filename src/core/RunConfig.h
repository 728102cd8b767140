#pragma once
// The run's fixed configuration: set once at start-up, read everywhere.
#include <cstdint>
#include <string>

#include "core/ControllerKind.h"

struct RunConfig {
    ControllerKind controllerKind = ControllerKind::None;
    bool noInstrument = false;  // demo mode: no instrument traffic at all
    bool manualMagnet = false;  // magnet commands shown to the operator, not sent
    bool bytewiseItc = false;   // ITC5 replies read byte by byte
    bool bufferAmplifierInstalled = false;
    std::string bufAmpPort;    // 8-byte registry text
    std::string hotStagePort;  // 8-byte registry text
    std::string ID1 = "ID1";   // 16-byte labels of the specimen identifiers
    std::string ID2 = "ID2";
    std::string programDirectory;
    std::string helpFilePath;
    bool simulate = false;       // running against the virtual instrument rack
    std::string simulateConfig;  // rack configuration file, empty for the defaults
    std::string gpibLibrary;     // explicit driver library, empty for the default

    static constexpr std::uint16_t version = 0x021A;
};

// "2.26"
std::string VersionText();
