#include "measure/HallComputation.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/FieldSet.h"
#include "core/Printf.h"

namespace {
// The fine gain "H175" that the misalignment readings are taken at.
constexpr double kMisalignmentFineGain = 1.463;
// One offset step at decade gain 0, in volts.
constexpr double kOffsetStep = 0.03333;
// 0.5 / 0.03333, to the precision the electronics' offset tables were made with.
constexpr double kStepsPerVolt = 15.001500150015;

HallConfiguration MakeConfiguration(const char* command, std::uint8_t bufferByte) {
    const std::string text = command;
    return {text, text.substr(4), text.substr(3), bufferByte};
}

// At most 15 characters of a field, the size of the buffer the log reads into.
std::string LogField(const FieldSet& fields, int id) {
    return CutToField(fields.Get(id), 16);
}
}  // namespace

std::array<HallConfiguration, 2> HallConfigurations(int shape) {
    if (shape == 0) return {MakeConfiguration("S31M24", 146), MakeConfiguration("S24M13", 168)};
    return {MakeConfiguration("S56M12", 146), MakeConfiguration("S56M43", 168)};
}

double DecadeFactor(int gain) {
    static constexpr double kFactors[] = {1.0, 10.0, 100.0, 1000.0};
    return kFactors[std::clamp(gain, 0, 3)];
}

double MisalignmentVoltage(double reading, int gain) {
    return reading / (DecadeFactor(gain) * kMisalignmentFineGain);
}

int OffsetSteps(double positive, double negative, int gain) {
    const double steps = (positive - negative) * DecadeFactor(gain) * kStepsPerVolt;
    if (!std::isfinite(steps)) return 0;
    return static_cast<int>(
        std::trunc(std::clamp(steps, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX))));
}

double OffsetApplied(int steps, int gain) {
    // No steps is no offset: +0, not the -0 the negation would make of it
    // (a sign that would read as a measured value in the window and the log).
    if (steps == 0) return 0.0;
    return -kOffsetStep * steps / DecadeFactor(gain);
}

double ConfigurationHallVoltage(double northP, double northN, double southP, double southN) {
    return (northP - northN - southP + southN) * 0.25;
}

std::string HallLogBlock(const FieldSet& fields, const std::string& label0,
                         const std::string& label1) {
    const auto f = [&](int id) { return LogField(fields, id); };
    std::string block = "*** Hall ***\r\n";
    block += Printf("Meas.\t+%s+\t-%s-\t+%s+\t-%s-\r\n", label0.c_str(), label0.c_str(),
                    label1.c_str(), label1.c_str());
    block += Printf("Misalignment:\t%s\t%s\t%s\t%s\r\n", f(10).c_str(), f(11).c_str(),
                    f(20).c_str(), f(21).c_str());
    block += Printf("Offset applied:\t%s\t\t%s\r\n", f(12).c_str(), f(22).c_str());
    block += Printf("V-hall North:\t%s\t%s\t%s\t%s\r\n", f(13).c_str(), f(14).c_str(),
                    f(23).c_str(), f(24).c_str());
    block += Printf("V-hall South:\t%s\t%s\t%s\t%s\r\n", f(15).c_str(), f(16).c_str(),
                    f(25).c_str(), f(26).c_str());
    block += Printf("V-hall mean:\t%s\t\t%s\r\n", f(17).c_str(), f(27).c_str());
    return block;
}
