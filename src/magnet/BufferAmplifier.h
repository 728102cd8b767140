#pragma once
// The buffer amplifier: detection by its RTS/CTS loop-back, the bytes that
// switch its current contacts, and the engineering page's "Send Byte" text.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

// The two modem lines the detection uses.
struct ModemLines {
    std::function<void(bool)> setRts;
    std::function<bool()> cts;
};

// True when CTS follows RTS: off after RTS is cleared, on after it is set
// (the unit loops RTS back to CTS). RTS is left set.
bool BufferAmplifierAnswers(const ModemLines& lines);

class BufferAmplifierLink;

// The amplifier on the port attached to its byte link.
class BufferAmplifier {
  public:
    explicit BufferAmplifier(BufferAmplifierLink& link) : link_(link) {}

    // Detection on the attached port; false when no open port is attached.
    bool Present() const;
    // Whether the amplifier's serial port is open (the engineering sheet
    // shows the buffer page only then).
    bool PortOpen() const;
    // Replaces the attached port's lines (tests, a simulated amplifier);
    // nullopt goes back to the attached port.
    void SetLines(std::optional<ModemLines> lines) { lines_ = std::move(lines); }

  private:
    BufferAmplifierLink& link_;
    std::optional<ModemLines> lines_;
};

namespace BufferAmplifierBytes {
inline constexpr std::uint8_t kReset = 128;       // then 0 after opening, 64 after a run
inline constexpr std::uint8_t kNoRange = 0x40;    // not in buffered mode
inline constexpr std::uint8_t kRangeFlag = 0x20;  // OR-ed with the range byte 1..16
inline constexpr std::uint8_t kZeroReference = 0x83;
}  // namespace BufferAmplifierBytes

// The byte that routes the current through contacts a and b (either order):
// 1-2 0x85, 2-3 0x94, 3-4 0xB0, 4-1 0xA1, 1-3 0x92, 2-4 0xA8. Nothing for any
// other pair.
std::optional<std::uint8_t> BufferAmplifierPairByte(int a, int b);

// "Send Byte": up to 5 characters read as a hexadecimal number (leading
// blanks, a sign and a 0x prefix allowed, trailing text ignored, nothing
// readable gives 0); its low byte.
std::uint8_t HexByteFromText(std::string_view text);
