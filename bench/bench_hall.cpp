// HallUnit::ReadVoltageAutoGain against a scripted bus: the electronics
// layer's own cost of one auto-ranged reading (worst case: four decades up).
#include <benchmark/benchmark.h>

#include <memory>

#include "bus/GpibBus.h"
#include "core/CoreRecords.h"
#include "electronics/BufferAmplifierLink.h"
#include "electronics/HallUnit.h"
#include "ScriptedBus.h"

static void BM_ReadVoltageAutoGain(benchmark::State& state) {
    CoreRecords records;
    BusSlot slot;
    BufferAmplifierLink link;
    HallUnit hall(slot, records, link);
    auto owned = std::make_unique<ScriptedBus>();
    ScriptedBus* bus = owned.get();
    slot.Set(std::move(owned));
    bus->SetRecording(false);
    bus->SetDefaultReply("N+0.0040");
    for (auto _ : state) {
        double value = 0;
        int gain = 0;
        hall.ReadVoltageAutoGain(value, gain);
        benchmark::DoNotOptimize(value);
    }
    state.counters["readings/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadVoltageAutoGain);

BENCHMARK_MAIN();
