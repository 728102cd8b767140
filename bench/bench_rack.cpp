// Round trips through the rack's NI-488.2 shim, loaded by path as the NI
// back-end loads a driver: a write and a read of a reading at (3, 9).
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#ifndef VANTRIS_GPIBSIM_PATH
#define VANTRIS_GPIBSIM_PATH "libvantris_gpibsim.so"
#endif

namespace {

using SendFn = void (*)(int, unsigned short, const void*, long, int);
using ReceiveFn = void (*)(int, unsigned short, void*, long, int);

struct Shim {
    SendFn send = nullptr;
    ReceiveFn receive = nullptr;
    int* ibsta = nullptr;
};

const Shim& Load() {
    static Shim shim = [] {
        Shim s;
        const char* path = std::getenv("VANTRIS_GPIB_LIBRARY");
        void* handle = dlopen(path && *path ? path : VANTRIS_GPIBSIM_PATH, RTLD_NOW);
        if (!handle) {
            std::fprintf(stderr, "cannot load the shim: %s\n", dlerror());
            std::exit(1);
        }
        s.send = reinterpret_cast<SendFn>(dlsym(handle, "Send"));
        s.receive = reinterpret_cast<ReceiveFn>(dlsym(handle, "Receive"));
        s.ibsta = reinterpret_cast<int*>(dlsym(handle, "user_ibsta"));
        if (!s.send || !s.receive || !s.ibsta) {
            std::fprintf(stderr, "the shim lacks Send, Receive or user_ibsta\n");
            std::exit(1);
        }
        return s;
    }();
    return shim;
}

void BM_WriteReadAtNine(benchmark::State& state) {
    const Shim& shim = Load();
    const unsigned short address = 3 | ((9 | 0x60) << 8);
    const unsigned short matrix = 3 | ((7 | 0x60) << 8);
    shim.send(0, matrix, "S12M43", 6, 1);
    char buffer[20];
    for (auto _ : state) {
        shim.send(0, address, "G1H128O0", 8, 1);
        shim.receive(0, address, buffer, sizeof buffer, 0x0A);
        if (*shim.ibsta & 0x8000) state.SkipWithError("bus error");
        benchmark::DoNotOptimize(buffer);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteReadAtNine);

}  // namespace

BENCHMARK_MAIN();
