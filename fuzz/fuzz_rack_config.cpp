// The rack's JSON configuration: any text gives a configuration or an error
// that names what is wrong, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vantris_sim/RackConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string json(reinterpret_cast<const char*>(data), size);
    vantris::sim::RackConfig config;
    std::string error;
    const bool ok = vantris::sim::ParseRackConfig(json, config, error);
    if (!ok && error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
}
