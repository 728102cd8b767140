// The instrument reply parsers must give a defined, finite result for any
// bytes, and a reply without a number must never pass for a reading.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "HallReadings.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Kind = HallReading::Kind;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const HallReading voltage = ParseVoltageReading(reply);
    const HallReading curve = ParseCurveReading(reply);
    const HallReading current = ParseCurrentReply(reply);
    bool overflow = false;
    const double decimal = ParseDecimal(reply, &overflow);
    const DecimalScan scan = ScanDecimal(reply);
    for (const HallReading& r : {voltage, curve, current}) {
        Check(std::isfinite(r.value));
        if (r.kind != Kind::Value) Check(r.value == 0.0);
    }
    Check(std::isfinite(ParseCurrentReading(reply)) && std::isfinite(decimal));
    Check(!overflow || decimal == 0.0);
    Check(scan.found || (scan.value == 0.0 && !scan.overflow));
    Check(scan.value == decimal && scan.overflow == overflow);

    // The current reply is the whole-reply number: its kind follows the scan.
    Check((current.kind == Kind::NoNumber) == !scan.found);
    Check((current.kind == Kind::OverRange) == (scan.found && scan.overflow));
    if (current.kind == Kind::Value) Check(current.value == ParseCurrentReading(reply));
    Check(current.kind != Kind::Saturating);
    // The curve reply is the same number unless ">" stands second.
    if (!(size >= 2 && reply[1] == '>')) Check(curve.kind == current.kind);
    // The voltmeter's number starts at the second character.
    if (size >= 1 && !(size >= 3 && reply[2] == '>') && reply[0] != 'S') {
        const DecimalScan tail = ScanDecimal(reply.substr(1));
        Check((voltage.kind == Kind::NoNumber) == !tail.found);
        if (voltage.kind == Kind::Value) Check(voltage.value == tail.value);
    }
    if (size == 0) Check(voltage.kind == Kind::NoNumber);

    const int fine = FineGainNumber(voltage.value);
    Check(fine >= 8 && fine <= 255);
    return 0;
}
