#pragma once
#include <string>
#include <vector>
// The scan windows in the main frame: the live window, the viewers, the
// Graph and Style commands, the graph keys, dropped files and the dump.
class MainFrame;
class Thall;

void BindScanWindows(MainFrame& frame, Thall& thall);
// --open FILE: opens each file in a viewer, as "Open Tscan..." would.
void OpenScanFiles(MainFrame& frame, const std::vector<std::string>& paths);
