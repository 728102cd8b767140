#pragma once
// A rack on the manual clock, built from a JSON text, for the rack's tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vantris_sim/Rack.h"

namespace vantris::sim::test {

inline std::unique_ptr<Rack> MakeRack(const std::string& json = "{}") {
    RackConfig config;
    std::string error;
    if (!ParseRackConfig(json, config, error)) {
        ADD_FAILURE() << "config: " << error;
        return nullptr;
    }
    auto rack = std::make_unique<Rack>(config);
    rack->Clock().SetManual(true);
    return rack;
}

// Writes a command to the Hall electronics and expects no complaint.
inline void Hall(Rack& rack, int secondary, const std::string& text) {
    ASSERT_EQ(rack.Command(Rack::kHallPrimary, secondary, text), BusStatus::Ok) << text;
}

inline std::string Ask(Rack& rack, int primary, int secondary) {
    const auto reply = rack.Query(primary, secondary);
    EXPECT_TRUE(reply.has_value()) << "no reply at " << primary << "," << secondary;
    return reply.value_or("");
}

}  // namespace vantris::sim::test
