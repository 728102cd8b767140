// The temperature controllers' replies: the LN2 tenths, heater and vacuum,
// the ITC5 "R" and status replies, the hot stage's reply buffer and reading.
// Every reader gives a value or nothing; what it gives stays in its bounds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "temperature/ControllerReplies.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);

    if (const auto r = ReadTenths(reply)) {
        Check(r->text.size() <= 7);
        Check(std::isfinite(r->kelvin));
    }
    if (const auto h = ReadHeaterOutput(reply)) Check(*h >= 0 && *h <= 65535);
    if (const auto v = ReadVacuum(reply)) {
        Check(*v > 0.0 && std::isfinite(*v));
        const int percent = VacuumPercent(*v);
        Check(percent >= 0 && percent <= 100);
    }
    if (ReadItcTenths(reply)) {
        // Blanks and the link's 0 fillers around a reply do not count.
        const auto first = reply.find_first_not_of(std::string(" \t\r\n\0", 5));
        Check(first != std::string::npos && reply[first] == 'R');
    }
    const ItcStatus status = ReadItcStatus(reply);
    if (status.autoDigit) Check(*status.autoDigit >= '0' && *status.autoDigit <= '7');
    Check(!status.computerControl || reply.size() > 5);
    Check(!status.sampleSensor || reply.size() > 9);

    HotReply buffer;
    std::size_t used = 0;
    for (char c : reply) {
        ++used;
        if (!buffer.Add(c)) break;
    }
    Check(buffer.Text().size() <= HotReply::kCapacity);
    Check(buffer.Text().find('\x03') == std::string::npos);
    if (used < reply.size()) Check(reply[used - 1] == '\n');
    Check(buffer.Raw().size() <= HotReply::kCapacity);
    if (const auto hot = ReadHotTemperature(buffer.Raw())) {
        Check(hot->text.size() <= 7);
        Check(std::isfinite(hot->kelvin));
        // Only a whole frame reads: its STX first, its ETX inside.
        Check(buffer.Raw()[0] == '\x02');
        Check(buffer.Raw().find('\x03') != std::string::npos);
        Check(buffer.Raw().find('\0') == std::string::npos);
    }
    if (const auto hot = ReadHotTemperature(reply)) Check(std::isfinite(hot->kelvin));
    return 0;
}
