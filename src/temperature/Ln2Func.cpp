#include "temperature/Ln2Func.h"

#include <cmath>

#include "bus/GpibBus.h"
#include "core/Printf.h"
#include "temperature/ReplyErrors.h"

namespace {
constexpr int kPrimary = GpibAddress::kLn2Controller;
constexpr const char* kDevice = "LN2 controller";
}  // namespace

LN2Func::LN2Func(BusSlot& bus, const RunConfig& config)
    : TTempCon(ControllerKind::LN2, bus, config) {
    LoadPidTable();
}

void LN2Func::SetRemote() {
    bus_.Get().SetRemote(true);
}

void LN2Func::SetTemperature(double kelvin) {
    if (!InstrumentLive()) return;
    const double tenths = std::trunc(kelvin * 10.0);
    if (!std::isfinite(tenths) || tenths < 0.0 || tenths > 99999.0)
        throw xmsg(Printf("%g K is no set-point for the LN2 controller.", kelvin));
    const Tpid entry = SelectPid(kelvin);
    setPoint_ = kelvin;
    NotifyChanged();
    SetRemote();
    bus_.Get().Write(kPrimary, kSetPoint, Printf("%d", static_cast<int>(tenths)));
    bus_.Get().Write(kPrimary, kGain, Printf("%d", entry.P));
    bus_.Get().Write(kPrimary, kReset, Printf("%d", entry.I));
    bus_.Get().Write(kPrimary, kRate, Printf("%d", entry.D));
    ApplyLn2Margins(entry);
}

void LN2Func::ReadTemperature() {
    if (!InstrumentLive()) return;
    try {
        const TenthsReading reading = ReadPresent();
        SetReadingText(reading.text);
        present_ = reading.kelvin;
        ReadingSucceeded();
    } catch (const xgpib& error) {
        SetReadingText("Error");
        present_ = 0.0;
        ReadingFailed(error.why());
    }
    NotifyChanged();
}

void LN2Func::SetControl(int mode, int) {
    if (!InstrumentLive()) return;
    if (mode == 1) {
        WriteMode('C');
        WritePumpAutomatic(true);
    } else if (mode == 2) {
        WritePumpAutomatic(false);
        WriteMode('O');
    }
}

TenthsReading LN2Func::ReadSetPoint() {
    const std::string reply = bus_.Get().Read(kPrimary, kSetPoint);
    if (auto reading = ReadTenths(reply)) return *reading;
    ThrowUnreadable(kDevice, reply);
}

TenthsReading LN2Func::ReadPresent() {
    const std::string reply = bus_.Get().Read(kPrimary, kTemperature);
    if (auto reading = ReadTenths(reply)) return *reading;
    ThrowUnreadable(kDevice, reply);
}

int LN2Func::ReadHeater() {
    const std::string reply = bus_.Get().Read(kPrimary, kHeater);
    if (auto value = ReadHeaterOutput(reply)) return *value;
    ThrowUnreadable(kDevice, reply);
}

double LN2Func::ReadVacuum() {
    const std::string reply = bus_.Get().Read(kPrimary, kPump);
    if (auto value = ::ReadVacuum(reply)) return *value;
    ThrowUnreadable(kDevice, reply);
}

bool LN2Func::ReadAutomatic() {
    return (bus_.Get().SerialPoll(kPrimary, 0) & kAutomaticBit) != 0;
}

void LN2Func::WriteMode(char letter) {
    bus_.Get().Write(kPrimary, kMode, std::string(1, letter));
}

void LN2Func::WritePumpAutomatic(bool on) {
    bus_.Get().Write(kPrimary, kPump, on ? "1" : "0");
}

void LN2Func::WriteHeaterPercent(int percent) {
    bus_.Get().Write(kPrimary, kHeater,
                     Printf("%u", static_cast<unsigned>(GaugePercent(percent) * kHeaterScale)));
}
