#pragma once
// The old-style .pid file a PID table is imported from: a first line with
// the controller's key word ("RT4450" or "ITC5"), then up to ten lines, each
// either an entry (first character a letter or a digit: T P I D M1 M2 M3) or
// a comment.
#include <string>
#include <vector>

#include "temperature/TTemp.h"

struct PidFileContents {
    bool keywordMatches = false;    // false: "Wrong filetype", nothing changes
    std::vector<Tpid> entries;      // in file order
    bool stoppedAtBadLine = false;  // an entry line without seven numbers ended it
};

// The first line matches when its text up to the line end, at most seven
// characters, is the key word; a longer first line is no key word.
PidFileContents ParsePidFile(const std::string& text, const std::string& keyword);

// At most this much of a file is read: ten lines of entries never need more.
inline constexpr std::size_t kPidFileReadLimit = 64 * 1024;
