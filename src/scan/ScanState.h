#pragma once
// The scan module keeps no process-wide state of its own: its windows, the
// panel and their hooks belong to the frame's ScanWindows, the scan's data
// to the scan run's ScanModel. Resetting it resets the measurements' state
// below it.
#include "measure/MeasureState.h"
void ResetScanState();
