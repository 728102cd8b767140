#pragma once
// Opening a file in the desktop's text editor (the registry file, a log), the
// stand-in for starting an editor program by command line.
#include <string>

namespace Launch {
// True when an editor could be started.
bool OpenInEditor(const std::string& path);
}  // namespace Launch
