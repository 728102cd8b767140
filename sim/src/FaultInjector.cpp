#include "vantris_sim/FaultInjector.h"

namespace vantris::sim {

FaultInjector::FaultInjector(std::vector<FaultConfig> faults, std::uint64_t seed)
    : random_(seed ^ 0x5DEECE66DULL) {
    for (FaultConfig& f : faults) entries_.push_back(Entry{std::move(f)});
}

bool FaultInjector::Matches(const FaultConfig& fault, const TransferEvent& event) {
    if (fault.device != event.device) return false;
    if (fault.secondary >= 0 && fault.secondary != event.secondary) return false;
    if (fault.command) return event.write && event.text.starts_with(*fault.command);
    switch (fault.kind) {
        case FaultKind::Timeout:
        case FaultKind::Garbage:
        case FaultKind::LongReply:
            return !event.write;
        case FaultKind::NoSrq:
        case FaultKind::MotionFault:
        case FaultKind::LidOpen:
            return event.write && event.motion;
        case FaultKind::Silence:
            return true;
    }
    return false;
}

std::vector<const FaultConfig*> FaultInjector::Check(const TransferEvent& event) {
    std::vector<const FaultConfig*> fired;
    for (Entry& e : entries_) {
        if (!Matches(e.config, event)) continue;
        if (++e.matches <= e.config.after) continue;
        const bool random = e.config.probability >= 0.0;
        const long long limit = e.config.times > 0 ? e.config.times : (random ? -1 : 1);
        if (limit >= 0 && e.fired >= limit) continue;
        if (random &&
            std::uniform_real_distribution<double>(0.0, 1.0)(random_) >= e.config.probability) {
            continue;
        }
        ++e.fired;
        fired.push_back(&e.config);
    }
    return fired;
}

}  // namespace vantris::sim
