#pragma once
// The names of the settings set and the style set that Save writes to.
#include <cstddef>
#include <string>

struct CurrentSets {
    static constexpr std::size_t kNameSize = 32;  // terminator included
    std::string currentSettingsName = "default";
    std::string currentStyleName = "default";
};
