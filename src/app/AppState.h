#pragma once
// One call returns every program-wide state to what it was at start: each
// module's records, caches and callbacks, and the automation's dump sections.
// Tests call it in their set-up; the list of what remains global, and why,
// is in docs/DESIGN.md.
#include "scan/ScanState.h"

void ResetProgramState();
