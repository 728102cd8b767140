#include "Paths.h"

#include <unistd.h>

#include <climits>

namespace Paths {
std::string ExecutableDir() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::vector<std::string> Candidates(const std::string& relative) {
    const std::string dir = ExecutableDir();
    return {dir + "/" + relative, dir + "/../lib/vantris/" + relative,
            dir + "/../share/vantris/" + relative};
}

std::string Find(const std::string& relative) {
    for (const auto& candidate : Candidates(relative))
        if (::access(candidate.c_str(), F_OK) == 0) return candidate;
    return {};
}
}  // namespace Paths
