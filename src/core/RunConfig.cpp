#include "core/RunConfig.h"

#include "core/Printf.h"

std::string VersionText() {
    return Printf("%d.%02d", RunConfig::version >> 8, RunConfig::version & 0xFF);
}
