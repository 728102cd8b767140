#pragma once
// The platform's process-wide state: the time scale, the serial simulation switch, the prompt
// responder and echo. The registry store stays: a test installs its own. A test calls the reset of
// the highest module it links: each module's reset also resets every module below it, so one call
// returns the whole process to the state it had at start, before any start-up step.
#include "core/CoreState.h"
void ResetPlatformState();
