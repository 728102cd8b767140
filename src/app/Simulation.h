#pragma once
// Running against the virtual instrument rack: the program loads the rack's
// NI-488.2 shim through the same path as a real driver, routes its serial
// links to the rack, and hands the rack its configuration file.
#include <string>

struct RunConfig;

namespace Simulation {
// Prepares the environment and the run configuration. False with a message
// when the rack cannot start (a bad configuration names the key).
bool Prepare(RunConfig& config, const std::string& configFile, bool explicitLibrary,
             std::string& error);
// Whether the rack's libraries were found beside the program.
bool Available();
// The rack's truth at the specimen's present temperature, for --dump.
std::string TruthLine();
}  // namespace Simulation
