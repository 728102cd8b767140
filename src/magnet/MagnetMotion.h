#pragma once
// Magnet and stage motion: one command text ("-F", "+F+R-F", "+F-R", "+F",
// "I", ...) run to its end with the modal "Wait for Magnet" dialog.
#include <string>

class QWidget;

// Returns when the motion is complete, has failed (after its message) or has
// timed out. A bus error while writing the command propagates as xgpib.
void MoveMagnet(QWidget* parent, const std::string& command);
