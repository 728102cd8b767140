// Arbitrary command texts to every device of the rack: nothing may crash,
// and no queue may grow without bound. The first byte picks the device, the
// second the secondary address and the clock step; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "vantris_sim/Rack.h"

namespace {

using vantris::sim::Rack;

Rack& TheRack() {
    static std::unique_ptr<Rack> rack = [] {
        vantris::sim::RackConfig config;
        config.noiseVolts = 1e-6;
        config.faults.push_back({vantris::sim::FaultDevice::Hall, std::nullopt, 9, 0,
                                 vantris::sim::FaultKind::LongReply, 0.05});
        auto r = std::make_unique<Rack>(config);
        r->Clock().SetManual(true);
        return r;
    }();
    return *rack;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

// Reads everything a device has to say and bounds it.
void Drain(Rack& rack, int primary, int secondary) {
    std::size_t total = 0;
    for (int i = 0; i < 64; ++i) {
        const auto r = rack.Read(primary, secondary, 64, -1);
        if (r.status != vantris::sim::BusStatus::Ok) return;
        Check(r.data.size() <= 64);
        total += r.data.size();
        if (r.end) break;
    }
    Check(total <= Rack::kLongReply + 64);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    Rack& rack = TheRack();
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    const int secondary = data[1] & 0x1F;
    rack.Clock().Advance((data[1] >> 5) * 0.7);
    switch (data[0] % 6) {
        case 0:
            rack.Write(Rack::kHallPrimary, secondary, text, true);
            Drain(rack, Rack::kHallPrimary, secondary);
            while (rack.SerialPoll(Rack::kHallPrimary, 6).value_or(0) != 0) {
            }
            break;
        case 1:
            rack.Write(Rack::kLn2Primary, secondary, text, true);
            Drain(rack, Rack::kLn2Primary, secondary);
            break;
        case 2:
            rack.Write(Rack::kItc5Primary, -1, text, (data[1] & 1) != 0);
            for (int i = 0; i < 20; ++i) Drain(rack, Rack::kItc5Primary, -1);
            break;
        case 3:
        case 4: {
            const int port = rack.SerialOpen(data[0] % 6 == 3 ? "COM2" : "COM1");
            Check(port >= 0);
            rack.SerialWrite(port, text.data(), static_cast<long>(text.size()));
            char buffer[Rack::kMaxSerialOutput + 1];
            Check(rack.SerialRead(port, buffer, sizeof buffer) <=
                  static_cast<long>(Rack::kMaxSerialOutput));
            rack.SerialClose(port);
            break;
        }
        default: {
            vantris::sim::RackConfig config;
            std::string error;
            if (!vantris::sim::ParseRackConfig(text, config, error)) Check(!error.empty());
            break;
        }
    }
    return 0;
}
