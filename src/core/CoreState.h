#pragma once
// The core's process-wide state: the math-error reporter. A test calls the
// reset of the highest module it links: each module's reset also resets every
// module below it, so one call returns the whole process to the state it had
// at start, before any start-up step.

void ResetCoreState();
