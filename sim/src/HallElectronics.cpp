#include "vantris_sim/HallElectronics.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vantris::sim {
namespace {

constexpr std::size_t kMaxPending = 16;
constexpr int kNotUnderstood = 3;
constexpr int kOutOfRange = 4;
constexpr double kMaxMicroamps = 20000.0;

std::string Trimmed(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(0, end);
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// An unsigned decimal integer at text[i]; advances i. Fails on no digits or
// on more than nine of them.
bool ReadInteger(const std::string& text, std::size_t& i, long& value) {
    std::size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    value = 0;
    const std::size_t first = i;
    while (i < text.size() && Digit(text[i])) {
        if (i - first >= 9) return false;
        value = value * 10 + (text[i++] - '0');
    }
    if (i == first) {
        i = start;
        return false;
    }
    if (negative) value = -value;
    return true;
}

}  // namespace

HallElectronics::HallElectronics(const RackConfig& config, Specimen& specimen,
                                 BufferAmplifier& buffer,
                                 std::function<double(double)> temperatureAt,
                                 std::mt19937_64& noise)
    : config_(config),
      specimen_(specimen),
      buffer_(buffer),
      temperatureAt_(std::move(temperatureAt)),
      noise_(noise),
      magnet_(config.magnet) {
    if (config.electronics.lidOpen) {
        lidOpenFrom_ = -std::numeric_limits<double>::infinity();
        lidOpenUntil_ = std::numeric_limits<double>::infinity();
    }
}

void HallElectronics::Update(double now) {
    std::vector<std::uint8_t> done;
    magnet_.Update(
        now, [this](double t) { return LidOpenAt(t); }, done);
    for (std::uint8_t byte : done) {
        if (pending_.size() >= kMaxPending) pending_.erase(pending_.begin());
        pending_.push_back(byte);
    }
}

void HallElectronics::Abnormal(int code) {
    if (pending_.size() >= kMaxPending) pending_.erase(pending_.begin());
    pending_.push_back(static_cast<std::uint8_t>(0x60 | code));
}

void HallElectronics::Overflow(double now) {
    Update(now);
    Abnormal(1);
}

void HallElectronics::ArmNextMotion(const MotionFlags& flags) {
    if (flags.noCompletion) nextMotion_.noCompletion = true;
    if (flags.faultStatus) nextMotion_.faultStatus = flags.faultStatus;
}

void HallElectronics::OpenLid(double now, double seconds) {
    lidOpenFrom_ = now;
    lidOpenUntil_ = now + seconds;
}

bool HallElectronics::SetMatrix(const std::string& text) {
    int from = sourceFrom_, to = sourceTo_, high = meterHigh_, low = meterLow_;
    std::size_t i = 0;
    if (text.empty()) return false;
    while (i < text.size()) {
        const char part = text[i];
        if (part != 'S' && part != 'M') return false;
        int a = 0, b = 0;
        if (i + 1 < text.size() && text[i + 1] == '0' &&
            (i + 2 >= text.size() || !Digit(text[i + 2]))) {
            i += 2;  // "S0" and "M0": connected nowhere
        } else if (i + 2 < text.size() && Digit(text[i + 1]) && Digit(text[i + 2]) &&
                   text[i + 1] != '0' && text[i + 1] != '9' && text[i + 2] != '0' &&
                   text[i + 2] != '9') {
            a = text[i + 1] - '0';
            b = text[i + 2] - '0';
            i += 3;
        } else {
            return false;
        }
        if (part == 'S') {
            from = a;
            to = b;
        } else {
            high = a ? a : 7;
            low = b ? b : 7;
        }
    }
    sourceFrom_ = from;
    sourceTo_ = to;
    meterHigh_ = high;
    meterLow_ = low;
    return true;
}

bool HallElectronics::SetSource(const std::string& text, bool& outOfRange) {
    bool alternating = alternating_, positive = positive_;
    double current = currentSet_;
    std::size_t i = 0;
    if (text.empty()) return false;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == 'A' || c == 'D') {
            alternating = c == 'A';
        } else if (c == 'P' || c == 'N') {
            positive = c == 'P';
        } else if (c == 'I') {
            // The number runs to the next letter; a bounded copy keeps strtod
            // inside the text.
            std::size_t end = i;
            while (end < text.size() && end - i < 32 &&
                   (Digit(text[end]) || text[end] == '.' || text[end] == '-' || text[end] == '+' ||
                    text[end] == 'e' || text[end] == 'E')) {
                ++end;
            }
            const std::string number = text.substr(i, end - i);
            char* stop = nullptr;
            const double value = std::strtod(number.c_str(), &stop);
            if (number.empty() || stop != number.c_str() + number.size()) return false;
            if (!std::isfinite(value) || value < 0.0 || value > kMaxMicroamps) {
                outOfRange = true;
                return false;
            }
            current = value;
            i = end;
        } else {
            return false;
        }
    }
    alternating_ = alternating;
    positive_ = positive;
    currentSet_ = current;
    return true;
}

bool HallElectronics::SetVoltmeter(const std::string& text, bool& outOfRange) {
    int gain = gain_, fine = fineGain_, offset = offset_;
    std::size_t i = 0;
    if (text.empty()) return false;
    while (i < text.size()) {
        const char c = text[i++];
        long value = 0;
        if (c != 'G' && c != 'H' && c != 'O') return false;
        if (!ReadInteger(text, i, value)) return false;
        if (c == 'G') {
            if (value < 0 || value > 3) outOfRange = true;
            gain = static_cast<int>(value);
        } else if (c == 'H') {
            if (value < 8 || value > 255) outOfRange = true;
            fine = static_cast<int>(value);
        } else {
            if (value < -99999 || value > 99999) outOfRange = true;
            offset = static_cast<int>(value);
        }
    }
    if (outOfRange) return false;
    gain_ = gain;
    fineGain_ = fine;
    offset_ = offset;
    return true;
}

bool HallElectronics::Blast(const std::string& text) {
    std::size_t i = 0;
    long intensity = 0, positive = 0, negative = 0;
    if (text.empty() || text[i++] != 'I' || !ReadInteger(text, i, intensity)) return false;
    if (i >= text.size() || text[i++] != 'P' || !ReadInteger(text, i, positive)) return false;
    if (i < text.size() && (text[i++] != 'N' || !ReadInteger(text, i, negative))) return false;
    if (i != text.size() || intensity < 1 || intensity > 5 || positive < 0 || positive > 99 ||
        negative < 0 || negative > 99) {
        return false;
    }
    if (blastPair_ == 0) return true;
    // Each pulse burns through part of the barrier that makes a contact poor.
    const double keep = 1.0 - 0.08 * static_cast<double>(intensity);
    const int first = blastPair_ == 1 ? 1 : 3;
    for (int contact = first; contact <= first + 1; ++contact) {
        double r = specimen_.ContactResistance(contact);
        for (long p = 0; p < positive + negative; ++p) r = std::max(1.0, r * keep);
        specimen_.SetContactResistance(contact, r);
    }
    return true;
}

void HallElectronics::Command(int secondary, const std::string& raw, double now) {
    Update(now);
    const std::string text = Trimmed(raw);
    bool outOfRange = false;
    bool understood = true;
    switch (secondary) {
        case 4:
            if (text == "F")
                blastPair_ = 1;
            else if (text == "R")
                blastPair_ = 2;
            else if (text == "H")
                blastPair_ = 0;
            else
                understood = false;
            break;
        case 5:
            understood = Blast(text);
            break;
        case 7:
            understood = SetMatrix(text);
            break;
        case 8:
            understood = SetSource(text, outOfRange);
            break;
        case 9:
            understood = SetVoltmeter(text, outOfRange);
            break;
        case 12:
        case 25:
            understood = magnet_.Queue(text, now, nextMotion_);
            if (understood) nextMotion_ = MotionFlags{};
            Update(now);
            break;
        default:
            understood = false;
    }
    if (outOfRange)
        Abnormal(kOutOfRange);
    else if (!understood)
        Abnormal(kNotUnderstood);
}

double HallElectronics::ContactPotential(int contact, const Drive& drive, bool buffered,
                                         double sourceVolts, double kelvin, double tesla) const {
    if (contact == 7 || contact == 8) return 0.0;
    if (buffered && (contact == 5 || contact == 6)) {
        return contact == 6 ? sourceVolts / BufferAmplifier::kMonitorDivider : 0.0;
    }
    return specimen_.Potential(contact, drive, kelvin, tesla);
}

HallElectronics::Input HallElectronics::MeasureInput(double now) {
    Update(now);
    Input input;
    const double kelvin = temperatureAt_(now);
    const double tesla = magnet_.Field();
    const bool buffered =
        (sourceFrom_ == 5 && sourceTo_ == 8) || (sourceFrom_ == 8 && sourceTo_ == 5);
    double amps = currentSet_ * 1e-6 * (positive_ ? 1.0 : -1.0);
    Drive drive;
    if (buffered) {
        amps /= buffer_.Multiplier();
        if (sourceFrom_ == 8) amps = -amps;
        if (buffer_.From() != 0) drive = Drive{buffer_.From(), buffer_.To(), amps};
    } else if (sourceFrom_ != 0 && sourceFrom_ != sourceTo_) {
        if (specimen_.HasContact(sourceFrom_) && specimen_.HasContact(sourceTo_)) {
            drive = Drive{sourceFrom_, sourceTo_, amps};
        } else {
            input.saturated = currentSet_ > 0.0;  // an open circuit: the source hits its limit
        }
    }
    double sourceVolts = 0.0;
    if (drive.from != 0 && drive.amps != 0.0) {
        sourceVolts = specimen_.SourceVoltage(drive, kelvin, tesla);
        const double compliance = config_.electronics.complianceVolts;
        if (std::abs(sourceVolts) > compliance) {
            input.saturated = true;
            const double share = compliance / std::abs(sourceVolts);
            drive.amps *= share;
            sourceVolts *= share;
        }
    }
    if (meterHigh_ != meterLow_) {
        input.volts = ContactPotential(meterHigh_, drive, buffered, sourceVolts, kelvin, tesla) -
                      ContactPotential(meterLow_, drive, buffered, sourceVolts, kelvin, tesla);
        const auto onSpecimen = [&](int k) {
            return specimen_.HasContact(k) && !(buffered && (k == 5 || k == 6));
        };
        // The junctions' thermovoltage does not follow the current; the
        // alternating source's synchronous detection rejects it.
        if (!alternating_ && onSpecimen(meterHigh_) && onSpecimen(meterLow_)) {
            input.volts += specimen_.ThermoOffset();
        }
    }
    if (config_.noiseVolts > 0.0) {
        input.volts += std::normal_distribution<double>(0.0, config_.noiseVolts)(noise_);
    }
    return input;
}

double HallElectronics::Reading(double now, bool* saturated) {
    const Input input = MeasureInput(now);
    if (saturated) *saturated = input.saturated;
    const double decade = std::pow(10.0, gain_);
    const double direction = positive_ ? 1.0 : -1.0;
    return decade * 256.0 / fineGain_ * (input.volts - direction * kOffsetStep * offset_ / decade);
}

std::string HallElectronics::FormatReading(bool atNine, double now) {
    bool saturated = false;
    const double reading = Reading(now, &saturated);
    const char sign = reading < 0.0 ? '-' : '+';
    std::string text;
    if (atNine) text += saturated ? 'S' : 'N';
    if (!(std::abs(reading) < kFullScale)) {
        text += sign;
        text += '>';
    } else {
        char number[32];
        std::snprintf(number, sizeof number, "%+.6E", reading);
        text += number;
    }
    return text + "\n";
}

std::optional<std::string> HallElectronics::Reply(int secondary, double now) {
    Update(now);
    char text[64];
    switch (secondary) {
        case 5: {
            const int first = blastPair_ == 2 ? 3 : 1;
            const double a = blastPair_ ? specimen_.ContactResistance(first) * 1e-3 : 0.0;
            const double b = blastPair_ ? specimen_.ContactResistance(first + 1) * 1e-3 : 0.0;
            std::snprintf(text, sizeof text, "%.3f,%.3f\n", a, b);
            return std::string(text);
        }
        case 6:
            return config_.electronics.identification + "\n";
        case 7:
            std::snprintf(text, sizeof text, "%d\n", StatusWord(now));
            return std::string(text);
        case 9:
            return FormatReading(true, now);
        case 12:
            return FormatReading(false, now);
        case 13:
            std::snprintf(text, sizeof text, "%.7g\n", currentSet_);
            return std::string(text);
        default:
            return std::nullopt;
    }
}

int HallElectronics::StatusWord(double now) {
    Update(now);
    int word = magnet_.StatusBits();
    if (LidOpenAt(now)) word |= 0x06;
    return word;
}

double HallElectronics::Field(double now) {
    Update(now);
    return magnet_.Field();
}

int HallElectronics::StatusByte(int /*secondary*/, double now) {
    Update(now);
    if (pending_.empty()) return 0;
    const int byte = pending_.front();
    pending_.erase(pending_.begin());
    return byte;
}

bool HallElectronics::RequestsService(double now) {
    Update(now);
    return !pending_.empty();
}

}  // namespace vantris::sim
