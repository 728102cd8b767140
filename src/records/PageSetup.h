#pragma once
// The printer page set-up kept in a settings set: four page margins and, when
// the printer set-up holds a device description, its page orientation.
#include <array>
#include <cstdint>
#include <optional>

struct PageSetup {
    // Left, top, right, bottom, in hundredths of a millimetre.
    std::array<std::int32_t, 4> margins{2000, 2000, 2000, 2000};
    // The platform's orientation code (1 portrait, 2 landscape); empty while
    // the printer set-up holds no device description.
    std::optional<std::int16_t> orientation;
};
