#pragma once
// The folder of the scan data ("Data Dir"). Left empty it is the folder
// "vantris" in the user's documents, which is made when it is missing. A
// folder the operator has set is used as he set it and never made: a folder
// that is missing there (a disk not mounted, a name mistyped) must show as
// an error, not fill a new folder nobody looks in.
#include <QString>
#include <string>

namespace DataFolder {
// "<documents>/vantris".
QString Default();
// The default as the settings keep it (their 8-bit text); empty, which
// means the same folder, when the documents' name cannot be kept there.
std::string DefaultStored();
// The folder a setting (its stored text) means: the setting, or Default()
// when it is empty.
QString Folder(const std::string& setting);
// Makes `folder` when it is the default one and missing. False (the
// system's error number in `error`) when it could not be made.
bool Prepare(const QString& folder, int& error);
}  // namespace DataFolder
