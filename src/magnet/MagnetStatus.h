#pragma once
// The Hall electronics' status word (secondary 7): stage position, magnet
// drive and interlock state, and the lid that the measurements and the
// blaster check before they start.
#include <string>
#include <string_view>

class FieldSet;
class QWidget;

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
// Reads the word; a reply that is not one number is read past a few times,
// then xmeas "Status Unreadable". Bus errors pass as xgpib.
int ReadStatusWord();

// The magnet page's status fields: 108 stage, 109 magnet, 110 interlock.
inline constexpr int kStageField = 108;
inline constexpr int kMagnetField = 109;
inline constexpr int kInterlockField = 110;

// Reads the word into the three fields. A bus error or an unreadable word is
// shown under "Exception:" and the fields show the texts of the word 0.
void ReadMagnetStatus(FieldSet& page, QWidget* owner);

// Reads the word and, while the lid is open, asks the operator to close it
// ("Please close lid and press OK", OK/Cancel). True when the lid is open and
// the operator cancelled. Bus errors pass as xgpib, an unreadable word as xmeas.
bool LidStaysOpen(QWidget* owner);
