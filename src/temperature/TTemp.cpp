#include "TTemp.h"
#include "TemperatureState.h"

#include <cmath>

bool PidTable::Add(const Tpid& entry) {
    if (entries_.size() >= kCapacity) return false;
    auto it = entries_.begin();
    while (it != entries_.end() && it->T <= entry.T) ++it;
    entries_.insert(it, entry);
    return true;
}

std::optional<Tpid> PidTable::Select(double setPoint) const {
    std::optional<Tpid> chosen;
    for (const auto& entry : entries_)
        if (static_cast<double>(entry.T) <= setPoint) chosen = entry;
    return chosen;
}

void TTemp::SetTemperature(double kelvin) {
    present = setPoint = kelvin;
    SetReadingText(kelvin == 77.0 ? "LN2" : "AMB");
    NotifyChanged();
}

void TTemp::SetReadingText(const std::string& text) {
    readingText_ = text.size() > 7 ? text.substr(0, 7) : text;
}

TTempCon::TTempCon(ControllerKind kind) : kind_(kind) {
    const ControllerFacts& facts = FactsOf(kind);
    minimum = facts.minimum;
    maximum = facts.maximum;
    setPoint = facts.setPointAtStart;
}

std::unique_ptr<TTemp> MakeController(ControllerKind kind) {
    if (!HasController(kind)) {
        auto plain = std::make_unique<TTemp>();
        plain->SetTemperature(FactsOf(kind).setPointAtStart);
        return plain;
    }
    return std::make_unique<TTempCon>(kind);
}

Stabilization& StabilizationState() {
    static Stabilization state;
    return state;
}

void ApplyLn2Margins(const Tpid& entry) {
    auto& s = StabilizationState();
    s.stabilityMargin = entry.M1;
    s.stabilizeTicks = 2 * entry.M2;
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
