#pragma once
// The help file: HTML pages shipped in help/ beside the program, opened at
// the anchor of a context number.
#include <string>

namespace Help {
// "help/index.html#context-N" for a context number (0: the index).
std::string PageFor(const std::string& helpFile, int context);
bool Open(int context);  // Help > "Hall System" and the dialogs' help buttons
bool OpenUsingHelp();    // Help > "Using Help"
}  // namespace Help
