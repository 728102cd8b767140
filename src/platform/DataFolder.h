#pragma once
// The folder of the scan data ("Data Dir"). Left empty it is the folder
// "vantris" in the user's documents, which is made when it is missing. A
// folder the operator has set is used as he set it and never made: a folder
// that is missing there (a disk not mounted, a name mistyped) must show as
// an error, not fill a new folder nobody looks in.
#include <string>

namespace DataFolder {
// "<documents>/vantris".
std::string Default();
// The folder a setting means: the setting itself, or Default() when empty.
std::string Of(const std::string& setting);
// Makes `folder` when it is the default one and missing. False (the
// system's error number in `error`) when it could not be made.
bool Prepare(const std::string& folder, int& error);
}  // namespace DataFolder
