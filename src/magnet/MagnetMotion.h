#pragma once
// Magnet and stage motion: one command text ("-F", "+F+R-F", "+F-R", "+F",
// "I", ...) run to its end with the modal "Wait for Magnet" dialog.
#include <string>

class QWidget;

// How a motion ended. Failed: a fault status, the software time-out, or a
// poll error (each after its message), or a wait that ended without a status;
// the stage and magnet may then be anywhere.
enum class MotionOutcome { Done, Failed };

// Returns when the motion is complete, has failed (after its message) or has
// timed out. A bus error while writing the command propagates as xgpib.
MotionOutcome MoveMagnet(QWidget* parent, const std::string& command);

// The start-up initialisation ("I") is written without waiting for it. Until
// its completion has been seen, the next motion first waits for it: a
// measurement started within the seconds the initialisation takes must not
// read its first field with the stage still travelling.
void SetMagnetInitialisationPending(bool pending);
