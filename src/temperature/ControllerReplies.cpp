#include "temperature/ControllerReplies.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {
constexpr std::size_t kReadingChars = 7;

// The reply without the line end and blanks the controller puts around it.
std::string Trimmed(const std::string& text) {
    std::size_t first = 0, last = text.size();
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
    };
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// A whole text as a decimal number: an optional sign, digits with at most one
// point, an optional exponent. strtod alone would also take "inf", hex and
// leading blanks.
std::optional<double> Number(const std::string& text) {
    if (text.empty() || text.size() > 40) return std::nullopt;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-') ++i;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t exponentStart = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
        if (j == exponentStart) return std::nullopt;
        i = j;
    }
    if (i != text.size()) return std::nullopt;
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long long> Integer(const std::string& text) {
    std::size_t start = 0;
    if (!text.empty() && text[0] == '+') start = 1;
    long long value = 0;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    if (first == last) return std::nullopt;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}
}  // namespace

std::optional<TenthsReading> ReadTenths(const std::string& reply) {
    const std::string digits = Trimmed(reply);
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const char c = digits[i];
        if (!std::isdigit(static_cast<unsigned char>(c)) &&
            !(i == 0 && c == '-' && digits.size() > 1))
            return std::nullopt;
    }
    std::string text = digits.substr(0, digits.size() - 1) + "." + digits.back();
    const auto value = Number(text);
    if (!value) return std::nullopt;
    if (text.size() > kReadingChars) text.resize(kReadingChars);
    return TenthsReading{text, *value};
}

std::optional<int> ReadHeaterOutput(const std::string& reply) {
    const auto value = Integer(Trimmed(reply));
    if (!value || *value < 0 || *value > 65535) return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<double> ReadVacuum(const std::string& reply) {
    const auto value = Number(Trimmed(reply));
    if (!value || *value <= 0.0) return std::nullopt;
    return value;
}

int VacuumPercentRaw(double mbar) {
    const double percent = (3.0 - std::log10(mbar)) * 20.0;
    if (!std::isfinite(percent)) return percent > 0 ? 1000000 : -1000000;
    if (percent > 1e6) return 1000000;
    if (percent < -1e6) return -1000000;
    return static_cast<int>(percent);
}

int VacuumPercent(double mbar) {
    return GaugePercent(VacuumPercentRaw(mbar));
}

int GaugePercent(long long percent) {
    return percent < 0 ? 0 : percent > 100 ? 100 : static_cast<int>(percent);
}

std::optional<long> ReadItcTenths(const std::string& reply) {
    const std::string text = Trimmed(reply);
    // "?R2" is how the controller says it did not understand "R2": no reading.
    if (text.size() < 3 || text.size() > 14 || text[0] != 'R') return std::nullopt;
    const std::string digits = text.substr(2);
    if (digits[0] == '+' || digits[0] == '-') return std::nullopt;
    const auto value = Integer(digits);
    if (!value) return std::nullopt;
    // The second character carries the sign.
    return static_cast<long>(text[1] == '-' ? -*value : *value);
}

ItcStatus ReadItcStatus(const std::string& reply) {
    ItcStatus status;
    if (reply.size() > 3 && reply[3] >= '0' && reply[3] <= '7') status.autoDigit = reply[3];
    status.computerControl = reply.size() > 5 && reply[5] == '1';
    status.sampleSensor = reply.size() > 9 && reply[9] == '2';
    return status;
}

bool HotReply::Add(char byte) {
    if (stored_.size() < kCapacity) stored_.push_back(byte);
    return byte != '\n';
}

std::string HotReply::Text() const {
    const std::size_t end = stored_.find_first_of(std::string("\x03\0", 2));
    return end == std::string::npos ? stored_ : stored_.substr(0, end);
}

std::optional<TenthsReading> ReadHotTemperature(const std::string& raw) {
    static const std::string kHeader =
        "\x02"
        "0100XRS,";
    if (raw.compare(0, kHeader.size(), kHeader) != 0) return std::nullopt;
    const std::size_t etx = raw.find('\x03', kHeader.size());
    if (etx == std::string::npos) return std::nullopt;
    // After the ETX only the line end: a frame with more after it is not
    // the stage's answer alone.
    const std::string after = raw.substr(etx + 1);
    if (after != "" && after != "\r" && after != "\n" && after != "\r\n") return std::nullopt;
    std::string text = raw.substr(kHeader.size(), etx - kHeader.size());
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    text = text.substr(first, last - first + 1);
    const auto value = Number(text);
    if (!value) return std::nullopt;
    if (text.size() > kReadingChars) text.resize(kReadingChars);
    return TenthsReading{text, *value};
}
