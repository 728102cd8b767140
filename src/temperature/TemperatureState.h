#pragma once
// The stabilisation state shared with the scan.
// A test calls the reset of the highest module it links: each module's
// reset also resets every module below it, so one call returns the whole
// process to the state it had at start, before any start-up step.
#include "platform/PlatformState.h"
void ResetTemperatureState();
