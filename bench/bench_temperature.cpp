// The LN2 and ITC5 panels open and ticking at their own periods (time scale
// 1) over a bus that answers at once: the program's CPU use while a panel is
// open, and the longest stall of the GUI thread during a tick, which is the
// panel's own work outside the bus transfers.
//
//   bench_temperature [SECONDS]   (default 5 per panel)
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/FileRegistryStore.h"
#include "bus/GpibBus.h"
#include "temperature/Itc5Func.h"
#include "temperature/Itc5Panel.h"
#include "temperature/Ln2Func.h"
#include "temperature/Ln2Panel.h"
#include "bus/ni/NiGpibBus.h"
#include "temperature/PidRegistry.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "ScriptedBus.h"
#include "core/RunConfig.h"

namespace {
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// The longest gap between the 10 ms beats of a probe timer, less the beat.
struct StallProbe {
    QTimer timer;
    QElapsedTimer clock;
    double last = 0.0, longest = 0.0;
    StallProbe() {
        clock.start();
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const double now = clock.nsecsElapsed() * 1e-6;
            if (last > 0.0) longest = std::max(longest, now - last - 10.0);
            last = now;
        });
        timer.setTimerType(Qt::PreciseTimer);
        timer.start(10);
    }
};

void Serve(double seconds) {
    QTimer::singleShot(static_cast<int>(seconds * 1000), qApp, &QCoreApplication::quit);
    qApp->exec();
}

template <typename Panel>
void Measure(const char* name, Panel& panel, double seconds, int periodMs) {
    panel.show();
    panel.Open();
    Serve(0.3);  // the first showing and painting are not the ticking
    // CPU use while the panel ticks, nothing else running.
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = CpuSeconds();
    Serve(seconds);
    const double cpu = CpuSeconds() - cpu0;
    const double elapsed = wall.nsecsElapsed() * 1e-9;
    // The longest stall of the event loop while it ticks (and repaints).
    double stall = 0.0;
    {
        StallProbe probe;
        Serve(seconds);
        stall = probe.longest;
    }
    // The tick alone, many times.
    double longestTick = 0.0, total = 0.0;
    constexpr int kTicks = 200;
    for (int i = 0; i < kTicks; ++i) {
        QElapsedTimer t;
        t.start();
        panel.Tick();
        const double ms = t.nsecsElapsed() * 1e-6;
        longestTick = std::max(longestTick, ms);
        total += ms;
    }
    std::printf(
        "%s: period=%d ms wall=%.2f s cpu=%.4f s cpu_use=%.3f %% of a core "
        "longest_stall=%.2f ms tick_mean=%.3f ms tick_longest=%.3f ms (reads %s)\n",
        name, periodMs, elapsed, cpu, 100.0 * cpu / elapsed, stall, total / kTicks, longestTick,
        panel.Fields().Get(periodMs == TTempLN2::kTickMs ? 102 : 103).c_str());
    panel.reject();
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    QTemporaryDir dir;
    SetRegistry(std::make_unique<FileRegistryStore>(dir.filePath("Hall.reg").toStdString()));
    for (ControllerKind kind : {ControllerKind::LN2, ControllerKind::ITC5})
        Registry().Set(PidTableKey(kind) + "\\2", PidEntryValues(kind, Tpid{2, 1, 1, 1, 1, 1, 1}));
    Prompt::ScriptedResponder responder;
    Prompt::SetResponder(&responder);

    BusSlot slot;
    RunConfig config;
    auto owned = std::make_unique<ScriptedBus>();
    ScriptedBus* bus = owned.get();
    bus->SetRecording(false);
    slot.Set(std::move(owned));

    {
        // Every LN2 reading takes this one reply (a temperature, a heater
        // output, a vacuum); the serial poll reads 0 (manual control).
        bus->SetDefaultReply("2931");
        LN2Func ln2(slot, config);
        TTempLN2 panel(nullptr, ln2);
        Measure("LN2PANEL", panel, seconds, TTempLN2::kTickMs);
    }
    {
        // Every ITC5 read answers "R+2931": the status reply then lacks its
        // digit (manual modes), the temperatures and outputs read as numbers.
        bus->SetDefaultReply("R+2931");
        ITC5Func itc(slot, config);
        TTempITC5 panel(nullptr, itc);
        Measure("ITC5PANEL", panel, seconds, TTempITC5::kTickMs);
    }
    // The same against the rack, through the NI back-end and the rack's
    // driver library, as the program runs with --simulate.
    {
        qputenv("VANTRIS_SIMULATE", "1");
        config.gpibLibrary = VANTRIS_GPIBSIM_PATH;
        auto ni = std::make_unique<NiGpibBus>(config);
        if (ni->Open()) {
            std::printf("rack: the driver library would not open (%s)\n", VANTRIS_GPIBSIM_PATH);
        } else {
            slot.Set(std::move(ni));
            {
                LN2Func ln2(slot, config);
                TTempLN2 panel(nullptr, ln2);
                Measure("LN2PANEL rack", panel, seconds, TTempLN2::kTickMs);
            }
            {
                ITC5Func itc(slot, config);
                TTempITC5 panel(nullptr, itc);
                Measure("ITC5PANEL rack", panel, seconds, TTempITC5::kTickMs);
            }
        }
    }
    if (!responder.Asked().empty())
        std::printf("prompts: %zu (first: %s | %s)\n", responder.Asked().size(),
                    responder.Asked().front().caption.c_str(),
                    responder.Asked().front().text.c_str());
    Prompt::SetResponder(nullptr);
    slot.Set(nullptr);
    SetRegistry(nullptr);
    return 0;
}
