#pragma once
// With VANTRIS_SIM_TRACE naming a file, every command the rack's instruments
// receive is appended to it as one line, so a test of the whole program can
// see what reached the stage: "W <primary> <secondary> <text>" for the bus
// (secondary -1 for none), "H <text>" for a hot stage message (the text
// between STX and ETX). Control characters are written as \r, \n or \xNN.
#include <string>

namespace vantris::sim {
void Trace(const std::string& line);
std::string TraceText(const std::string& text);
}  // namespace vantris::sim
