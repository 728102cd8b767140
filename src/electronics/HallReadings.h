#pragma once
// The Hall electronics' replies and numbers, as pure functions: every reply
// gives a defined result, whatever bytes arrive.
#include <string>
#include <string_view>

struct HallReading {
    enum class Kind { Value, OverRange, Saturating };
    Kind kind = Kind::Value;
    double value = 0.0;
};

// Plain decimal conversion: leading blanks and a sign, digits with an optional
// point and exponent; trailing text is ignored and no number reads as 0. The
// result is always finite: a number too large for a double sets `overflow`
// (and reads as 0), one too small reads as 0. Independent of the C locale.
double ParseDecimal(std::string_view text, bool* overflow = nullptr);

// Voltmeter reply (secondary 9): ">" as third character is over range (tested
// first), "S" as first character is the current measurement saturating,
// otherwise the number from the second character on.
HallReading ParseVoltageReading(std::string_view reply);
// IV-curve voltage reply (secondary 12): ">" as second character is over
// range, otherwise the whole reply is the number.
HallReading ParseCurveReading(std::string_view reply);
// Current meter reply (secondary 13): the whole reply is the number.
double ParseCurrentReading(std::string_view reply);

// Fine-gain number for a reading v taken at a known fine gain: the integer part
// of |v| x 42.4, at least 8 and at most 255 (the instrument's range).
int FineGainNumber(double v);
// What a reading is divided by at decade gain g and fine-gain number h.
double GainScale(int gain, int fineGain);

// Text of the electronics' status byte (serial poll of secondary 6).
std::string StatusByteText(int statusByte);
