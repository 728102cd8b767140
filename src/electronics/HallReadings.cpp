#include "HallReadings.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "Printf.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

double ParseDecimal(std::string_view text, bool* overflow) {
    if (overflow) *overflow = false;
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const std::size_t start = i;
    std::size_t intDigits = 0, leadingZeros = 0, fracDigits = 0;
    bool significant = false;
    while (i < text.size() && IsDigit(text[i])) {
        if (text[i] != '0') significant = true;
        if (significant) ++intDigits;
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
    const std::size_t mantissaLength = i - start;
    if (mantissaLength == 0 || (mantissaLength == 1 && text[start] == '.')) return 0.0;
    if (intDigits == 0 && fracDigits == 0 && text[start] == '.') return 0.0;

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
    if (!significant) return 0.0;

    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Which way out of range: the decimal magnitude of the number decides.
        const long magnitude = intDigits > 0 ? static_cast<long>(intDigits) + exponent
                                             : exponent - static_cast<long>(leadingZeros);
        if (magnitude > 0 && overflow) *overflow = true;
        return 0.0;
    }
    if (error != std::errc() || !std::isfinite(value)) {
        if (overflow) *overflow = true;
        return 0.0;
    }
    return negative ? -value : value;
}

HallReading ParseVoltageReading(std::string_view reply) {
    HallReading reading;
    if (reply.size() >= 3 && reply[2] == '>') {
        reading.kind = HallReading::Kind::OverRange;
    } else if (!reply.empty() && reply[0] == 'S') {
        reading.kind = HallReading::Kind::Saturating;
    } else if (!reply.empty()) {
        bool overflow = false;
        reading.value = ParseDecimal(reply.substr(1), &overflow);
        if (overflow) reading.kind = HallReading::Kind::OverRange;
    }
    return reading;
}

HallReading ParseCurveReading(std::string_view reply) {
    HallReading reading;
    if (reply.size() >= 2 && reply[1] == '>') {
        reading.kind = HallReading::Kind::OverRange;
        return reading;
    }
    bool overflow = false;
    reading.value = ParseDecimal(reply, &overflow);
    if (overflow) reading.kind = HallReading::Kind::OverRange;
    return reading;
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
