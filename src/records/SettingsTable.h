#pragma once
// Every field of a settings set, declared once: its record name (the --set
// and dump spelling), its registry value name, type and size, the range the
// program can run with, the installer's default, and whether it is kept only
// with a temperature controller. The registry read and write, the dump,
// --set and the sheets' checks are all driven from here, so they cannot
// disagree.
//
// One range rule: a registry value outside its field's range counts as
// missing (the live value stays, as for a value of the wrong type), and
// --set refuses it, naming the range.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryStore.h"

class ProgramState;

enum class SettingType {
    Text,    // REG_SZ of at most `size` bytes with the terminator
    Number,  // REG_SZ holding "%.<size>f"
    Dword,   // REG_DWORD, a whole number
    Byte,    // REG_BINARY of one byte, a whole number 0 to 255
    Flag,    // REG_BINARY of one byte, 0 or not 0
    Binary,  // REG_BINARY of `size` bytes, read and written by the field's own functions
};

// The values a numeric field can take.
struct SettingRange {
    double low;
    double high;
    bool lowExclusive = false;  // (low, high]: a field strength must be above 0
    bool Contains(double v) const { return (lowExclusive ? v > low : v >= low) && v <= high; }
    // "from 0.1 to 19900", "above 0 up to 10"
    std::string Text() const;
};

struct SettingField {
    const char* name = nullptr;       // --set/dump spelling; nullptr: not reachable by name
    const char* valueName = nullptr;  // registry value; nullptr: not kept in a settings set
    SettingType type = SettingType::Text;
    int size = 0;                          // Text: buffer bytes; Number: decimals; Binary: bytes
    bool specimen = false;                 // shown as "specimen:" rather than "settings:"
    bool controllerOnly = false;           // read and written only with a temperature controller
    bool fileName = false;                 // a Text that names a file (kept whole or refused)
    const char* installDefault = nullptr;  // what the installer writes, as text; nullptr: nothing

    // Numeric fields. The range may follow other settings (the current's
    // follows the electronics in use).
    std::function<SettingRange()> range;
    // A further rule beyond the range (the scan's point count); empty when none.
    std::function<bool(double)> usable;
    std::string rule;  // how `usable` reads in a message
    std::function<double()> get;
    std::function<void(double)> put;

    // Text fields.
    std::function<std::string&()> text;

    // Binary fields, and anything a field does after it was read.
    std::function<void(RegistryStore&, const std::string& key)> read;
    std::function<void(std::vector<RegistryStore::Value>&)> write;
    std::function<void(RegistryStore&)> afterRead;
};

// In the order a set is written; the fields that are not stored come last.
// The table of a program state: its fields read and write that state's
// records. Built once per state (ProgramState::SettingTable()).
std::vector<SettingField> BuildSettingsTable(ProgramState& program);
const std::vector<SettingField>& SettingsTable(ProgramState& program);
const SettingField* FindSetting(ProgramState& program, const std::string& name);  // case ignored

// Whether `value` may go into the field; else the reason, naming the range.
std::optional<std::string> RefuseSetting(const SettingField& field, double value);

// The text a field's value reads as in the dump.
std::string SettingText(const SettingField& field);
// Sets a field from its --set text; false with the reason. A file name is
// refused, naming the character, when the settings' 8-bit text cannot hold
// it, and when it is longer than its field.
bool AssignSetting(const SettingField& field, const std::string& value, std::string& error);

// A settings set's values as the registry holds them, from the live values.
std::vector<RegistryStore::Value> SettingsSetValues(ProgramState& program, bool withController);
// Takes every stored field that is present, of its type and in its range.
void ReadSettingsValues(ProgramState& program, RegistryStore& store, const std::string& key,
                        bool withController);
