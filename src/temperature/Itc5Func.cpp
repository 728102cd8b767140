#include "temperature/Itc5Func.h"

#include <cmath>

#include "bus/GpibBus.h"
#include "temperature/PidRegistry.h"
#include "core/Printf.h"
#include "platform/RegistryStore.h"
#include "temperature/ReplyErrors.h"
#include "core/RunConfig.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
constexpr const char* kDevice = "ITC5";
constexpr int kSwitchWaitMs = 250;

// "%.1f" cut to the reading text's seven characters.
std::string ReadingOf(double kelvin) {
    std::string text = Printf("%.1f", kelvin);
    if (text.size() > 7) text.resize(7);
    return text;
}
}  // namespace

ITC5Func::ITC5Func(BusSlot& bus, const RunConfig& config)
    : TTempCon(ControllerKind::ITC5, bus, config) {
    if (LoadPidTable()) tchange = ReadTchange(Registry());
}

std::string ITC5Func::Ask(const std::string& command) {
    if (!InstrumentLive()) throw xgpib("No instrument: the program runs in demo mode.");
    bus_.Get().ItcWrite(command);
    return bus_.Get().ItcRead();
}

void ITC5Func::Send(const std::string& command) {
    // The panel's boxes still work in demo mode; nothing goes out.
    if (!InstrumentLive()) return;
    bus_.Get().ItcWrite(command);
}

void ITC5Func::SetTemperature(double kelvin) {
    if (!InstrumentLive()) {
        // The stage is not there: only the program's own set-point moves.
        setPoint_ = kelvin;
        NotifyChanged();
        return;
    }
    if (!std::isfinite(kelvin) || std::fabs(kelvin) > 1e6)
        throw xmsg(Printf("%g K is no set-point for the ITC5.", kelvin));
    const Tpid entry = SelectPid(kelvin);
    const double previous = setPoint;
    if (!config_.bytewiseItc) {
        if (previous <= tchange && kelvin > tchange)
            SwitchSensor(true);
        else if (previous > tchange && kelvin <= tchange)
            SwitchSensor(false);
    }
    setPoint_ = kelvin;
    NotifyChanged();
    bus_.Get().SetRemote(true);
    Send(Printf("$T%.1f", kelvin));
    Send(Printf("$P%d", entry.P));
    Send(Printf("$I%d", entry.I));
    Send(Printf("$D%d", entry.D));
    ApplyItc5Margins(entry);
}

void ITC5Func::ReadTemperature() {
    if (!InstrumentLive()) return;
    try {
        const std::string reply = Ask("R2");
        const auto tenths = ReadItcTenths(reply);
        if (!tenths) ThrowUnreadable(kDevice, reply);
        present_ = *tenths * 0.1;
        SetReadingText(ReadingOf(present));
        ReadingSucceeded();
    } catch (const xmsg& error) {
        // The error still goes to the caller (the panel stops its timer on
        // it); the last reading's text stays, but `present` is marked as no
        // reading of now.
        ReadingFailed(error.why());
        NotifyChanged();
        throw;
    }
    NotifyChanged();
}

void ITC5Func::SetControl(int mode, int) {
    if (!InstrumentLive()) return;
    bus_.Get().SetRemote(true);
    if (mode == 1) {
        Send("$C1\r$A3");
    } else if (mode == 0 && config_.bytewiseItc) {
        Ask("?");  // the reply only clears the link before the next set-point
    }
}

void ITC5Func::ReadCryostat() {
    if (!InstrumentLive()) return;
    const std::string reply = Ask("R1");
    const auto tenths = ReadItcTenths(reply);
    if (!tenths) ThrowUnreadable(kDevice, reply);
    cryostat = *tenths * 0.1;
    cryostatText_ = ReadingOf(cryostat);
    NotifyChanged();
}

void ITC5Func::SwitchSensor(bool sample) {
    const std::string reply = Ask("X");
    const ItcStatus status = ReadItcStatus(reply);
    if (!status.autoDigit) ThrowUnreadable(kDevice, reply);
    Send("$A0");
    Wait::Ms(kSwitchWaitMs);
    Send(sample ? "$H2" : "$H1");
    Wait::Ms(kSwitchWaitMs);
    Send(Printf("$A%c", *status.autoDigit));
    sampleSensor = sample;
}

std::string ITC5Func::Identify() {
    return Ask("V");
}

double ITC5Func::ReadSetPoint() {
    const std::string reply = Ask("R0");
    const auto tenths = ReadItcTenths(reply);
    if (!tenths) ThrowUnreadable(kDevice, reply);
    return *tenths * 0.1;
}

ItcStatus ITC5Func::ReadStatus() {
    return ReadItcStatus(Ask("X"));
}

long ITC5Func::ReadTenthsOf(const char* command) {
    const std::string reply = Ask(command);
    const auto tenths = ReadItcTenths(reply);
    if (!tenths) ThrowUnreadable(kDevice, reply);
    return *tenths;
}
