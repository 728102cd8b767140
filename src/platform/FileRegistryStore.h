#pragma once
// The registry as one .reg text file. Every write happens under a lock, re-reads
// the file, applies only its own change and replaces the file atomically, so two
// running programs never lose each other's changes and a program killed while
// writing leaves either the old file or the whole new one. A file that cannot be
// read (or holds more than RegLimits allow) is never overwritten: writes are
// refused until it has been set aside.
//
// A settings file that is a symbolic link stays one: writes go to the file it
// points to, through a temporary file beside that target.
#include <string>

#include "platform/RegFile.h"
#include "platform/RegistryStore.h"

class FileRegistryStore : public RegistryStore {
  public:
    explicit FileRegistryStore(std::string path);

    // The default file: $XDG_CONFIG_HOME/Brisel/Hall.reg (or ~/.config/...),
    // unless VANTRIS_REGISTRY names another.
    static std::string DefaultPath();

    bool Damaged() const { return damaged_; }
    int DamagedLine() const { return damagedLine_; }
    const std::string& DamageText() const { return damageText_; }
    // Renames the unreadable file aside ("<file>.damaged", numbered when that
    // exists) and continues with an empty store. Returns the new name, or
    // empty when the rename failed (the store then stays read-only).
    std::string SetAside();

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
    // One locked re-read, the edit on it in memory, one atomic replacement.
    bool Apply(const std::function<bool(RegistryStore& view)>& edit) override;
    std::string Location() const override { return path_; }

  private:
    class View;
    void Refresh(bool force = false);
    // Runs change on a view of the freshly read tree under the lock and writes
    // the result when it returns true. False when nothing was written.
    template <typename Change>
    bool Update(Change change);

    std::string path_;
    RegTree tree_;
    long long stamp_ = -1;  // modification time and size of what tree_ holds
    long long size_ = -1;
    bool damaged_ = false;
    int damagedLine_ = 0;
    std::string damageText_;
};
