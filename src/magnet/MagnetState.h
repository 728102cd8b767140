#pragma once
// The magnet's pending start-up initialisation and the buffer amplifier's modem-line override.
// A test calls the reset of the highest module it links: each module's
// reset also resets every module below it, so one call returns the whole
// process to the state it had at start, before any start-up step.
#include "electronics/ElectronicsState.h"
void ResetMagnetState();
