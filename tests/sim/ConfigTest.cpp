// Configuration files: keys reach the rack; mistakes name the key.
#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

#include "RackTestSupport.h"

namespace vantris::sim::test {
namespace {

std::string ErrorOf(const std::string& json) {
    RackConfig config;
    std::string error;
    EXPECT_FALSE(ParseRackConfig(json, config, error)) << json;
    return error;
}

TEST(RackConfig, ValuesReachTheirFields) {
    RackConfig config;
    std::string error;
    ASSERT_TRUE(ParseRackConfig(R"({"seed":3,"noise_volts":1e-6,
        "specimen":{"geometry":"bridge","carrier":"p","contact_angles_deg":[10,100,190,280]},
        "magnet":{"tesla":0.8,"move_seconds":0.5},"stage":"itc5",
        "serial":{"COM3":"buffer"},
        "faults":[{"device":"itc5","command":"R1","kind":"garbage","times":2}]})",
                                config, error))
        << error;
    EXPECT_EQ(config.seed, 3u);
    EXPECT_EQ(config.specimen.geometry, Geometry::Bridge);
    EXPECT_FALSE(config.specimen.nType);
    EXPECT_EQ(config.specimen.contactAnglesDeg[0], 10.0);
    EXPECT_EQ(config.magnet.tesla, 0.8);
    EXPECT_EQ(config.stage, StageChoice::Itc5);
    EXPECT_EQ(config.serial.size(), 1u);
    EXPECT_EQ(config.serial.at("COM3"), "buffer");
    ASSERT_EQ(config.faults.size(), 1u);
    EXPECT_EQ(config.faults[0].command.value_or(""), "R1");
    EXPECT_EQ(config.faults[0].times, 2);
}

TEST(RackConfig, ErrorsNameTheKey) {
    EXPECT_EQ(ErrorOf(R"({"specimen":{"carrier":"x"}})"),
              "specimen.carrier: expected \"n\" or \"p\"");
    EXPECT_EQ(ErrorOf(R"({"specimen":{"colour":1}})"), "specimen.colour: unknown key");
    EXPECT_EQ(ErrorOf(R"({"sead":1})"), "sead: unknown key");
    EXPECT_EQ(ErrorOf(R"({"magnet":{"tesla":-1}})"),
              "magnet.tesla: expected a number greater than 0 and at most 100");
    EXPECT_EQ(ErrorOf(R"({"specimen":{"contact_resistance_ohm":[1,2]}})"),
              "specimen.contact_resistance_ohm: expected an array of 8 numbers");
    EXPECT_EQ(ErrorOf(R"({"specimen":{"contact_angles_deg":[0,90,80,270]}})"),
              "specimen.contact_angles_deg: expected four increasing angles");
    EXPECT_EQ(ErrorOf(R"({"specimen":{"contact_diode_ideality":[0,1,1,1,1,1,1,1]}})"),
              "specimen.contact_diode_ideality[0]: expected a number from 0.5 to 20");
    EXPECT_EQ(ErrorOf(R"({"specimen":{"contact_diode_saturation_A":[1e-7]}})"),
              "specimen.contact_diode_saturation_A: expected an array of 8 numbers");
    EXPECT_EQ(ErrorOf(R"({"faults":[{"device":"hall","kind":"fire"}]})"),
              "faults[0].kind: expected \"timeout\", \"garbage\", \"long-reply\", \"no-srq\", "
              "\"motion-fault\", \"lid-open\" or \"silence\"");
    EXPECT_EQ(ErrorOf(R"({"faults":[{"device":"ln2","kind":"no-srq"}]})"),
              "faults[0].kind: \"no-srq\" needs device \"hall\"");
    EXPECT_EQ(ErrorOf(R"({"faults":[{"kind":"timeout"}]})"), "faults[0].device: missing");
    EXPECT_EQ(ErrorOf(R"({"ln2":{"base_K":300,"max_K":200}})"),
              "ln2.max_K: expected more than base_K");
    EXPECT_EQ(ErrorOf(R"({"serial":{"COM1":"printer"}})"),
              "serial.COM1: expected \"buffer\", \"hot\" or \"none\"");
    EXPECT_EQ(ErrorOf("[1]"), "expected a JSON object at the top level");
    EXPECT_EQ(ErrorOf("{\"seed\":").rfind("JSON error at offset", 0), 0u);
}

TEST(RackConfig, DuplicateKeysAreRefusedByName) {
    EXPECT_EQ(ErrorOf(R"({"seed":1,"seed":2})"), "seed: duplicate key");
    EXPECT_EQ(ErrorOf(R"({"specimen":{"carrier":"n","thickness_um":2,"carrier":"p"}})"),
              "specimen.carrier: duplicate key");
    // Written differently, still the same key.
    EXPECT_EQ(ErrorOf(R"({"magnet":{"tesla":0.5,"\u0074esla":0.6}})"),
              "magnet.tesla: duplicate key");
    EXPECT_EQ(ErrorOf(R"({"faults":[{"device":"hall","kind":"timeout"},
                                    {"device":"hall","kind":"garbage","kind":"timeout"}]})"),
              "faults[1].kind: duplicate key");
    EXPECT_EQ(
        ErrorOf(R"({"faults":[],"stage":"ln2","faults":[{"device":"hall","kind":"timeout"}]})"),
        "faults: duplicate key");

    // Equal keys in different objects, equal texts as values, and keys that
    // differ only after an escape are all fine.
    RackConfig config;
    std::string error;
    EXPECT_TRUE(ParseRackConfig(R"({"ln2":{"initial_K":80},"itc5":{"initial_K":90},
        "serial":{"COM1":"hot","COM2":"hot","COM\"3":"buffer"},
        "faults":[{"device":"hall","kind":"timeout"},{"device":"hall","kind":"timeout"}]})",
                                config, error))
        << error;
    EXPECT_EQ(config.faults.size(), 2u);
    EXPECT_EQ(config.serial.size(), 3u);
}

TEST(RackConfig, TooLargeIsSaidSo) {
    // Valid JSON padded with blanks to one byte beyond the limit.
    const std::size_t limit = 4 * 1024 * 1024;
    std::string json = R"({"magnet":{"tesla":0.25}})";
    json.resize(limit + 1, ' ');
    const std::string error = ErrorOf(json);
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_EQ(error.find("offset"), std::string::npos) << error;

    // Per process: ctest runs this case alone and inside the whole executable at once.
    const std::string path =
        ::testing::TempDir() + "rack_config_large." + std::to_string(::getpid()) + ".json";
    std::ofstream(path) << json;
    RackConfig config;
    std::string fileError;
    EXPECT_FALSE(LoadRackConfig(path, config, fileError));
    EXPECT_EQ(fileError.rfind(path + ": ", 0), 0u) << fileError;
    EXPECT_NE(fileError.find("too large"), std::string::npos) << fileError;
    // At the limit exactly it is read.
    json.resize(limit);
    std::ofstream(path) << json;
    EXPECT_TRUE(LoadRackConfig(path, config, fileError)) << fileError;
    EXPECT_EQ(config.magnet.tesla, 0.25);
    std::remove(path.c_str());
}

TEST(RackConfig, FilesAndTheKeptConfiguration) {
    RackConfig config;
    config.magnet.tesla = 0.7;
    std::string error;
    EXPECT_FALSE(LoadRackConfig("/nonexistent/rack.json", config, error));
    EXPECT_NE(error.find("/nonexistent/rack.json"), std::string::npos);
    EXPECT_EQ(config.magnet.tesla, 0.7);  // a failed load changes nothing
    const std::string path =
        ::testing::TempDir() + "rack_config_test." + std::to_string(::getpid()) + ".json";
    std::ofstream(path) << R"({"magnet":{"tesla":0.25}})";
    ASSERT_TRUE(LoadRackConfig(path, config, error)) << error;
    EXPECT_EQ(config.magnet.tesla, 0.25);
    std::ofstream(path) << R"({"magnet":{"tesla":"big"}})";
    EXPECT_FALSE(LoadRackConfig(path, config, error));
    EXPECT_EQ(error, path + ": magnet.tesla: expected a number greater than 0 and at most 100");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace vantris::sim::test
