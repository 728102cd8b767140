#pragma once
// The Hall measurement's arithmetic and texts as pure functions: the contact
// configurations by specimen shape, the misalignment offset, the reversal
// combination of the field readings, the coefficient and the log block.
#include <array>
#include <cstdint>
#include <string>

class FieldSet;

// One of the two diagonal configurations a Hall cycle measures.
struct HallConfiguration {
    std::string command;      // switching matrix text, "S31M24"
    std::string label;        // from its fifth character on, "24"
    std::string voltagePair;  // from its fourth character on, "M24" (buffered)
    std::uint8_t bufferByte;  // buffer amplifier byte that routes the current
};

// Van der Pauw (shape 0) measures across the diagonals; bars and bridges
// (any other shape) across the two side contact pairs.
std::array<HallConfiguration, 2> HallConfigurations(int shape);

// 10 to the power of a decade gain index, exactly (0..3; out of range clamps).
double DecadeFactor(int gain);

// A misalignment reading taken at fine gain "H175" (1.463) and decade gain g,
// as the voltage at the voltmeter's input.
double MisalignmentVoltage(double reading, int gain);

// Offset steps that cancel the misalignment (V_P - V_N) at decade gain g: one
// step is 0.03333 / 10^g volts, half the difference is cancelled. Truncated
// toward zero; a nonsensical reading cannot overflow the integer.
int OffsetSteps(double positive, double negative, int gain);
// The voltage the offset steps stand for, as shown in "Offset applied".
double OffsetApplied(int steps, int gain);

// The Hall voltage of one configuration from its four field readings (P/N
// current, North/South field). Misalignment (odd in current), thermal
// voltages (even in both) and Nernst voltages (odd in field) cancel.
double ConfigurationHallVoltage(double northP, double northN, double southP, double southN);

// The Hall log block (lines ending in CR LF) from the window's fields and the
// two configuration labels; every field is read back as at most 15 characters.
std::string HallLogBlock(const FieldSet& fields, const std::string& label0,
                         const std::string& label1);
