#pragma once
// The archive file of the settings set.
#include <cstddef>
#include <string>

struct ArchiveSettings {
    static constexpr std::size_t kPathSize = 260;  // terminator included
    std::string DataArchive;
};
