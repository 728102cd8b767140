#include "magnet/Blaster.h"

#include "bus/GpibBus.h"
#include "electronics/HallUnit.h"
#include "magnet/Instruments.h"
#include "magnet/MagnetStatus.h"
#include "core/Printf.h"
#include "core/CoreRecords.h"
#include "platform/Wait.h"

bool Blaster::Demo() const {
    return instruments_.Records().config.noInstrument;
}

void SplitBlasterReply(std::string_view reply, std::string& first, std::string& second) {
    const auto comma = reply.find(',');
    if (comma == std::string_view::npos) {
        first.assign(reply);
        second.clear();
        return;
    }
    first.assign(reply.substr(0, comma));
    second.assign(reply.substr(comma + 1));
}

Blaster::Blaster(Instruments& instruments) : instruments_(instruments) {
    ShowIntensity();
}

void Blaster::Identify() {
    twoPolarity_ = false;
    if (Demo()) return;
    twoPolarity_ = instruments_.Bus().Get().Read(HallUnit::kPrimary, kIdentitySecondary) ==
                   std::string(kTwoPolarityIdentity);
}

void Blaster::Write(int secondary, const std::string& text) {
    // Without instruments there is nobody to talk to.
    if (Demo()) return;
    instruments_.Bus().Get().Write(HallUnit::kPrimary, secondary, text);
}

void Blaster::ShowIntensity() {
    fields_.Set(kIntensityField, Printf("%d", intensity_));
}

void Blaster::Open() {
    ShowIntensity();
    pair_ = Pair::OneTwo;
    Write(kModeSecondary, "F");
    Measure();
}

void Blaster::Select(Pair pair) {
    pair_ = pair;
    Write(kModeSecondary, pair == Pair::OneTwo ? "F" : "R");
    Wait::Ms(110);
    Measure();
}

std::string Blaster::PulseCommand(int pulses) const {
    const char* text =
        pulses == 5 ? (twoPolarity_ ? "P5N5" : "P5") : (twoPolarity_ ? "P1N1" : "P1");
    return Printf("I%d%s", intensity_, text);
}

bool Blaster::Pulse(int pulses, QWidget* owner) {
    if (!Demo() && instruments_.MagnetUnit().LidStaysOpen(owner)) return false;
    Write(kPulseSecondary, PulseCommand(pulses));
    Measure();
    return true;
}

void Blaster::Measure() {
    if (Demo()) return;
    std::string first, second;
    SplitBlasterReply(instruments_.Bus().Get().Read(HallUnit::kPrimary, kPulseSecondary), first,
                      second);
    fields_.Set(kFirstValueField, first);
    fields_.Set(kSecondValueField, second);
}

void Blaster::StepIntensity(int delta) {
    const int next = intensity_ + (delta > 0 ? 1 : -1);
    if (next < 1 || next > 5) return;
    intensity_ = next;
    ShowIntensity();
}

void Blaster::Close() {
    Write(kModeSecondary, "H");
}
