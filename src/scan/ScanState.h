#pragma once
// The scan module's process-wide state: the graphs' tool-mode source and the
// viewer-opened hook (the windows themselves belong to the client). Resets
// the measurements' state below it too.
#include "measure/MeasureState.h"
void ResetScanState();
