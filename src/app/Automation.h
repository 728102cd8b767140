#pragma once
// Our automation interface: run menu commands after start-up (--run), print
// the program's state (--dump), print every message box as it is shown and
// answer it from a list (--answer).
#include <functional>
#include <string>
#include <vector>

#include "CommandLine.h"

class MainFrame;

namespace Automation {

// Runs the items in order, each as if the operator chose it and until it has
// finished; a timed item is issued its delay after the previous item started,
// while that one still runs. Calls done() at the end.
void Run(MainFrame& frame, const std::vector<RunItem>& items, std::function<void()> done);

// The "key: value" lines of --dump. Other modules add their lines through
// AddDumpSection.
std::vector<std::string> DumpLines(const MainFrame& frame);
void AddDumpSection(std::function<void(std::vector<std::string>&)> section);

// "message: CAPTION | TEXT" with newlines written as \n.
std::string MessageLine(const std::string& caption, const std::string& text);

}  // namespace Automation
