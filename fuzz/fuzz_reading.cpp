// The instrument reply parsers must give a defined, finite result for any
// bytes, and a reply without a number must never pass for a reading.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "electronics/HallReadings.h"

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

    // A reading is a reply shorter than the read buffer that is one number
    // and nothing after it but white space.
    const bool cut = size >= kReplyLimit;
    const bool whole = !cut && IsWholeNumber(reply);
    Check(!whole || scan.found);
    Check((current.kind == Kind::NoNumber) == !whole);
    Check((current.kind == Kind::OverRange) == (whole && scan.overflow));
    if (current.kind == Kind::Value) Check(current.value == ParseCurrentReading(reply));
    Check(current.kind != Kind::Saturating);
    // The curve reply is the same number unless ">" stands second.
    if (!cut && !(size >= 2 && reply[1] == '>')) Check(curve.kind == current.kind);
    if (cut) Check(curve.kind == Kind::NoNumber && voltage.kind == Kind::NoNumber);
    // The voltmeter's number is the rest after the status character.
    if (!cut && size >= 1 && !(size >= 3 && reply[2] == '>') && reply[0] != 'S') {
        const std::string_view tail = reply.substr(1);
        Check((voltage.kind == Kind::NoNumber) == !IsWholeNumber(tail));
        if (voltage.kind == Kind::Value) Check(voltage.value == ScanDecimal(tail).value);
    }
    if (size == 0) Check(voltage.kind == Kind::NoNumber);
    // The status word takes the same form; its value is the number's integer part.
    const std::optional<int> word = ParseStatusWordReply(reply);
    if (word) Check(whole && static_cast<double>(*word) == std::trunc(scan.value));
    if (!whole) Check(!word);

    const int fine = FineGainNumber(voltage.value);
    Check(fine >= 8 && fine <= 255);
    return 0;
}
