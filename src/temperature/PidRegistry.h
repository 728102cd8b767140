#pragma once
// Where the PID tables live in the registry and what a missing value reads
// as. One entry per subkey of the table's key, named by its temperature in
// kelvin as a decimal integer; every value a DWORD.
#include <cstdint>
#include <span>
#include <string>

#include "core/ControllerKind.h"
#include "platform/RegistryStore.h"
#include "temperature/TTemp.h"

struct PidValueName {
    const char* name;           // "P", "dT", "B3", ...
    std::int32_t Tpid::*field;  // where the value goes in the entry
    std::int32_t defaultValue;  // what a missing value reads as
};

// The value names of a kind's entries, in the order they are written; empty
// for the kinds without a table in the registry.
std::span<const PidValueName> PidValueNames(ControllerKind kind);

// The ITC5 key's own value: the temperature at which the heater changes
// from the cryostat sensor to the sample sensor.
inline constexpr const char* kTchangeName = "Tchange";
inline constexpr std::int32_t kDefaultTchange = 999;

// "SOFTWARE\Brisel\Hall\System\RT4450" and the like; empty without a table key.
std::string PidTableKey(ControllerKind kind);

// An entry's values, in write order, ready for RegistryStore::Set.
std::vector<RegistryStore::Value> PidEntryValues(ControllerKind kind, const Tpid& entry);

// The entry of one subkey: its temperature from the name, each value that
// can be read, the default for each that cannot. Nothing when the name is
// not a decimal integer.
std::optional<Tpid> ReadPidEntry(RegistryStore& store, ControllerKind kind,
                                 const std::string& subkey);

// Every entry of the kind's key in the registry's order, into the table (a
// full table drops the rest). False when the key cannot be opened.
bool ReadPidTable(RegistryStore& store, ControllerKind kind, PidTable& table);

// "Tchange" of the ITC5 key, or its default.
std::int32_t ReadTchange(RegistryStore& store);
