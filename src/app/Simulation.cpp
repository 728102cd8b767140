#include "app/Simulation.h"

#include <QFileInfo>
#include <QLibrary>

#include "platform/Paths.h"
#include "core/RunConfig.h"
#include "platform/SerialLink.h"

namespace Simulation {
namespace {
// The rack's core library, loaded once with its symbols global: the bus
// shim loaded later finds the same rack in it.
QLibrary* RackLibrary() {
    static QLibrary* lib = []() -> QLibrary* {
        const std::string path = Paths::Find("libvantris_sim.so");
        if (path.empty()) return nullptr;
        static QLibrary library(QString::fromStdString(path));
        library.setLoadHints(QLibrary::ExportExternalSymbolsHint | QLibrary::ResolveAllSymbolsHint);
        return library.load() ? &library : nullptr;
    }();
    return lib;
}

template <typename Function>
Function Symbol(const char* name) {
    QLibrary* lib = RackLibrary();
    return lib ? reinterpret_cast<Function>(lib->resolve(name)) : nullptr;
}
}  // namespace

bool Available() {
    return !Paths::Find("libvantris_gpibsim.so").empty() && RackLibrary() != nullptr;
}

bool Prepare(RunConfig& config, const std::string& configFile, bool explicitLibrary,
             std::string& error) {
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
    auto configure = Symbol<Configure>("vantris_sim_configure");
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
    qputenv("VANTRIS_SIM_CONFIG", QByteArray::fromStdString(absolute));
    qputenv("VANTRIS_SIMULATE", "1");
    config.simulate = true;
    config.simulateConfig = absolute;
    if (!explicitLibrary) config.gpibLibrary = Paths::Find("libvantris_gpibsim.so");
    SerialLink::UseSimulation(true);
    return true;
}

std::string TruthLine() {
    using Truth = int (*)(char*, int);
    auto truth = Symbol<Truth>("vantris_sim_truth");
    if (!truth) return {};
    char buffer[512] = {0};
    truth(buffer, sizeof buffer);
    return std::string("sim: ") + buffer;
}
}  // namespace Simulation
