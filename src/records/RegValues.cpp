#include "records/RegValues.h"

#include <charconv>
#include <cmath>

namespace RegValues {

std::string Root() {
    return kRootKey;
}
std::string Branch(const std::string& word) {
    return Root() + "\\" + word;
}
std::string SettingsKey(const std::string& setName) {
    return Branch("Settings") + "\\" + setName;
}
std::string StylesKey(const std::string& setName) {
    return Branch("Styles") + "\\" + setName;
}
std::string SystemKey() {
    return Branch("System");
}
std::string MaterialsKey() {
    return Branch("Materials");
}

std::optional<std::string> Text(RegistryStore& store, const std::string& key,
                                const std::string& name, std::size_t bufferSize) {
    const auto value = store.Query(key, name, bufferSize);
    if (!value || (value->type != RegistryStore::kSz && value->type != RegistryStore::kExpandSz))
        return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    const auto end = text.find('\0');
    if (end != std::string::npos) {
        text.resize(end);
    } else if (text.size() >= bufferSize) {
        // No room left for the terminator: the text does not fit the buffer.
        return std::nullopt;
    }
    return text;
}

std::optional<double> Number(RegistryStore& store, const std::string& key,
                             const std::string& name) {
    const auto text = Text(store, key, name, 32);
    if (!text) return std::nullopt;
    return ParseNumber(*text);
}

std::optional<std::int32_t> Dword(RegistryStore& store, const std::string& key,
                                  const std::string& name) {
    const auto value = store.Query(key, name, 4);
    if (!value || value->type != RegistryStore::kDword || value->data.size() != 4)
        return std::nullopt;
    const auto& d = value->data;
    const std::uint32_t u =
        static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8) |
        (static_cast<std::uint32_t>(d[2]) << 16) | (static_cast<std::uint32_t>(d[3]) << 24);
    return static_cast<std::int32_t>(u);
}

std::optional<std::vector<std::uint8_t>> Bytes(RegistryStore& store, const std::string& key,
                                               const std::string& name, std::size_t size) {
    const auto value = store.Query(key, name, size);
    if (!value || value->type != RegistryStore::kBinary || value->data.size() != size)
        return std::nullopt;
    return value->data;
}

std::optional<bool> Flag(RegistryStore& store, const std::string& key, const std::string& name) {
    const auto bytes = Bytes(store, key, name, 1);
    if (!bytes) return std::nullopt;
    return (*bytes)[0] != 0;
}

RegistryStore::Value NumberText(const std::string& name, double value, int decimals) {
    return RegistryStore::String(name, Fixed(value, decimals));
}

RegistryStore::Value Int(const std::string& name, std::int32_t value) {
    return RegistryStore::Dword(name, static_cast<std::uint32_t>(value));
}

RegistryStore::Value Byte(const std::string& name, std::uint8_t value) {
    return RegistryStore::Binary(name, {value});
}

std::string Fixed(double value, int decimals) {
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "0";
    return std::string(buffer, r.ptr);
}

std::string General(double value, int precision) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (r.ec != std::errc()) return "0";
    return std::string(buffer, r.ptr);
}

namespace {
bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Parses the number at the start of [begin, end) after blanks and an optional
// sign; returns the end of what was read, or nullptr.
const char* ReadNumber(const char* begin, const char* end, double& out) {
    while (begin < end && Blank(*begin)) ++begin;
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
    }
    // from_chars takes no sign of its own before a second one.
    if (begin < end && (*begin == '+' || *begin == '-')) return nullptr;
    double value = 0;
    const auto r = std::from_chars(begin, end, value, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(value)) return nullptr;
    out = negative ? -value : value;
    return r.ptr;
}
}  // namespace

std::optional<double> ParseNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    double value = 0;
    const char* p = ReadNumber(begin, end, value);
    if (!p) return std::nullopt;
    while (p < end && Blank(*p)) ++p;
    if (p != end) return std::nullopt;
    return value;
}

double LeadingNumber(const std::string& text) {
    double value = 0;
    return ReadNumber(text.data(), text.data() + text.size(), value) ? value : 0.0;
}

}  // namespace RegValues
