#pragma once
// Reading and writing the registry editor's export format (REGEDIT4, and the
// UTF-16 "Version 5.00" export on reading). Pure functions over bytes.
#include <string>
#include <vector>

#include "RegistryStore.h"

struct RegKey {
    std::string path;  // below HKEY_LOCAL_MACHINE
    std::vector<RegistryStore::Value> values;
};

// Keys in file order; a key's ancestors exist implicitly.
struct RegTree {
    std::vector<RegKey> keys;

    RegKey* Find(const std::string& path);
    const RegKey* Find(const std::string& path) const;
    bool Exists(const std::string& path) const;  // the key itself or a descendant
    RegKey& Create(const std::string& path);     // creates missing ancestors too
    std::vector<std::string> Children(const std::string& path) const;
    void Remove(const std::string& path);  // with its descendants
};

struct RegParseResult {
    RegTree tree;
    bool ok = true;
    int errorLine = 0;  // 1-based line where reading failed
    std::string error;
};

RegParseResult ParseRegFile(const std::string& bytes);
std::string WriteRegFile(const RegTree& tree);

// Compares registry names the way the registry does: without regard to case.
bool SameRegName(const std::string& a, const std::string& b);
