#include "electronics/HallUnit.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "electronics/HallReadings.h"
#include "core/CoreRecords.h"
#include "core/Printf.h"
#include "core/RunConfig.h"

namespace {
constexpr int kTopGain = 3;
constexpr double kGainUpThreshold = 0.55;
}  // namespace

namespace {
// A reply that was cut, or the rest of one, is no reading whatever it holds:
// its pieces are read past. A whole reply that is not one number is read
// again, since each read of a meter takes a new reading: a reply spoilt on
// the line costs one more conversion, not the run. Only when the meter gives
// no reading in kReadingRepeats whole replies is the reading failed.
HallReading Reading(GpibBus& bus, int secondary, HallReading (*parse)(std::string_view)) {
    int wholeReplies = 0;
    for (int read = 0; read < HallUnit::kStatusWordAttempts; ++read) {
        const std::string reply = bus.Read(HallUnit::kPrimary, secondary);
        if (bus.LastReplyPart() != GpibBus::ReplyPart::Whole) continue;
        const HallReading reading = parse(reply);
        if (reading.kind != HallReading::Kind::NoNumber) return reading;
        if (++wholeReplies == HallUnit::kReadingRepeats) break;
    }
    return {HallReading::Kind::NoNumber, 0.0};
}
}  // namespace

void HallUnit::ReadVoltage(double& value) {
    const HallReading reading = Reading(bus_.Get(), kVoltmeter, ParseVoltageReading);
    switch (reading.kind) {
        case HallReading::Kind::OverRange:
            throw xmeas("A/D OverRange", kOverRangeCode);
        case HallReading::Kind::Saturating:
            throw xmeas("I-meas Saturating", kSaturatingCode);
        case HallReading::Kind::NoNumber:
            throw xmeas("V-meas Unreadable", kNoReadingCode);
        case HallReading::Kind::Value:
            value = reading.value;
            break;
    }
}

double HallUnit::ReadCurrent() {
    const HallReading reading = Reading(bus_.Get(), kCurrentMeter, ParseCurrentReply);
    // Stored as the run's current, a made-up 0 would divide every result by zero.
    if (reading.kind != HallReading::Kind::Value) throw xmeas("I-meas Unreadable", kNoReadingCode);
    return reading.value;
}

HallReading HallUnit::ReadCurveVoltage(GpibBus& bus) {
    const HallReading reading = Reading(bus, kCurveVoltmeter, ParseCurveReading);
    if (reading.kind != HallReading::Kind::Value && reading.kind != HallReading::Kind::OverRange)
        throw xmeas("V-meas Unreadable", kNoReadingCode);
    return reading;
}

int HallUnit::ReadStatusWord(GpibBus& bus) {
    // Reading the word again changes nothing in the instrument and takes no
    // measurement: a junk reply, or the pieces of a cut one, are read past.
    for (int attempt = 0; attempt < kStatusWordAttempts; ++attempt) {
        const std::string reply = bus.Read(kPrimary, kMatrix);
        if (bus.LastReplyPart() != GpibBus::ReplyPart::Whole) continue;
        if (const std::optional<int> word = ParseStatusWordReply(reply)) return *word;
    }
    throw xmeas("Status Unreadable", kNoReadingCode);
}

void HallUnit::ReadVoltageAutoGain(double& value, int& gain) {
    gain = std::clamp(gain, 0, kTopGain);
    bool steppedDown = false;
    for (;;) {
        bus_.Get().Write(kPrimary, kVoltmeter, Printf("G%d", gain));
        try {
            ReadVoltage(value);
        } catch (const xmeas& error) {
            if (error.code() != kOverRangeCode || gain == 0) throw;
            --gain;
            steppedDown = true;
            continue;
        }
        if (steppedDown || gain == kTopGain || std::fabs(value) > kGainUpThreshold) return;
        ++gain;
    }
}

void HallUnit::ReadVoltageGainOffset(double& value, int& gain, int& offset) {
    gain = std::clamp(gain, 0, kTopGain);
    for (;;) {
        bus_.Get().Write(kPrimary, kVoltmeter, Printf("G%dO%d", gain, offset));
        try {
            ReadVoltage(value);
            return;
        } catch (const xmeas& error) {
            if (error.code() != kOverRangeCode || gain == 0) throw;
            --gain;
            offset /= 10;
        }
    }
}

void HallUnit::SetCurrent() {
    MeasurementSettings& settings = records_.settings;
    std::uint8_t rangeByte = 0x40;
    if (settings.bufferAmplifierMode) {
        // Range byte and the multiplier from the amplifier's current to the source's.
        static const struct {
            double above;
            std::uint8_t range;
            double multiplier;
        } kRanges[] = {{0.5, 1, 200.0},
                       {0.05, 2, 2000.0},
                       {0.005, 4, 20000.0},
                       {0.0005, 8, 200000.0},
                       {-HUGE_VAL, 16, 2000000.0}};
        const double current = settings.Current;
        const auto* range = std::begin(kRanges);
        while (!(current > range->above) && range + 1 != std::end(kRanges)) ++range;
        bus_.Get().Write(kPrimary, kSource, Printf("DI%.1f", current * range->multiplier));
        const double reported = ReadCurrent();
        settings.bufferSourceValue = reported;
        settings.Current = reported / range->multiplier;
        rangeByte = range->range | 0x20;
    } else {
        bus_.Get().Write(kPrimary, kSource,
                         Printf("%cI%.1f", settings.AC ? 'A' : 'D', settings.Current));
        settings.Current = ReadCurrent();
    }
    if (records_.config.bufferAmplifierInstalled) amplifier_.Send(rangeByte);
}

int HallUnit::LimitCurrent() {
    double& current = records_.settings.Current;
    const bool buffered = records_.settings.bufferAmplifierMode;
    const double top = buffered ? 5.0 : 19900.0;
    const double bottom = buffered ? 1e-6 : 0.1;
    if (current > top) {
        current = top;
        return buffered ? 1 : 3;
    }
    if (current < bottom) {
        current = bottom;
        return buffered ? 2 : 4;
    }
    return 0;
}

void HallUnit::Disconnect() {
    if (records_.settings.bufferAmplifierMode) {
        amplifier_.Send(128);
        amplifier_.Send(64);
    }
    bus_.Get().Write(kPrimary, kMatrix, "S0M77");
    if (focus_) focus_();
}

std::string HallUnit::StatusText(int statusByte) {
    return StatusByteText(statusByte);
}
