#pragma once
#ifdef _WIN32
#include "platform/RegistryStore.h"

// The real registry below HKEY_LOCAL_MACHINE.
class Win32RegistryStore : public RegistryStore {
  public:
    bool KeyExists(const std::string& path) override;
    bool CreateKey(const std::string& path) override;
    std::vector<std::string> EnumKeys(const std::string& path) override;
    std::vector<Value> EnumValues(const std::string& path) override;
    std::optional<Value> Query(const std::string& path, const std::string& name,
                               std::size_t bufferSize) override;
    bool Set(const std::string& path, const std::vector<Value>& values,
             bool createKey = true) override;
    bool DeleteKey(const std::string& path) override;
    bool DeleteValue(const std::string& path, const std::string& name) override;
    std::string Location() const override { return "HKEY_LOCAL_MACHINE"; }
};
#endif
