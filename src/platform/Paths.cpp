#include "platform/Paths.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <system_error>

namespace Paths {
std::string ExecutableDir() {
    std::error_code ec;
#ifdef _WIN32
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    const std::filesystem::path exe(std::string(buffer, n));
#else
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return ".";
#endif
    const std::string dir = exe.parent_path().generic_string();
    return dir.empty() ? "." : dir;
}

std::vector<std::string> Candidates(const std::string& relative) {
    const std::string dir = ExecutableDir();
    return {dir + "/" + relative, dir + "/../lib/vantris/" + relative,
            dir + "/../share/vantris/" + relative};
}

std::string Find(const std::string& relative) {
    for (const auto& candidate : Candidates(relative)) {
        std::error_code ec;
        if (std::filesystem::exists(candidate, ec)) return candidate;
    }
    return {};
}
}  // namespace Paths
