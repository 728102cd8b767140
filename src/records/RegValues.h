#pragma once
// Typed reading of single registry values the way the settings sets need it:
// a value that is missing, of another type, longer than the reader's buffer
// or not a number where a number is expected counts as missing, so the caller
// keeps what it had. Numbers kept as text are written and read in the C
// notation whatever the process's locale is.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryStore.h"

namespace RegValues {

// Key paths below HKEY_LOCAL_MACHINE.
std::string Root();
std::string Branch(const std::string& word);  // "Settings" or "Styles"
std::string SettingsKey(const std::string& setName);
std::string StylesKey(const std::string& setName);
std::string SystemKey();
std::string MaterialsKey();

// A text value read with a buffer of bufferSize bytes (terminator included).
std::optional<std::string> Text(RegistryStore& store, const std::string& key,
                                const std::string& name, std::size_t bufferSize);
// A number kept as text (32-byte buffer), converted in the C notation.
std::optional<double> Number(RegistryStore& store, const std::string& key, const std::string& name);
std::optional<std::int32_t> Dword(RegistryStore& store, const std::string& key,
                                  const std::string& name);
std::optional<std::vector<std::uint8_t>> Bytes(RegistryStore& store, const std::string& key,
                                               const std::string& name, std::size_t size);
std::optional<bool> Flag(RegistryStore& store, const std::string& key, const std::string& name);

// Value makers for writing.
RegistryStore::Value NumberText(const std::string& name, double value, int decimals);
RegistryStore::Value Int(const std::string& name, std::int32_t value);
RegistryStore::Value Byte(const std::string& name, std::uint8_t value);

// "%.<decimals>f" and "%.<precision>g" in the C notation, and a full-text
// decimal conversion (leading and trailing blanks allowed) that refuses
// anything else, including infinities and NaN.
std::string Fixed(double value, int decimals);
std::string General(double value, int precision);
std::optional<double> ParseNumber(const std::string& text);
// The C library's atof as a dialog edit uses it: the leading number, 0 when
// there is none or it is not finite.
double LeadingNumber(const std::string& text);

}  // namespace RegValues
