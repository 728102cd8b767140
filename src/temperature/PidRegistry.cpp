#include "temperature/PidRegistry.h"

#include <charconv>

namespace {
constexpr PidValueName kLn2Names[] = {
    {"P", &Tpid::P, 25},  {"I", &Tpid::I, 50},    {"D", &Tpid::D, 50},
    {"dT", &Tpid::M1, 1}, {"Sec", &Tpid::M2, 10},
};
constexpr PidValueName kItc5Names[] = {
    {"P", &Tpid::P, 15},  {"I", &Tpid::I, 10},  {"D", &Tpid::D, 0},
    {"B1", &Tpid::M1, 2}, {"B2", &Tpid::M2, 2}, {"B3", &Tpid::M3, 2},
};

// A subkey name as an entry temperature: an optional sign and decimal
// digits, nothing else, within 32 bits.
std::optional<std::int32_t> EntryTemperature(const std::string& name) {
    std::int32_t value = 0;
    const char* first = name.data();
    const char* last = first + name.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}
}  // namespace

std::span<const PidValueName> PidValueNames(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::LN2:
            return kLn2Names;
        case ControllerKind::ITC5:
            return kItc5Names;
        default:
            return {};
    }
}

std::string PidTableKey(ControllerKind kind) {
    const char* key = FactsOf(kind).pidKey;
    if (!key) return {};
    return std::string(kRootKey) + "\\System\\" + key;
}

std::vector<RegistryStore::Value> PidEntryValues(ControllerKind kind, const Tpid& entry) {
    std::vector<RegistryStore::Value> values;
    for (const PidValueName& v : PidValueNames(kind))
        values.push_back(RegistryStore::Dword(v.name, static_cast<std::uint32_t>(entry.*v.field)));
    return values;
}

std::optional<Tpid> ReadPidEntry(RegistryStore& store, ControllerKind kind,
                                 const std::string& subkey) {
    const auto t = EntryTemperature(subkey);
    if (!t) return std::nullopt;
    Tpid entry;
    entry.T = *t;
    const std::string path = PidTableKey(kind) + "\\" + subkey;
    for (const PidValueName& v : PidValueNames(kind)) {
        const auto value = store.QueryDword(path, v.name);
        entry.*v.field = value ? static_cast<std::int32_t>(*value) : v.defaultValue;
    }
    return entry;
}

bool ReadPidTable(RegistryStore& store, ControllerKind kind, PidTable& table) {
    const std::string key = PidTableKey(kind);
    if (key.empty() || !store.KeyExists(key)) return false;
    for (const std::string& subkey : store.EnumKeys(key))
        if (const auto entry = ReadPidEntry(store, kind, subkey)) table.Add(*entry);
    return true;
}

std::int32_t ReadTchange(RegistryStore& store) {
    const auto value = store.QueryDword(PidTableKey(ControllerKind::ITC5), kTchangeName);
    return value ? static_cast<std::int32_t>(*value) : kDefaultTchange;
}
