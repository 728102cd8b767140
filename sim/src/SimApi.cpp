#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "vantris_sim/RackInstance.h"
#include "vantris_sim/vantris_sim.h"

namespace vantris::sim {
namespace {

std::unique_ptr<Rack>& Instance() {
    static std::unique_ptr<Rack> rack;
    return rack;
}

bool g_tried = false;
bool g_manual = false;

void CopyText(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

std::recursive_mutex& RackMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

Rack* TheRack() {
    std::lock_guard lock(RackMutex());
    if (!Instance() && !g_tried) {
        g_tried = true;
        const char* path = std::getenv("VANTRIS_SIM_CONFIG");
        RackConfig config;
        std::string error;
        if (LoadRackConfig(path ? path : "", config, error)) {
            Instance() = std::make_unique<Rack>(config);
            Instance()->Clock().SetManual(g_manual);
        } else {
            std::fprintf(stderr, "vantris rack: %s\n", error.c_str());
        }
    }
    return Instance().get();
}

bool ReconfigureRack(const std::string& path, std::string& error) {
    std::lock_guard lock(RackMutex());
    RackConfig config;
    if (!LoadRackConfig(path, config, error)) return false;
    Instance() = std::make_unique<Rack>(config);
    Instance()->Clock().SetManual(g_manual);
    g_tried = true;
    return true;
}

}  // namespace vantris::sim

using vantris::sim::RackMutex;
using vantris::sim::TheRack;

extern "C" {

int vantris_sim_configure(const char* path, char* error, int errorSize) {
    std::string message;
    if (vantris::sim::ReconfigureRack(path ? path : "", message)) {
        vantris::sim::CopyText("", error, errorSize);
        return 0;
    }
    vantris::sim::CopyText(message, error, errorSize);
    return -1;
}

int vantris_sim_truth(char* buffer, int size) {
    std::lock_guard lock(RackMutex());
    vantris::sim::Rack* rack = TheRack();
    if (!rack) {
        vantris::sim::CopyText("", buffer, size);
        return -1;
    }
    const vantris::sim::SpecimenTruth t = rack->Truth();
    char text[256];
    const int n = std::snprintf(
        text, sizeof text, "T=%.9g Rs=%.9g rho=%.9g RHs=%.9g ns=%.9g mu=%.9g R12=%.9g R34=%.9g",
        t.temperatureK, t.sheetResistance, t.resistivity, t.hallSheet, t.sheetDensity, t.mobility,
        t.pair12, t.pair34);
    vantris::sim::CopyText(text, buffer, size);
    return n;
}

int vantris_sim_serial_open(const char* comName) {
    std::lock_guard lock(RackMutex());
    vantris::sim::Rack* rack = TheRack();
    if (!rack || !comName) return -1;
    return rack->SerialOpen(comName);
}

long vantris_sim_serial_write(int handle, const void* data, long count) {
    std::lock_guard lock(RackMutex());
    vantris::sim::Rack* rack = TheRack();
    return rack ? rack->SerialWrite(handle, data, count) : -1;
}

long vantris_sim_serial_read(int handle, void* data, long max) {
    std::lock_guard lock(RackMutex());
    vantris::sim::Rack* rack = TheRack();
    return rack ? rack->SerialRead(handle, data, max) : -1;
}

void vantris_sim_serial_set_rts(int handle, int on) {
    std::lock_guard lock(RackMutex());
    if (vantris::sim::Rack* rack = TheRack()) rack->SerialSetRts(handle, on != 0);
}

int vantris_sim_serial_cts(int handle) {
    std::lock_guard lock(RackMutex());
    vantris::sim::Rack* rack = TheRack();
    return rack && rack->SerialCts(handle) ? 1 : 0;
}

void vantris_sim_serial_close(int handle) {
    std::lock_guard lock(RackMutex());
    if (vantris::sim::Rack* rack = TheRack()) rack->SerialClose(handle);
}

void vantris_sim_set_manual_clock(int on) {
    std::lock_guard lock(RackMutex());
    vantris::sim::g_manual = on != 0;
    if (vantris::sim::Rack* rack = TheRack()) rack->Clock().SetManual(on != 0);
}

void vantris_sim_advance(double seconds) {
    std::lock_guard lock(RackMutex());
    if (vantris::sim::Rack* rack = TheRack()) rack->Clock().Advance(seconds);
}

}  // extern "C"
