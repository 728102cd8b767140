#ifdef _WIN32
#include "platform/Win32RegistryStore.h"

#include <windows.h>

namespace {
struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};
bool OpenKey(const std::string& path, REGSAM access, Key& key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key.h) == ERROR_SUCCESS;
}
}  // namespace

bool Win32RegistryStore::KeyExists(const std::string& path) {
    Key key;
    return OpenKey(path, KEY_QUERY_VALUE, key);
}

bool Win32RegistryStore::CreateKey(const std::string& path) {
    Key key;
    DWORD disposition = 0;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, &key.h, &disposition) == ERROR_SUCCESS;
}

std::vector<std::string> Win32RegistryStore::EnumKeys(const std::string& path) {
    std::vector<std::string> names;
    Key key;
    if (!OpenKey(path, KEY_ENUMERATE_SUB_KEYS, key)) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.h, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}

std::vector<RegistryStore::Value> Win32RegistryStore::EnumValues(const std::string& path) {
    std::vector<Value> values;
    Key key;
    if (!OpenKey(path, KEY_QUERY_VALUE, key)) return values;
    // Buffers as long as the key's longest name and data, so no value is cut short.
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyA(key.h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<char> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key.h, i, name.data(), &nameSize, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back(Value{std::string(name.data(), nameSize), type,
                               std::vector<std::uint8_t>(data.data(), data.data() + dataSize)});
    }
    return values;
}

std::optional<RegistryStore::Value> Win32RegistryStore::Query(const std::string& path,
                                                              const std::string& name,
                                                              std::size_t bufferSize) {
    Key key;
    if (!OpenKey(path, KEY_QUERY_VALUE, key)) return std::nullopt;
    std::vector<std::uint8_t> data(bufferSize + 1);
    DWORD size = static_cast<DWORD>(bufferSize), type = 0;
    // A value longer than the buffer is refused (ERROR_MORE_DATA), as the reader expects.
    if (RegQueryValueExA(key.h, name.c_str(), nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS ||
        size > bufferSize)
        return std::nullopt;
    data.resize(size);
    return Value{name, type, std::move(data)};
}

bool Win32RegistryStore::Set(const std::string& path, const std::vector<Value>& values,
                             bool createKey) {
    Key key;
    if (createKey) {
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key.h, &disposition) != ERROR_SUCCESS)
            return false;
    } else if (!OpenKey(path, KEY_SET_VALUE, key)) {
        return false;
    }
    bool all = true;
    for (const auto& v : values)
        all = RegSetValueExA(key.h, v.name.c_str(), 0, v.type, v.data.data(),
                             static_cast<DWORD>(v.data.size())) == ERROR_SUCCESS &&
              all;
    return all;
}

bool Win32RegistryStore::DeleteKey(const std::string& path) {
    return RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str()) == ERROR_SUCCESS &&
           RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()) == ERROR_SUCCESS;
}

bool Win32RegistryStore::DeleteValue(const std::string& path, const std::string& name) {
    Key key;
    if (!OpenKey(path, KEY_SET_VALUE, key)) return false;
    return RegDeleteValueA(key.h, name.c_str()) == ERROR_SUCCESS;
}
#endif
