// The Personal488 driver calls over the virtual rack. Only when
// VANTRIS_SIMULATE is 1: otherwise no device name opens and every call fails,
// as on a machine without the driver.
#include <cstdlib>
#include <cstring>
#include <string>

#include "bus/iotech/iot488.h"
#include "vantris_sim/RackInstance.h"

namespace {

using vantris::sim::BusStatus;
using vantris::sim::Rack;

enum Handle : long { kBoard = 1, kHall = 2, kItc = 3 };

struct Device {
    bool open = false;
    int primary = -1;
    int secondary = -1;
    char terminator = '\n';
    std::string error = "no error";
};

Device g_devices[4];

bool Simulating() {
    const char* value = std::getenv("VANTRIS_SIMULATE");
    return value && std::strcmp(value, "1") == 0;
}

// The rack and the device behind a handle, or null (the call then fails).
Device* Lookup(DevHandleT handle, Rack*& rack) {
    rack = nullptr;
    if (!Simulating() || handle < kBoard || handle > kItc || !g_devices[handle].open) {
        return nullptr;
    }
    rack = vantris::sim::TheRack();
    if (!rack) return nullptr;
    return &g_devices[handle];
}

long Fail(Device* device, const char* text) {
    if (device) device->error = text;
    return -1;
}

}  // namespace

extern "C" {

DevHandleT OpenName(const char* name) {
    std::lock_guard lock(vantris::sim::RackMutex());
    if (!Simulating() || !name || !vantris::sim::TheRack()) return -1;
    long handle = 0;
    Device device;
    device.open = true;
    if (std::strcmp(name, "IEEE0") == 0) {
        handle = kBoard;
    } else if (std::strcmp(name, "Hall") == 0) {
        handle = kHall;
        device.primary = Rack::kHallPrimary;
        device.secondary = 6;
    } else if (std::strcmp(name, "ITC502") == 0) {
        handle = kItc;
        device.primary = Rack::kItc5Primary;
        device.terminator = '\r';
    } else {
        return -1;
    }
    g_devices[handle] = device;
    return handle;
}

long BusAddress(DevHandleT dev, long primary, long secondary) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    Device* device = Lookup(dev, rack);
    if (!device || dev == kBoard) return Fail(device, "not a device handle");
    if (primary < 0 || primary > 30) return Fail(device, "primary address out of range");
    if (secondary >= 0x60) secondary &= 0x1F;
    if (secondary > 30) return Fail(device, "secondary address out of range");
    device->primary = static_cast<int>(primary);
    device->secondary = secondary < 0 ? -1 : static_cast<int>(secondary);
    return 0;
}

long OutputX(DevHandleT dev, const char* data, unsigned long count, long last, long /*forceAddr*/,
             TermT* /*terminator*/, long /*async*/, void* /*completion*/) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    Device* device = Lookup(dev, rack);
    if (!device || dev == kBoard) return Fail(device, "not a device handle");
    if (!data && count > 0) return Fail(device, "no data");
    if (count > 65536) return Fail(device, "transfer too long");
    std::string text(data ? data : "", count);
    if (last) text += device->terminator;
    if (rack->Write(device->primary, device->secondary, text, last != 0) != BusStatus::Ok) {
        return Fail(device, "time-out: no listener");
    }
    return static_cast<long>(count);
}

long EnterX(DevHandleT dev, char* data, unsigned long count, long /*forceAddr*/,
            TermT* /*terminator*/, long /*async*/, void* /*completion*/) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    Device* device = Lookup(dev, rack);
    if (!device || dev == kBoard) return Fail(device, "not a device handle");
    if (!data || count == 0) return Fail(device, "no buffer");
    const auto result = rack->Read(device->primary, device->secondary, count,
                                   static_cast<unsigned char>(device->terminator));
    if (result.status != BusStatus::Ok) return Fail(device, "time-out on data");
    std::size_t n = result.data.size();
    std::memcpy(data, result.data.data(), n);
    if (n > 0 && data[n - 1] == device->terminator) --n;
    if (n < count) data[n] = '\0';
    return static_cast<long>(n);
}

long SPoll(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    Device* device = Lookup(dev, rack);
    if (!device) return Fail(device, "not open");
    if (dev == kBoard) return rack->ServiceRequest() ? 1 : 0;
    const auto status = rack->SerialPoll(device->primary, device->secondary);
    if (!status) return Fail(device, "time-out on serial poll");
    return *status;
}

long GetError(DevHandleT dev, char* message) {
    std::lock_guard lock(vantris::sim::RackMutex());
    if (!message) return -1;
    const char* text = "no driver";
    if (Simulating() && dev >= kBoard && dev <= kItc && g_devices[dev].open) {
        text = g_devices[dev].error.c_str();
    }
    std::strncpy(message, text, 63);
    message[63] = '\0';
    return 0;
}

long Clear(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    Device* device = Lookup(dev, rack);
    if (!device) return -1;
    rack->DeviceClear(dev == kBoard ? -1 : device->primary);
    return 0;
}

long Local(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    if (!Lookup(dev, rack)) return -1;
    if (dev == kBoard) rack->SetRemoteEnable(false);
    return 0;
}

long Remote(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    if (!Lookup(dev, rack)) return -1;
    if (dev == kBoard) rack->SetRemoteEnable(true);
    return 0;
}

long Lol(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    return Lookup(dev, rack) ? 0 : -1;
}

long Abort(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    return Lookup(dev, rack) ? 0 : -1;
}

// Bit 0: REN asserted; bit 1: SRQ asserted.
long ControlLine(DevHandleT dev) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = nullptr;
    if (!Lookup(dev, rack)) return -1;
    return (rack->RemoteEnable() ? 1 : 0) | (rack->ServiceRequest() ? 2 : 0);
}

}  // extern "C"
