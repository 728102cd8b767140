#pragma once
// The records kept for the whole run: scan values, graph style, page set-up, archive, set names,
// links, the set-point of a stage without controller, the log file and the date/time texts. A test
// calls the reset of the highest module it links: each module's reset also resets every module
// below it, so one call returns the whole process to the state it had at start, before any start-up
// step.
#include "magnet/MagnetState.h"
#include "temperature/TemperatureState.h"
void ResetRecordsState();
