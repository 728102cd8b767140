// One Write + Read round trip through the NI back-end and the tests' fake
// driver library (libfakegpib_ni.so beside this program, or the file named by
// VANTRIS_BENCH_GPIB_LIBRARY), loaded at run time as a real driver is: the
// cost the bus layer adds to each transaction.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "bus/ni/NiGpibBus.h"
#include "platform/Paths.h"
#include "core/RunConfig.h"

static std::string FakeLibrary() {
    if (const char* env = std::getenv("VANTRIS_BENCH_GPIB_LIBRARY"); env && *env) return env;
    return Paths::ExecutableDir() + "/libfakegpib_ni.so";
}

static void BM_NiWriteReadRoundTrip(benchmark::State& state) {
    const std::string library = FakeLibrary();
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto script = handle ? reinterpret_cast<void (*)(const char*)>(dlsym(handle, "fakegpib_script"))
                         : nullptr;
    if (!script) {
        state.SkipWithError(("no fake driver at " + library).c_str());
        return;
    }
    script("nolog\nalways 0x6903 N+1.2345E-03\\n\n");
    RunConfig config;
    config.gpibLibrary = library;
    NiGpibBus bus(config);
    for (auto _ : state) {
        bus.Write(3, 9, "G2");
        std::string reply = bus.Read(3, 9);
        benchmark::DoNotOptimize(reply);
    }
    state.counters["transactions/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    dlclose(handle);
}
BENCHMARK(BM_NiWriteReadRoundTrip);

BENCHMARK_MAIN();
