// The command line: any arguments give a command line or an error text, and
// a --run list either parses into items the automation can issue or is
// refused with a message. Arguments are the input split at NUL bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckItems(const std::vector<RunItem>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        // A menu command, a control of a window, or a dump: exactly one.
        const RunItem& item = items[i];
        if (item.dump) {
            Check(item.id == 0 && !item.IsControl());
        } else if (item.IsControl()) {
            Check(item.id == 0 && item.control >= 1 && item.control <= 65535);
        } else {
            Check(item.id >= 1 && item.id <= 65535);
        }
        // A delay is either unset or a real number of seconds that fits a timer.
        Check(item.delaySeconds == -1.0 ||
              (std::isfinite(item.delaySeconds) && item.delaySeconds >= 0.0 &&
               item.delaySeconds <= kMaxRunDelaySeconds));
        if (i == 0) Check(items[i].delaySeconds == -1.0);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::vector<RunItem> items;
    std::string error;
    if (ParseRunList(input, items, error)) {
        Check(error.empty());
        CheckItems(items);
    } else {
        Check(!error.empty());
    }

    std::vector<std::string> args;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        args.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const CommandLine line = ParseCommandLine(args);
    if (line.error.empty()) {
        CheckItems(line.run);
        Check(KindFromNumber(KindNumber(line.controllerKind)).has_value());
        Check(std::isfinite(line.timeScale) && line.timeScale >= 0.0);
    }
    return 0;
}
