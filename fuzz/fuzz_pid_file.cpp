// The .pid import file: any text gives a defined result. The key word
// decides everything; at most ten entries come out, each of seven numbers,
// in the file's order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "temperature/PidFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* keyword : {"RT4450", "ITC5"}) {
        const PidFileContents contents = ParsePidFile(text, keyword);
        if (!contents.keywordMatches && (!contents.entries.empty() || contents.stoppedAtBadLine))
            std::abort();
        if (contents.entries.size() > 10) std::abort();
        const std::string key(keyword);
        const bool starts = text.compare(0, key.size(), key) == 0;
        if (contents.keywordMatches && !starts) std::abort();
    }
    return 0;
}
