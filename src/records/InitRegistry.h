#pragma once
// What an installer puts into a fresh registry: the System values, the PID
// tables of the two GPIB controllers, the "default" settings and style sets
// and the Materials list. Nothing that exists is overwritten.
#include <string>
#include <vector>

#include "platform/RegistryStore.h"

struct InitRegistryResult {
    std::vector<std::string> written;  // "System\\ID1", "System\\RT4450\\77", ...
    std::vector<std::string> failed;   // keys that could not be written
    bool Ok() const { return failed.empty(); }
    // One line per key written or failed, for the console.
    std::string Summary() const;
};

InitRegistryResult InitRegistry(RegistryStore& store);
