// The serial mode text ("COM1:1200,n,8,1"): any text gives settings a serial
// port can take, or nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/SerialLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto mode = ParseSerialMode(text);
    if (!mode) return 0;
    if (mode->baud <= 0) std::abort();
    if (mode->dataBits < 5 || mode->dataBits > 8) std::abort();
    if (mode->stopBits != 1 && mode->stopBits != 2) std::abort();
    if (std::string("noems").find(mode->parity) == std::string::npos || mode->parity == '\0')
        std::abort();
    return 0;
}
