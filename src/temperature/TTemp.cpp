#include "temperature/TTemp.h"
#include "temperature/TemperatureState.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "bus/GpibBus.h"
#include "temperature/HotFunc.h"
#include "temperature/Itc5Func.h"
#include "temperature/Ln2Func.h"
#include "temperature/PidRegistry.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "core/xmsg.h"

bool PidTable::Add(const Tpid& entry) {
    if (entries_.size() >= kCapacity) return false;
    auto it = entries_.begin();
    while (it != entries_.end() && it->T <= entry.T) ++it;
    entries_.insert(it, entry);
    return true;
}

Tpid* PidTable::Find(std::int32_t t) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), t,
                               [](const Tpid& e, std::int32_t value) { return e.T < value; });
    return it != entries_.end() && it->T == t ? &*it : nullptr;
}

bool PidTable::Remove(std::int32_t t) {
    const auto before = entries_.size();
    std::erase_if(entries_, [t](const Tpid& e) { return e.T == t; });
    return entries_.size() != before;
}

std::optional<Tpid> PidTable::Select(double setPoint) const {
    std::optional<Tpid> chosen;
    for (const auto& entry : entries_)
        if (static_cast<double>(entry.T) <= setPoint) chosen = entry;
    return chosen;
}

void TTemp::SetSetPoint(double kelvin) {
    setPoint_ = kelvin;
    NotifyChanged();
}

void TTemp::SetPresent(double kelvin) {
    present_ = kelvin;
    NotifyChanged();
}

void TTemp::SetTemperature(double kelvin) {
    present_ = setPoint_ = kelvin;
    SetReadingText(kelvin == 77.0 ? "LN2" : "AMB");
    NotifyChanged();
}

void TTemp::ReadingFailed(const std::string& why) {
    readingFailure_ = why.empty() ? std::string("no reading") : why;
}

void TTemp::SetReadingText(const std::string& text) {
    readingText_ = text.size() > 7 ? text.substr(0, 7) : text;
}

TTempCon::TTempCon(ControllerKind kind, BusSlot& bus, const RunConfig& config)
    : TTemp(bus, config), kind_(kind) {
    const ControllerFacts& facts = FactsOf(kind);
    minimum = facts.minimum;
    maximum = facts.maximum;
    setPoint_ = facts.setPointAtStart;
}

std::string TTempCon::DeviceName() const {
    switch (kind_) {
        case ControllerKind::LN2:
            return "LN2 controller";
        case ControllerKind::ITC5:
            return "ITC5 controller";
        case ControllerKind::HotStage:
            return "hot stage";
        case ControllerKind::None:
            break;
    }
    return TTemp::DeviceName();
}

Tpid TTempCon::SelectPid(double kelvin) const {
    if (auto entry = table_.Select(kelvin)) return *entry;
    throw xmsg(
        Printf("No PID entry for %.1f K: the PID table has no entry at or below it.", kelvin));
}

bool TTempCon::LoadPidTable() {
    table_.Clear();
    if (ReadPidTable(Registry(), kind_, table_)) return true;
    Prompt::Message(nullptr, PidTableKey(kind_),
                    "Can't Open Registry Key:", Prompt::Buttons::OkCancel, Prompt::Icon::None);
    return false;
}

bool TTemp::InstrumentLive() const {
    return !config_.noInstrument && bus_.Has();
}

std::unique_ptr<TTemp> MakeController(ControllerKind kind, BusSlot& bus, const RunConfig& config) {
    switch (kind) {
        case ControllerKind::LN2:
            return std::make_unique<LN2Func>(bus, config);
        case ControllerKind::ITC5:
            return std::make_unique<ITC5Func>(bus, config);
        case ControllerKind::HotStage:
            return std::make_unique<HotFunc>(bus, config);
        case ControllerKind::None:
            break;
    }
    auto plain = std::make_unique<TTemp>(bus, config);
    plain->SetTemperature(FactsOf(kind).setPointAtStart);
    return plain;
}

Stabilization& StabilizationState() {
    static Stabilization state;
    return state;
}

void ApplyLn2Margins(const Tpid& entry) {
    auto& s = StabilizationState();
    s.stabilityMargin = entry.M1;
    // Two ticks a second; a stabilising time from the registry of any size
    // (or below zero) must not wrap the count.
    const long long ticks = 2LL * entry.M2;
    s.stabilizeTicks = static_cast<int>(std::clamp<long long>(ticks, 0, INT_MAX));
}

void ApplyItc5Margins(const Tpid& entry) {
    auto& s = StabilizationState();
    auto orQuarter = [](std::int32_t v) { return v == 0 ? 0.25 : static_cast<double>(v); };
    s.stabilityMargin = orQuarter(entry.M1);
    s.sampleMargin = orQuarter(entry.M2);
    s.driftMargin = orQuarter(entry.M3);
}

bool DriftTest(ControllerKind kind, bool forced, double t0, double t1, double& present) {
    if (forced || kind == ControllerKind::LN2 || kind == ControllerKind::HotStage) return true;
    if (std::fabs(t0 - t1) >= StabilizationState().driftMargin) return false;
    present = (t0 + t1) / 2.0;
    return true;
}

void ResetTemperatureState() {
    ResetPlatformState();
    StabilizationState() = Stabilization{};
}
