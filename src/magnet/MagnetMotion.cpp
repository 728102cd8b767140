#include "magnet/Magnet.h"
#include "magnet/BufferAmplifier.h"
#include "magnet/MagnetState.h"

#include <QPointer>
#include <QWidget>

#include "bus/GpibBus.h"
#include "electronics/HallUnit.h"
#include "core/CoreRecords.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "magnet/Tmagmove.h"

namespace {
constexpr int kMotionSecondary = 12;
constexpr int kInitSecondary = 25;

bool CompletedNormally(int status) {
    return status == 0x50 || status == 0x68;
}

MotionOutcome ReportMotion(QPointer<QWidget> owner, int status) {
    if (CompletedNormally(status)) return MotionOutcome::Done;
    const std::string text = status == Tmagmove::kSoftwareTimeout ? "Motor Software Timeout"
                                                                  : HallUnit::StatusText(status);
    Prompt::Message(owner.data(), text, "Motion Error", Prompt::Buttons::Ok);
    return MotionOutcome::Failed;
}

}  // namespace

struct Magnet::Awaited {
    bool ownerGone = false;
    MotionOutcome outcome = MotionOutcome::Failed;
};

// Waits for the running motion with the wait dialog and reports a fault.
Magnet::Awaited Magnet::AwaitMotion(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    // The dialog lives on the heap: if its parent goes away inside the wait
    // it goes with it, and the guard tells us so.
    QPointer<Tmagmove> dialog(new Tmagmove(records_.state, bus_, owner.data()));
    const int status = dialog->Wait();
    if (!dialog) return {true, MotionOutcome::Failed};
    // A poll that failed was shown and let the motion count as done; where
    // the stage and magnet are is not known then.
    const bool pollFailed = dialog->PollFailed();
    delete dialog.data();
    const MotionOutcome outcome = ReportMotion(owner, status);
    return {false, pollFailed ? MotionOutcome::Failed : outcome};
}

MotionOutcome Magnet::MoveMagnet(QWidget* parent, const std::string& command) {
    QPointer<QWidget> owner(parent);
    if (records_.config.manualMagnet) {
        // The operator moves the magnet by hand and confirms; nothing is sent.
        Prompt::Message(parent, command, "Manual Operation", Prompt::Buttons::Ok);
        return MotionOutcome::Done;
    }
    if (records_.config.noInstrument) return MotionOutcome::Done;

    // Clear a request left over from an earlier motion before starting.
    const int leftOver = bus_.Get().PollHall();
    // A failed start-up initialisation leaves the stage and magnet anywhere,
    // so this motion cannot count as done either.
    MotionOutcome initialisation = MotionOutcome::Done;
    if (initialisationPending_) {
        initialisationPending_ = false;
        // No request yet: the start-up initialisation is still moving. A
        // request that is there already is its ending, and a fault is told.
        if (leftOver == 0) {
            const Awaited awaited = AwaitMotion(owner.data());
            if (awaited.ownerGone) return MotionOutcome::Failed;
            initialisation = awaited.outcome;
        } else {
            initialisation = ReportMotion(owner, leftOver);
        }
    }
    const int secondary =
        (!command.empty() && command[0] == 'I') ? kInitSecondary : kMotionSecondary;
    bus_.Get().Write(HallUnit::kPrimary, secondary, command);
    const MotionOutcome outcome = AwaitMotion(owner.data()).outcome;
    return initialisation == MotionOutcome::Done ? outcome : MotionOutcome::Failed;
}

void ResetMagnetState() {
    ResetElectronicsState();
}
