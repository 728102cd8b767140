#include "magnet/BufferAmplifier.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "electronics/BufferAmplifierLink.h"
#include "platform/SerialLink.h"

namespace {
SerialLink* OpenPort(const BufferAmplifierLink& amplifier) {
    SerialLink* link = amplifier.Attached();
    return (link && link->IsOpen()) ? link : nullptr;
}
}  // namespace

bool BufferAmplifierAnswers(const ModemLines& lines) {
    if (!lines.setRts || !lines.cts) return false;
    lines.setRts(false);
    const bool offFirst = !lines.cts();
    lines.setRts(true);
    const bool onSecond = lines.cts();
    return offFirst && onSecond;
}

bool BufferAmplifier::Present() const {
    if (lines_) return BufferAmplifierAnswers(*lines_);
    SerialLink* port = OpenPort(link_);
    if (!port) return false;
    return BufferAmplifierAnswers(
        {[port](bool on) { port->SetRts(on); }, [port] { return port->Cts(); }});
}

bool BufferAmplifier::PortOpen() const {
    return lines_.has_value() || OpenPort(link_) != nullptr;
}

std::optional<std::uint8_t> BufferAmplifierPairByte(int a, int b) {
    struct Pair {
        int a, b;
        std::uint8_t byte;
    };
    static constexpr Pair kPairs[] = {{1, 2, 0x85}, {2, 3, 0x94}, {3, 4, 0xB0},
                                      {4, 1, 0xA1}, {1, 3, 0x92}, {2, 4, 0xA8}};
    for (const Pair& pair : kPairs)
        if ((pair.a == a && pair.b == b) || (pair.a == b && pair.b == a)) return pair.byte;
    return std::nullopt;
}

std::uint8_t HexByteFromText(std::string_view text) {
    const std::string head(text.substr(0, 5));
    // At most five hexadecimal digits: no overflow is possible.
    const unsigned long value = std::strtoul(head.c_str(), nullptr, 16);
    return static_cast<std::uint8_t>(value & 0xFF);
}
