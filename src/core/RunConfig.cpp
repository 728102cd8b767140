#include "RunConfig.h"

#include "Printf.h"

std::string VersionText() {
    return Printf("%d.%02d", RunConfig::version >> 8, RunConfig::version & 0xFF);
}
