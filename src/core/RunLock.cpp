#include "core/RunLock.h"

#include "core/CoreRecords.h"

void RunLock::SetBusy(CoreRecords& records, bool busy) {
    records.state.busy = busy;
    records.status.SetBusy(busy);
}

RunLock& RunLock::operator=(RunLock&& other) noexcept {
    if (this != &other) {
        Release();
        records_ = other.records_;
        held_ = other.held_;
        other.held_ = false;
    }
    return *this;
}

bool RunLock::CanStart(const CoreRecords& records) {
    return records.lock.depth == 0 || records.lock.granted;
}

bool RunLock::Held(const CoreRecords& records) {
    return records.lock.depth > 0;
}

int RunLock::Depth(const CoreRecords& records) {
    return records.lock.depth;
}

RunLock RunLock::TryAcquire(CoreRecords& records) {
    RunLock lock;
    if (!CanStart(records)) return lock;
    RunLockState& state = records.lock;
    state.granted = false;
    lock.records_ = &records;
    lock.held_ = true;
    if (state.depth++ == 0) SetBusy(records, true);
    return lock;
}

void RunLock::Release() {
    if (!held_) return;
    held_ = false;
    RunLockState& state = records_->lock;
    if (state.depth > 0 && --state.depth == 0) SetBusy(*records_, false);
}

void RunLock::RunNested(const std::function<void()>& command) const {
    if (!held_) return;
    struct Grant {
        RunLockState& state;
        explicit Grant(RunLockState& s) : state(s) { state.granted = true; }
        ~Grant() { state.granted = false; }
    } grant(records_->lock);
    command();
}

void RunLock::Reset(CoreRecords& records) {
    records.lock = RunLockState{};
    if (records.state.busy) SetBusy(records, false);
}
