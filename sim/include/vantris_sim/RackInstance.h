#pragma once
// The process's one rack, shared by the C interface and the bus shims. Every
// access holds the lock for the duration of one call.
#include <mutex>
#include <string>

#include "vantris_sim/Rack.h"

namespace vantris::sim {

std::recursive_mutex& RackMutex();
// The rack, made on first use from VANTRIS_SIM_CONFIG; nullptr when that
// configuration is unusable (the reason went to stderr once).
Rack* TheRack();
// Replaces the rack; on failure the previous one stays and error says why.
bool ReconfigureRack(const std::string& path, std::string& error);

}  // namespace vantris::sim
