#pragma once
// The Hall electronics' replies and numbers, as pure functions: every reply
// gives a defined result, whatever bytes arrive. A reply that is not one
// number says so (Kind::NoNumber); it never reads as a reading.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// GpibBus::Read gives at most this many characters of a reply: a reply this
// long filled the buffer and was cut, so it is no reading, whatever it holds.
inline constexpr std::size_t kReplyLimit = 19;

struct HallReading {
    enum class Kind { Value, OverRange, Saturating, NoNumber };
    Kind kind = Kind::Value;
    double value = 0.0;
};

// What a plain decimal conversion found: leading blanks and a sign, digits
// with an optional point and exponent; trailing text is ignored. `found` is
// false when the text holds no number there (then value is 0). The value is
// always finite: a number too large for a double sets `overflow` (value 0),
// one too small reads as 0. Independent of the C locale. `end` is where the
// number stops (0 without one).
struct DecimalScan {
    double value = 0.0;
    bool found = false;
    bool overflow = false;
    std::size_t end = 0;
};
DecimalScan ScanDecimal(std::string_view text);
// True when the text is one number and nothing after it but white space:
// optional blanks and a sign, digits with an optional point and exponent.
bool IsWholeNumber(std::string_view text);
// The same conversion for texts where no number means 0 (operator entries).
double ParseDecimal(std::string_view text, bool* overflow = nullptr);

// In all three a cut reply (kReplyLimit characters) is NoNumber before
// anything else, and a number followed by anything but white space is no
// reading either.
// Voltmeter reply (secondary 9): ">" as third character is over range (tested
// first), "S" as first character is the current measurement saturating,
// otherwise the rest after the status character is one number (else NoNumber).
HallReading ParseVoltageReading(std::string_view reply);
// IV-curve voltage reply (secondary 12): ">" as second character is over
// range, otherwise the whole reply is one number (else NoNumber).
HallReading ParseCurveReading(std::string_view reply);
// Current meter reply (secondary 13): the whole reply is one number; Value,
// NoNumber, or OverRange for a number beyond a double.
HallReading ParseCurrentReply(std::string_view reply);
// Status word reply (secondary 7): one number in the form above, shorter
// than a cut reply, whose integer part fits an int; nothing otherwise.
std::optional<int> ParseStatusWordReply(std::string_view reply);
// The bare number of a current meter reply, 0 when there is none. Kept for
// callers that check the reply themselves; ParseCurrentReply tells a reply
// without a number from a current of 0.
double ParseCurrentReading(std::string_view reply);

// Fine-gain number for a reading v taken at a known fine gain: the integer part
// of |v| x 42.4, at least 8 and at most 255 (the instrument's range).
int FineGainNumber(double v);
// What a reading is divided by at decade gain g and fine-gain number h.
double GainScale(int gain, int fineGain);

// Text of the electronics' status byte (serial poll of secondary 6).
std::string StatusByteText(int statusByte);
