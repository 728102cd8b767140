#pragma once
// "A run is in progress": the one writer of MeasurementState::busy.
//
// A measurement holds the lock from its lid check to its closing temperature
// reading. Its waits serve window messages, so a click or a posted command
// can arrive while it holds the lock; those are refused, because two runs
// would interleave their bus traffic. The holder itself may start a nested
// measurement (the temperature scan sends resistivity and Hall inside its
// tick): it grants that with RunNested, and the measurement's own attempt to
// take the lock then succeeds once.
#include <functional>

struct CoreRecords;

class RunLock {
  public:
    // A lock that holds nothing: its owner may not start a run.
    RunLock() = default;
    ~RunLock() { Release(); }
    RunLock(RunLock&& other) noexcept : records_(other.records_), held_(other.held_) {
        other.held_ = false;
    }
    RunLock& operator=(RunLock&& other) noexcept;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Takes the lock when nobody holds it, or when the holder has granted a
    // nested run that has not been taken yet. An empty lock otherwise.
    static RunLock TryAcquire(CoreRecords& records);
    // Whether a new run could take the lock now.
    static bool CanStart(const CoreRecords& records);
    // Whether any run holds the lock.
    static bool Held(const CoreRecords& records);
    // How many runs hold it (1 for a plain run, 2 inside a nested one).
    static int Depth(const CoreRecords& records);

    explicit operator bool() const { return held_; }
    void Release();

    // Runs `command` with one nested acquisition granted; the grant lapses
    // when `command` returns, whether or not it was taken. Only a holder
    // can grant.
    void RunNested(const std::function<void()>& command) const;

    // Tests: forget every holder (the process-wide state goes back to idle).
    static void Reset(CoreRecords& records);

  private:
    // The first hold taken and the last one dropped are what the shell sees
    // as "busy": the state's flag and the status fields' signal change together.
    static void SetBusy(CoreRecords& records, bool busy);

    CoreRecords* records_ = nullptr;
    bool held_ = false;
};
