#include "platform/RegistryStore.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/FileRegistryStore.h"
#ifdef _WIN32
#include "platform/Win32RegistryStore.h"
#endif

namespace {
std::unique_ptr<RegistryStore>& Slot() {
    static std::unique_ptr<RegistryStore> store;
    return store;
}
}  // namespace

std::unique_ptr<RegistryStore> OpenRegistryStore(const std::string& file) {
#ifdef _WIN32
    // VANTRIS_REGISTRY names a file in place of the system registry here too.
    const char* env = std::getenv("VANTRIS_REGISTRY");
    if (file.empty() && !(env && *env)) return std::make_unique<Win32RegistryStore>();
    return std::make_unique<FileRegistryStore>(file.empty() ? FileRegistryStore::DefaultPath()
                                                            : file);
#else
    return std::make_unique<FileRegistryStore>(file.empty() ? FileRegistryStore::DefaultPath()
                                                            : file);
#endif
}

RegistryStore& Registry() {
    if (!Slot()) throw std::logic_error("registry store used before start-up installed one");
    return *Slot();
}

void SetRegistry(std::unique_ptr<RegistryStore> store) {
    Slot() = std::move(store);
}

std::optional<std::string> RegistryStore::QueryString(const std::string& path,
                                                      const std::string& name,
                                                      std::size_t bufferSize) {
    auto value = Query(path, name, bufferSize);
    if (!value) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    // The text ends at its first terminator, as a C string in the buffer would.
    const auto end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return text;
}

std::optional<std::uint32_t> RegistryStore::QueryDword(const std::string& path,
                                                       const std::string& name) {
    auto value = Query(path, name, 4);
    if (!value || value->data.size() != 4) return std::nullopt;
    const auto& d = value->data;
    return static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8) |
           (static_cast<std::uint32_t>(d[2]) << 16) | (static_cast<std::uint32_t>(d[3]) << 24);
}

std::optional<std::vector<std::uint8_t>> RegistryStore::QueryBinary(const std::string& path,
                                                                    const std::string& name,
                                                                    std::size_t bufferSize) {
    auto value = Query(path, name, bufferSize);
    if (!value) return std::nullopt;
    return value->data;
}

RegistryStore::Value RegistryStore::String(const std::string& name, const std::string& text) {
    Value v{name, kSz, std::vector<std::uint8_t>(text.begin(), text.end())};
    v.data.push_back(0);
    return v;
}

RegistryStore::Value RegistryStore::Dword(const std::string& name, std::uint32_t value) {
    return Value{name,
                 kDword,
                 {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                  static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

RegistryStore::Value RegistryStore::Binary(const std::string& name,
                                           const std::vector<std::uint8_t>& data) {
    return Value{name, kBinary, data};
}

bool RegistryStore::SetString(const std::string& path, const std::string& name,
                              const std::string& text) {
    return Set(path, {String(name, text)});
}

bool RegistryStore::SetDword(const std::string& path, const std::string& name,
                             std::uint32_t value) {
    return Set(path, {Dword(name, value)});
}

bool RegistryStore::SetBinary(const std::string& path, const std::string& name,
                              const std::vector<std::uint8_t>& data) {
    return Set(path, {Binary(name, data)});
}
