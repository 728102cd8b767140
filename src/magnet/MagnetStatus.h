#pragma once
// The Hall electronics' status word (secondary 7): stage position, magnet
// drive and interlock state, and the lid that the measurements and the
// blaster check before they start.
#include <string>
#include <string_view>

struct MagnetStatusTexts {
    std::string stage;      // "Fault", "Forward", "Back", "Between"
    std::string magnet;     // "OK", "Off"
    std::string interlock;  // "E/W", "Broken", "N/S", "Lid Open"
};

// The three texts of a status word.
MagnetStatusTexts DecodeMagnetStatus(int word);
// True when both lid bits (mask 0x06) are set.
bool LidOpen(int word);
// Decimal conversion of the reply: leading blanks, a sign and digits; any
// trailing text is ignored, no digits read as 0, out-of-range numbers clamp.
int ParseStatusWord(std::string_view reply);

// The magnet page's status fields: 108 stage, 109 magnet, 110 interlock.
inline constexpr int kStageField = 108;
inline constexpr int kMagnetField = 109;
inline constexpr int kInterlockField = 110;
