// The delayed and integrated readings: a 1-second timer drives them while a
// nested event loop keeps the program serving its windows (and the abort
// button) between ticks.
#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <functional>

#include "electronics/HallUnit.h"
#include "core/CoreRecords.h"
#include "core/Printf.h"
#include "core/StatusFields.h"
#include "platform/TimeScale.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {

enum class Completion { Running, Done, Aborted, Failed, BusError };

// One timed reading's state. Each reading keeps its own, so a reading started
// from inside another one's wait cannot disturb the outer one.
struct TimedState {
    int remaining = 0;
    Completion completion = Completion::Running;
    int failedCode = 0;
    int count = 0;
    double sum = 0.0;
};

void ShowProgress(StatusFields& status, const char* what, int remaining, double value) {
    status.SetDetail(CutToField(Printf("%s %d (%+.3f)", what, remaining + 1, value), 20));
}

// Without an application object there is no event loop to wait in; the ticks
// then come from the (scaled) clock.
bool HaveEventLoop() {
    return QCoreApplication::instance() != nullptr;
}

void DelayTick(CoreRecords& records, TimedState& state, const std::function<void()>& takeReading,
               double& value) {
    if (records.state.cancelRequested) {
        state.completion = Completion::Aborted;
    } else {
        --state.remaining;
        try {
            takeReading();
            if (state.remaining <= 0) state.completion = Completion::Done;
        } catch (const xmeas& error) {
            // Only the last reading counts; earlier failures are read again.
            if (state.remaining <= 0) {
                state.completion = Completion::Failed;
                state.failedCode = error.code();
            }
        } catch (...) {
            state.completion = Completion::BusError;
        }
    }
    ShowProgress(records.status, "Delay", state.remaining, value);
}

}  // namespace

void HallUnit::RunDelayed(const std::function<void()>& takeReading, double& value) {
    const int delay = records_.settings.Delay;
    if (delay <= 0) {
        takeReading();
        return;
    }
    TimedState state;
    state.remaining = delay;
    if (HaveEventLoop()) {
        QEventLoop loop;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            DelayTick(records_, state, takeReading, value);
            if (state.completion != Completion::Running) loop.quit();
        });
        timer.start(TimeScale::Ms(1000));
        while (state.completion == Completion::Running) loop.exec();
        timer.stop();
    } else {
        while (state.completion == Completion::Running) {
            Wait::Ms(1000);
            DelayTick(records_, state, takeReading, value);
        }
    }
    switch (state.completion) {
        case Completion::Aborted:
            ThrowAbort();
        case Completion::Failed:
            throw xmeas("Measurement Failure", state.failedCode);
        case Completion::BusError:
            throw xgpib("GPIB");
        case Completion::Running:
        case Completion::Done:
            break;
    }
}

namespace {
void IntegrationTick(CoreRecords& records, TimedState& state) {
    if (records.state.cancelRequested) {
        state.completion = Completion::Aborted;
    } else if (--state.remaining <= 0) {
        state.completion = Completion::Done;
    }
    ShowProgress(records.status, "Integ", state.remaining,
                 state.count ? state.sum / state.count : 0.0);
}

}  // namespace

void HallUnit::MeasureVoltage(double& value) {
    RunDelayed([&] { ReadVoltage(value); }, value);
}

void HallUnit::MeasureVoltageAutoGain(double& value, int& gain) {
    RunDelayed([&] { ReadVoltageAutoGain(value, gain); }, value);
}

void HallUnit::MeasureVoltageGainOffset(double& value, int& gain, int& offset) {
    RunDelayed([&] { ReadVoltageGainOffset(value, gain, offset); }, value);
}

void HallUnit::IntegrateVoltage(double& value) {
    const int seconds = records_.settings.Integrations;
    if (seconds <= 0) {
        ReadVoltage(value);
        return;
    }
    records_.state.cancelRequested = false;
    TimedState state;
    state.remaining = seconds;

    // Readings follow one another as fast as the bus delivers them; the timer
    // only counts the seconds. A reading's error leaves through here and the
    // timer goes with this frame.
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { IntegrationTick(records_, state); });
    const bool eventLoop = HaveEventLoop();
    if (eventLoop) timer.start(TimeScale::Ms(1000));
    double lastTick = TimeScale::Seconds();
    while (state.completion == Completion::Running) {
        if (eventLoop) {
            Pump();
        } else if (TimeScale::Seconds() - lastTick >= 1.0) {
            lastTick += 1.0;
            IntegrationTick(records_, state);
        }
        if (state.completion != Completion::Running) break;
        double reading = 0.0;
        ReadVoltage(reading);
        ++state.count;
        state.sum += reading;
    }
    timer.stop();
    if (state.completion == Completion::Aborted) ThrowAbort();
    value = state.count ? state.sum / state.count : 0.0;
}
