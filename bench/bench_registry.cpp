// Reading and writing back generated settings files of growing size. Each case
// runs in a child process of its own, so the peak memory it reports
// (getrusage ru_maxrss) is that case's alone. Prints one line per case;
// time and memory should grow in step with the file.
//
//   bench_registry            10 k, 100 k and 1 M values, in one key and spread
//                             over keys, and 1 M keys
//   bench_registry N [K]      N values spread over keys of K values each
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/RegFile.h"

namespace {
using Clock = std::chrono::steady_clock;

// About 50 bytes a value, as the settings sets' texts are: 1 M values make
// a 50 MB file.
std::string Generate(long values, long perKey) {
    std::string text = "REGEDIT4\r\n\r\n";
    text.reserve(static_cast<std::size_t>(values) * 52 + 64);
    char line[128];
    for (long i = 0; i < values; ++i) {
        if (i % perKey == 0) {
            std::snprintf(
                line, sizeof line,
                "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\Settings\\set%07ld]\r\n",
                i / perKey);
            text += line;
        }
        if (i % 3 == 2) {
            std::snprintf(line, sizeof line, "\"Value%08ld\"=dword:%08lx\r\n", i, i);
        } else {
            std::snprintf(line, sizeof line, "\"Value%08ld\"=\"text of value %08ld .....\"\r\n", i,
                          i);
        }
        text += line;
    }
    return text;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double PeakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void Case(long values, long perKey) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child != 0) {
        ::waitpid(child, nullptr, 0);
        return;
    }
    const std::string text = Generate(values, perKey);
    const double before = PeakMb();
    auto start = Clock::now();
    const RegParseResult parsed = ParseRegFile(text);
    const double parse = Seconds(start);
    if (!parsed.ok) {
        std::printf("%ld values: refused at line %d: %s\n", values, parsed.errorLine,
                    parsed.error.c_str());
        std::fflush(stdout);
        ::_exit(1);
    }
    start = Clock::now();
    const std::string written = WriteRegFile(parsed.tree);
    const double write = Seconds(start);
    std::printf(
        "%8ld values %8zu keys  file %6.1f MB  parse %6.3f s  write %6.3f s  "
        "peak %7.1f MB (%7.1f MB beyond the file's text)\n",
        values, parsed.tree.keys.size(), static_cast<double>(text.size()) / 1e6, parse, write,
        PeakMb(), PeakMb() - before);
    std::fflush(stdout);
    ::_exit(written.size() > text.size() / 2 ? 0 : 2);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        Case(std::atol(argv[1]), argc > 2 ? std::max(1L, std::atol(argv[2])) : 10);
        return 0;
    }
    std::printf("all values in one key:\n");
    for (long n : {10000L, 100000L, 1000000L}) Case(n, n);
    std::printf("ten values a key:\n");
    for (long n : {10000L, 100000L, 1000000L}) Case(n, 10);
    std::printf("one value a key:\n");
    for (long n : {10000L, 100000L, 1000000L}) Case(n, 1);
    return 0;
}
