#include "TTemp.h"

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
}

void TTemp::SetReadingText(const std::string& text) {
    readingText_ = text.size() > 7 ? text.substr(0, 7) : text;
}

TTempCon::TTempCon(int kind) : kind_(kind) {
    const KindLimits limits = LimitsOfKind(kind);
    minimum = limits.minimum;
    maximum = limits.maximum;
    setPoint = limits.setPoint;
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

KindLimits LimitsOfKind(int kind) {
    switch (kind) {
        case 1:
            return {77, 550, 0.0};
        case 2:
            return {2, 500, 0.0};
        case 3:
            return {20, 900, 0.0};
        default:
            return {0, 0, 293.0};
    }
}

bool DriftTest(int kind, bool forced, double t0, double t1, double& present) {
    if (forced || kind == 1 || kind == 3) return true;
    if (std::fabs(t0 - t1) >= StabilizationState().driftMargin) return false;
    present = (t0 + t1) / 2.0;
    return true;
}
