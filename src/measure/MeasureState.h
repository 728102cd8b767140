#pragma once
// The measurements' process-wide state: the auto-set history and the scan-running query.
// A test calls the reset of the highest module it links: each module's
// reset also resets every module below it, so one call returns the whole
// process to the state it had at start, before any start-up step.
#include "records/RecordsState.h"
void ResetMeasureState();
