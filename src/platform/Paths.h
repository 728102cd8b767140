#pragma once
// Where the program's own files are: beside the executable in the build tree,
// or in the installed layout (bin/ with share/vantris and lib/vantris).
#include <string>
#include <vector>

namespace Paths {
// Folder of the running executable (no trailing slash).
std::string ExecutableDir();
// Candidate locations of a file that ships with the program, best first.
std::vector<std::string> Candidates(const std::string& relative);
// The first candidate that exists, or empty.
std::string Find(const std::string& relative);
}  // namespace Paths
