#pragma once
// Start-up's answer to a registry file that cannot be read: the broken file
// is kept aside before anything new is written, and the operator is told
// where reading failed and where the file went.
#include <string>

class FileRegistryStore;
class RegistryStore;

struct RegistryDamageReport {
    bool damaged = false;   // the store was damaged when asked
    bool setAside = false;  // the file was renamed; the store is now empty and writable
    std::string asidePath;  // where the broken file now is
    std::string caption;    // message box caption
    std::string text;       // message box text
};

// Does nothing (damaged == false) for a sound store.
RegistryDamageReport HandleDamagedRegistry(FileRegistryStore& store);
// The same for whatever OpenRegistryStore gave: only a file can be damaged.
RegistryDamageReport HandleDamagedRegistry(RegistryStore& store);
