#include "MagnetMotion.h"
#include "BufferAmplifier.h"
#include "MagnetState.h"

#include <QPointer>
#include <QWidget>

#include "GpibBus.h"
#include "HallUnit.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "Tmagmove.h"

namespace {
constexpr int kMotionSecondary = 12;
constexpr int kInitSecondary = 25;

bool g_initialisationPending = false;

bool CompletedNormally(int status) {
    return status == 0x50 || status == 0x68;
}

void ReportMotion(QPointer<QWidget> owner, int status) {
    if (CompletedNormally(status)) return;
    const std::string text = status == Tmagmove::kSoftwareTimeout ? "Motor Software Timeout"
                                                                  : HallUnit::StatusText(status);
    Prompt::Message(owner.data(), text, "Motion Error", Prompt::Buttons::Ok);
}

// Waits for the running motion with the wait dialog and reports a fault.
// False when the owner went away during the wait.
bool AwaitMotion(QPointer<QWidget> owner) {
    // The dialog lives on the heap: if its parent goes away inside the wait
    // it goes with it, and the guard tells us so.
    QPointer<Tmagmove> dialog(new Tmagmove(owner.data()));
    const int status = dialog->Wait();
    if (!dialog) return false;
    delete dialog.data();
    ReportMotion(owner, status);
    return true;
}
}  // namespace

void SetMagnetInitialisationPending(bool pending) {
    g_initialisationPending = pending;
}

void MoveMagnet(QWidget* parent, const std::string& command) {
    QPointer<QWidget> owner(parent);
    if (Config().manualMagnet) {
        // The operator moves the magnet by hand and confirms; nothing is sent.
        Prompt::Message(parent, command, "Manual Operation", Prompt::Buttons::Ok);
        return;
    }
    if (Config().noInstrument) return;

    // Clear a request left over from an earlier motion before starting.
    const int leftOver = Bus().PollHall();
    if (g_initialisationPending) {
        g_initialisationPending = false;
        // No request yet: the start-up initialisation is still moving. A
        // request that is there already is its ending, and a fault is told.
        if (leftOver == 0) {
            if (!AwaitMotion(owner)) return;
        } else {
            ReportMotion(owner, leftOver);
        }
    }
    const int secondary =
        (!command.empty() && command[0] == 'I') ? kInitSecondary : kMotionSecondary;
    Bus().Write(HallUnit::kPrimary, secondary, command);
    AwaitMotion(owner);
}

void ResetMagnetState() {
    ResetElectronicsState();
    SetMagnetInitialisationPending(false);
    SetBufferAmplifierLines(std::nullopt);
}
