// The instrument reply parsers must give a defined, finite result for any bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "HallReadings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const HallReading voltage = ParseVoltageReading(reply);
    const HallReading curve = ParseCurveReading(reply);
    bool overflow = false;
    const double decimal = ParseDecimal(reply, &overflow);
    if (!std::isfinite(voltage.value) || !std::isfinite(curve.value) ||
        !std::isfinite(ParseCurrentReading(reply)) || !std::isfinite(decimal))
        std::abort();
    if (overflow && decimal != 0.0) std::abort();
    const int fine = FineGainNumber(voltage.value);
    if (fine < 8 || fine > 255) std::abort();
    return 0;
}
