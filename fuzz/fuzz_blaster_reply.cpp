// The blaster's reply: split at its first comma into the two shown values,
// and nothing of the reply lost or invented.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "magnet/Blaster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    std::string first = "stale", second = "stale";
    SplitBlasterReply(reply, first, second);
    const auto comma = reply.find(',');
    if (comma == std::string_view::npos) {
        if (first != reply || !second.empty()) std::abort();
    } else {
        if (first != reply.substr(0, comma)) std::abort();
        if (second != reply.substr(comma + 1)) std::abort();
        if (first.find(',') != std::string::npos) std::abort();
    }
    return 0;
}
