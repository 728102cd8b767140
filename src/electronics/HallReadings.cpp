#include "electronics/HallReadings.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "core/Printf.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

DecimalScan ScanDecimal(std::string_view text) {
    DecimalScan scan;
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const std::size_t start = i;
    std::size_t intDigits = 0, leadingZeros = 0, fracDigits = 0, zeroIntDigits = 0;
    bool significant = false;
    while (i < text.size() && IsDigit(text[i])) {
        if (text[i] != '0') significant = true;
        if (significant)
            ++intDigits;
        else
            ++zeroIntDigits;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            if (text[i] != '0') significant = true;
            if (!significant && intDigits == 0) ++leadingZeros;
            ++fracDigits;
            ++i;
        }
    }
    // A number needs at least one digit before or after the point.
    if (intDigits + zeroIntDigits + fracDigits == 0) return scan;
    scan.found = true;

    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            negativeExponent = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (negativeExponent) exponent = -exponent;
            i = j;
        }
    }
    scan.end = i;
    if (!significant) return scan;

    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Which way out of range: the decimal magnitude of the number decides.
        const long magnitude = intDigits > 0 ? static_cast<long>(intDigits) + exponent
                                             : exponent - static_cast<long>(leadingZeros);
        scan.overflow = magnitude > 0;
        return scan;
    }
    if (error != std::errc() || !std::isfinite(value)) {
        scan.overflow = true;
        return scan;
    }
    scan.value = negative ? -value : value;
    return scan;
}

bool IsWholeNumber(std::string_view text) {
    const DecimalScan scan = ScanDecimal(text);
    if (!scan.found) return false;
    for (std::size_t i = scan.end; i < text.size(); ++i)
        if (!IsBlank(text[i])) return false;
    return true;
}

double ParseDecimal(std::string_view text, bool* overflow) {
    const DecimalScan scan = ScanDecimal(text);
    if (overflow) *overflow = scan.overflow;
    return scan.value;
}

namespace {
// A reply that is one number: its value, over range beyond a double, or none.
HallReading NumberReading(std::string_view text) {
    HallReading reading;
    const DecimalScan scan = ScanDecimal(text);
    if (!IsWholeNumber(text)) {
        reading.kind = HallReading::Kind::NoNumber;
    } else if (scan.overflow) {
        reading.kind = HallReading::Kind::OverRange;
    } else {
        reading.value = scan.value;
    }
    return reading;
}

bool Cut(std::string_view reply) {
    return reply.size() >= kReplyLimit;
}
}  // namespace

HallReading ParseVoltageReading(std::string_view reply) {
    HallReading reading;
    if (Cut(reply)) {
        reading.kind = HallReading::Kind::NoNumber;
    } else if (reply.size() >= 3 && reply[2] == '>') {
        reading.kind = HallReading::Kind::OverRange;
    } else if (!reply.empty() && reply[0] == 'S') {
        reading.kind = HallReading::Kind::Saturating;
    } else if (reply.empty()) {
        reading.kind = HallReading::Kind::NoNumber;
    } else {
        reading = NumberReading(reply.substr(1));
    }
    return reading;
}

HallReading ParseCurveReading(std::string_view reply) {
    if (Cut(reply)) return {HallReading::Kind::NoNumber, 0.0};
    if (reply.size() >= 2 && reply[1] == '>') return {HallReading::Kind::OverRange, 0.0};
    return NumberReading(reply);
}

HallReading ParseCurrentReply(std::string_view reply) {
    if (Cut(reply)) return {HallReading::Kind::NoNumber, 0.0};
    return NumberReading(reply);
}

std::optional<int> ParseStatusWordReply(std::string_view reply) {
    if (Cut(reply) || !IsWholeNumber(reply)) return std::nullopt;
    const DecimalScan scan = ScanDecimal(reply);
    const double word = std::trunc(scan.value);
    if (scan.overflow || word > INT_MAX || word < INT_MIN) return std::nullopt;
    return static_cast<int>(word);
}

double ParseCurrentReading(std::string_view reply) {
    return ParseDecimal(reply);
}

int FineGainNumber(double v) {
    const double scaled = std::fabs(v) * 42.4;
    if (!(scaled >= 8.0)) return 8;  // also NaN
    if (scaled >= 255.0) return 255;
    return static_cast<int>(scaled);
}

double GainScale(int gain, int fineGain) {
    return std::pow(10.0, gain) * 256.0 / (fineGain != 0 ? fineGain : 256);
}

std::string StatusByteText(int statusByte) {
    static const char* const kAbnormal[] = {
        "SRQ: Abnormal 0",         "SRQ: input buffer overflow",
        "SRQ: no data received",   "SRQ: command not understood",
        "SRQ: value out of range", "SRQ: Sensor Interlock Violation",
        "SRQ: Motor Timeout",      "SRQ: Stepping Motor",
        "SRQ: Lid Open",           "SRQ: Interlock Cable #1 broken",
    };
    const int code = statusByte & 0x1F;
    if (!(statusByte & 0x20)) return Printf("SRQ: Normal x%X", code);
    if (code < 10) return kAbnormal[code];
    return Printf("SRQ: Abnormal x%X", code);
}
