#include "RunConfig.h"

#include "Printf.h"

RunConfig& Config() {
    static RunConfig config;
    return config;
}

std::string VersionText() {
    return Printf("%d.%02d", RunConfig::version >> 8, RunConfig::version & 0xFF);
}
