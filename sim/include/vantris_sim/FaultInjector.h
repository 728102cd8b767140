#pragma once
// Decides, transfer by transfer, which configured faults fire. A fault with a
// "command" counts the writes that begin with that text; one without counts
// the replies (time-out, garbage, long reply), the motion commands (no-srq,
// motion-fault, lid-open) or every transfer (silence) of its device.
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "vantris_sim/RackConfig.h"

namespace vantris::sim {

struct TransferEvent {
    FaultDevice device = FaultDevice::Hall;
    int secondary = -1;
    bool write = false;
    bool motion = false;  // a write that starts a motion
    std::string_view text;
};

class FaultInjector {
  public:
    FaultInjector(std::vector<FaultConfig> faults, std::uint64_t seed);

    // The faults that fire on this transfer (pointers stay valid).
    std::vector<const FaultConfig*> Check(const TransferEvent& event);

    // Seeded source for garbage bytes.
    std::mt19937_64& Random() { return random_; }

  private:
    struct Entry {
        FaultConfig config;
        long long matches = 0;
        long long fired = 0;
    };
    static bool Matches(const FaultConfig& fault, const TransferEvent& event);

    std::vector<Entry> entries_;
    std::mt19937_64 random_;
};

}  // namespace vantris::sim
