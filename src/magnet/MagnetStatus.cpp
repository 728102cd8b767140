#include "magnet/MagnetStatus.h"
#include "magnet/Magnet.h"

#include <climits>

#include "core/FieldSet.h"
#include "bus/GpibBus.h"
#include "electronics/HallUnit.h"
#include "platform/Prompt.h"
#include "core/xmsg.h"

MagnetStatusTexts DecodeMagnetStatus(int word) {
    static const char* const kStage[] = {"Fault", "Forward", "Back", "Between"};
    static const char* const kInterlock[] = {"E/W", "Broken", "N/S", "Lid Open"};
    MagnetStatusTexts texts;
    texts.stage = kStage[(word & 0x18) >> 3];
    texts.magnet = (word & 0x20) ? "OK" : "Off";
    texts.interlock = kInterlock[(word & 0x06) >> 1];
    return texts;
}

bool LidOpen(int word) {
    return (word & 0x06) == 0x06;
}

int ParseStatusWord(std::string_view reply) {
    std::size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t' || reply[i] == '\r' ||
                                reply[i] == '\n' || reply[i] == '\v' || reply[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) negative = reply[i++] == '-';
    long long value = 0;
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i) {
        value = value * 10 + (reply[i] - '0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;  // clamps below
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int Magnet::ReadStatusWord() {
    return HallUnit::ReadStatusWord(bus_.Get());
}

void Magnet::ReadMagnetStatus(FieldSet& page, QWidget* owner) {
    int word = 0;
    try {
        word = ReadStatusWord();
    } catch (const xmsg& e) {
        Prompt::Message(owner, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        word = 0;
    }
    const MagnetStatusTexts texts = DecodeMagnetStatus(word);
    page.Set(kStageField, texts.stage);
    page.Set(kMagnetField, texts.magnet);
    page.Set(kInterlockField, texts.interlock);
}

bool Magnet::LidStaysOpen(QWidget* owner) {
    for (;;) {
        if (!LidOpen(ReadStatusWord())) return false;
        if (Prompt::Message(owner, "Please close lid and press OK", "Lid is Open",
                            Prompt::Buttons::OkCancel, Prompt::Icon::Stop) != Prompt::IDOK)
            return true;
    }
}
