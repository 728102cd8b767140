#include "vantris_sim/Trace.h"

#include <cstdio>
#include <cstdlib>

namespace vantris::sim {

std::string TraceText(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20 || u >= 0x7f || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

void Trace(const std::string& line) {
    const char* path = std::getenv("VANTRIS_SIM_TRACE");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fputs(line.c_str(), f);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

}  // namespace vantris::sim
