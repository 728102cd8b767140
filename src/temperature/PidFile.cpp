#include "temperature/PidFile.h"

#include <cctype>
#include <charconv>

namespace {
constexpr std::size_t kKeywordChars = 7;
constexpr int kEntryLines = 10;

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// One line's seven numbers; false when they are not all there.
bool ReadEntry(const std::string& line, Tpid& entry) {
    std::int32_t* fields[] = {&entry.T,  &entry.P,  &entry.I, &entry.D,
                              &entry.M1, &entry.M2, &entry.M3};
    const char* p = line.data();
    const char* end = p + line.size();
    for (std::int32_t* field : fields) {
        while (p != end && Blank(*p)) ++p;
        if (p != end && *p == '+') ++p;
        const auto [next, error] = std::from_chars(p, end, *field);
        if (error != std::errc()) return false;
        p = next;
    }
    return true;
}
}  // namespace

PidFileContents ParsePidFile(const std::string& text, const std::string& keyword) {
    PidFileContents contents;
    std::size_t pos = text.find('\n');
    std::string first = text.substr(0, pos);
    if (!first.empty() && first.back() == '\r') first.pop_back();
    if (first.size() > kKeywordChars || first != keyword) return contents;
    contents.keywordMatches = true;
    pos = pos == std::string::npos ? text.size() : pos + 1;
    while (pos < text.size() && Blank(text[pos])) ++pos;
    for (int line = 0; line < kEntryLines && pos < text.size(); ++line) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string current = text.substr(pos, end - pos);
        pos = end + 1;
        if (current.empty() || !std::isalnum(static_cast<unsigned char>(current[0]))) continue;
        Tpid entry;
        if (!ReadEntry(current, entry)) {
            contents.stoppedAtBadLine = true;
            break;
        }
        contents.entries.push_back(entry);
    }
    return contents;
}
