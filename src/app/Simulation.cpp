#include "Simulation.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <QFileInfo>

#include "Paths.h"
#include "RunConfig.h"
#include "SerialLink.h"

namespace Simulation {
namespace {
void* RackLibrary() {
    static void* lib = [] {
        const std::string path = Paths::Find("libvantris_sim.so");
        return path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    }();
    return lib;
}
}  // namespace

bool Available() {
    return !Paths::Find("libvantris_gpibsim.so").empty() && RackLibrary() != nullptr;
}

bool Prepare(const std::string& configFile, bool explicitLibrary, std::string& error) {
    RunConfig& config = Config();
    std::string absolute;
    if (!configFile.empty()) {
        const QFileInfo info(QString::fromStdString(configFile));
        if (!info.isFile()) {
            error = "--simulate: cannot read the rack configuration \"" + configFile + "\"";
            return false;
        }
        absolute = info.absoluteFilePath().toStdString();
    }
    if (!Available()) {
        error = "the virtual instrument rack is not installed beside the program";
        return false;
    }
    using Configure = int (*)(const char*, char*, int);
    auto configure = reinterpret_cast<Configure>(::dlsym(RackLibrary(), "vantris_sim_configure"));
    if (!configure) {
        error = "the virtual instrument rack library is incomplete";
        return false;
    }
    char message[512] = {0};
    if (configure(absolute.c_str(), message, sizeof message) != 0) {
        error = std::string("rack configuration: ") + message;
        return false;
    }
    // The shims read the same settings when the bus loads them.
    ::setenv("VANTRIS_SIM_CONFIG", absolute.c_str(), 1);
    ::setenv("VANTRIS_SIMULATE", "1", 1);
    config.simulate = true;
    config.simulateConfig = absolute;
    if (!explicitLibrary) config.gpibLibrary = Paths::Find("libvantris_gpibsim.so");
    SerialLink::UseSimulation(true);
    return true;
}

std::string TruthLine() {
    using Truth = int (*)(char*, int);
    void* lib = RackLibrary();
    auto truth = lib ? reinterpret_cast<Truth>(::dlsym(lib, "vantris_sim_truth")) : nullptr;
    if (!truth) return {};
    char buffer[512] = {0};
    truth(buffer, sizeof buffer);
    return std::string("sim: ") + buffer;
}
}  // namespace Simulation
