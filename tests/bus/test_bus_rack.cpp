// The NI back-end loading the rack's NI-488.2 shim exactly as it loads a real
// driver, and a few transfers against the rack's Hall electronics.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "GpibBus.h"
#include "HallReadings.h"
#include "RunConfig.h"

namespace {
double TruthRs() {
    void* rack = ::dlopen(VANTRIS_SIM_LIBRARY, RTLD_NOW);
    if (!rack) return 0;
    auto truth = reinterpret_cast<int (*)(char*, int)>(::dlsym(rack, "vantris_sim_truth"));
    char text[256] = {0};
    truth(text, sizeof text);
    const char* rs = std::strstr(text, "Rs=");
    return rs ? std::atof(rs + 3) : 0;
}
}  // namespace

TEST(NiBackEndOnTheRack, TransfersReachTheSimulatedElectronics) {
    ::unsetenv("VANTRIS_SIM_CONFIG");
    Config().gpibLibrary = VANTRIS_GPIBSIM_LIBRARY;
    auto bus = MakeGpibBus();
    ASSERT_FALSE(bus->Open());  // a board is there
    bus->Write(3, 8, "DP");
    bus->Write(3, 8, "DI100.0");
    EXPECT_NEAR(ParseCurrentReading(bus->Read(3, 13)), 100.0, 1e-6);
    bus->Write(3, 7, "S12M43");
    bus->Write(3, 9, "G0H128O0");
    const HallReading reading = ParseVoltageReading(bus->Read(3, 9));
    ASSERT_EQ(reading.kind, HallReading::Kind::Value);
    // A symmetric disc: V43 = Rs ln2 / pi x I, read at fine gain 256/128.
    const double expected = TruthRs() * std::log(2.0) / M_PI * 100e-6 * 2.0;
    EXPECT_NEAR(reading.value, expected, 1e-4 * std::fabs(expected));
    // The identification, without its line feed.
    EXPECT_EQ(bus->Read(3, 6), "R44/1.1");
    // Nothing answers at primary 5: the write finds no listener.
    try {
        bus->Write(5, -1, "X");
        ADD_FAILURE() << "a write to an absent device succeeded";
    } catch (const xgpib& e) {
        EXPECT_EQ(e.why(), "ENOL: no listeners");
    }
}
