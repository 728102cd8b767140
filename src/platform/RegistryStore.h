#pragma once
// The program's persistent settings: a tree of keys holding named, typed
// values. On Windows it is the system registry; elsewhere one text file in the
// registry editor's export format, so an export of a Windows installation is
// imported by copying one file.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class RegistryStore {
  public:
    enum Type : std::uint32_t { kNone = 0, kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4 };
    struct Value {
        std::string name;
        std::uint32_t type = kSz;
        std::vector<std::uint8_t> data;
    };

    virtual ~RegistryStore() = default;

    // Paths are below HKEY_LOCAL_MACHINE, components separated by '\'
    // ("SOFTWARE\\Brisel\\Hall\\System"); names compare without regard to case.
    virtual bool KeyExists(const std::string& path) = 0;
    virtual bool CreateKey(const std::string& path) = 0;
    virtual std::vector<std::string> EnumKeys(const std::string& path) = 0;
    virtual std::vector<Value> EnumValues(const std::string& path) = 0;
    // The value, or nothing when the key or the value is missing or its data
    // is longer than the reader's buffer.
    virtual std::optional<Value> Query(const std::string& path, const std::string& name,
                                       std::size_t bufferSize) = 0;
    // Writes the values in order in one step; creates the key when asked.
    // False when nothing could be written.
    virtual bool Set(const std::string& path, const std::vector<Value>& values,
                     bool createKey = true) = 0;
    virtual bool DeleteKey(const std::string& path) = 0;
    virtual bool DeleteValue(const std::string& path, const std::string& name) = 0;
    // Runs edit against a view of the store and commits everything it changed
    // at once: a program stopped at any moment leaves all of it or none. edit
    // returns false to abandon its changes. True when the changes (or none)
    // were committed; false when the store could not be read or written, or
    // edit gave up. The system registry has no such step: there each call of
    // edit's takes effect by itself.
    virtual bool Apply(const std::function<bool(RegistryStore& view)>& edit) { return edit(*this); }
    // Where the settings live, for the operator (a file path or a registry path).
    virtual std::string Location() const = 0;

    // Typed helpers. A text is read with its terminator within bufferSize.
    std::optional<std::string> QueryString(const std::string& path, const std::string& name,
                                           std::size_t bufferSize);
    std::optional<std::uint32_t> QueryDword(const std::string& path, const std::string& name);
    std::optional<std::vector<std::uint8_t>> QueryBinary(const std::string& path,
                                                         const std::string& name,
                                                         std::size_t bufferSize);
    bool SetString(const std::string& path, const std::string& name, const std::string& text);
    bool SetDword(const std::string& path, const std::string& name, std::uint32_t value);
    bool SetBinary(const std::string& path, const std::string& name,
                   const std::vector<std::uint8_t>& data);

    static Value String(const std::string& name, const std::string& text);
    static Value Dword(const std::string& name, std::uint32_t value);
    static Value Binary(const std::string& name, const std::vector<std::uint8_t>& data);
};

// The root of the program's tree.
inline constexpr const char* kRootKey = "SOFTWARE\\Brisel\\Hall";

// The store a program opens: the named settings file; without a name, the
// system registry on Windows and the default settings file elsewhere.
std::unique_ptr<RegistryStore> OpenRegistryStore(const std::string& file = {});

// The process's store; the application installs it at start-up.
RegistryStore& Registry();
void SetRegistry(std::unique_ptr<RegistryStore> store);
