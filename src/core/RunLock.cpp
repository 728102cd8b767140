#include "core/RunLock.h"

#include "core/CoreRecords.h"
#include "core/MeasurementState.h"
#include "core/StatusFields.h"

namespace {
RunLockState& Lock() {
    return CurrentCoreRecords().lock;
}
}  // namespace

RunLock& RunLock::operator=(RunLock&& other) noexcept {
    if (this != &other) {
        Release();
        held_ = other.held_;
        other.held_ = false;
    }
    return *this;
}

bool RunLock::CanStart() {
    return Lock().depth == 0 || Lock().granted;
}

bool RunLock::Held() {
    return Lock().depth > 0;
}

int RunLock::Depth() {
    return Lock().depth;
}

RunLock RunLock::TryAcquire() {
    RunLock lock;
    if (!CanStart()) return lock;
    RunLockState& state = Lock();
    state.granted = false;
    lock.held_ = true;
    if (state.depth++ == 0) Status().SetBusy(true);
    return lock;
}

void RunLock::Release() {
    if (!held_) return;
    held_ = false;
    RunLockState& state = Lock();
    if (state.depth > 0 && --state.depth == 0) Status().SetBusy(false);
}

void RunLock::RunNested(const std::function<void()>& command) const {
    if (!held_) return;
    struct Grant {
        Grant() { Lock().granted = true; }
        ~Grant() { Lock().granted = false; }
    } grant;
    command();
}

void RunLock::Reset() {
    Lock() = RunLockState{};
    if (State().busy) Status().SetBusy(false);
}
