#pragma once
// Waiting on the one GUI thread: a nested event loop quit by a timer, so the
// program keeps serving its windows (and the abort button) while it waits.
namespace Wait {
// Waits the given (unscaled) number of milliseconds; the time scale applies.
void Ms(int milliseconds);
}  // namespace Wait

// Dispatches the waiting window messages once.
void Pump();
