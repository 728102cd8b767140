// The magnet and stage status word: any reply converts to one int (clamped,
// never overflowing), and every word decodes to texts of the fixed tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "magnet/MagnetStatus.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}

bool AllBlanksSignDigits(std::string_view s, std::size_t& firstDigit) {
    std::size_t i = 0;
    // Blanks as the C library counts them: space and \t \n \v \f \r.
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    firstDigit = i;
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const int word = ParseStatusWord(reply);

    // A reply without digits after the blanks and sign reads as 0.
    std::size_t digit = 0;
    if (!AllBlanksSignDigits(reply, digit)) Check(word == 0);
    // Short positive numbers read exactly, trailing text ignored.
    if (AllBlanksSignDigits(reply, digit) && (digit == 0 || reply[digit - 1] != '-')) {
        long long expect = 0;
        std::size_t i = digit;
        while (i < reply.size() && i - digit < 9 && reply[i] >= '0' && reply[i] <= '9')
            expect = expect * 10 + (reply[i++] - '0');
        if (i == reply.size() || reply[i] < '0' || reply[i] > '9') Check(word == expect);
        Check(word >= 0);
    }

    static const std::set<std::string> stages{"Fault", "Forward", "Back", "Between"};
    static const std::set<std::string> magnets{"OK", "Off"};
    static const std::set<std::string> interlocks{"E/W", "Broken", "N/S", "Lid Open"};
    for (int w : {word, ~word, word ^ 0x3E}) {
        const MagnetStatusTexts texts = DecodeMagnetStatus(w);
        Check(stages.count(texts.stage) == 1);
        Check(magnets.count(texts.magnet) == 1);
        Check(interlocks.count(texts.interlock) == 1);
        Check(LidOpen(w) == (texts.interlock == "Lid Open"));
    }
    return 0;
}
