#pragma once
// The core's program-wide records: the run configuration, the live settings and specimen, the
// results, the run state and lock, the status fields, the math reporter. A test calls the reset of
// the highest module it links: each module's reset also resets every module below it, so one call
// returns the whole process to the state it had at start, before any start-up step.

void ResetCoreState();
