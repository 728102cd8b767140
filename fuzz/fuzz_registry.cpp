// libFuzzer target for the registry file reader: any bytes give a clear
// result (a tree or an error with its line), and a tree that was read writes
// a file that reads back into the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/RegFile.h"

namespace {
bool SameTree(const RegTree& a, const RegTree& b) {
    if (a.keys.size() != b.keys.size()) return false;
    for (std::size_t i = 0; i < a.keys.size(); ++i) {
        const auto& ka = a.keys[i];
        const auto& kb = b.keys[i];
        if (!SameRegName(ka.path, kb.path) || ka.values.size() != kb.values.size()) return false;
        for (std::size_t v = 0; v < ka.values.size(); ++v) {
            const auto& va = ka.values[v];
            const auto& vb = kb.values[v];
            if (va.name != vb.name || va.type != vb.type || va.data != vb.data) return false;
        }
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const RegParseResult first = ParseRegFile(bytes);
    if (!first.ok) {
        if (first.errorLine <= 0 || first.error.empty()) std::abort();
        return 0;
    }
    for (const auto& key : first.tree.keys) (void)first.tree.Children(key.path);
    const std::string written = WriteRegFile(first.tree);
    const RegParseResult second = ParseRegFile(written);
    if (!second.ok) std::abort();
    if (!SameTree(first.tree, second.tree)) std::abort();
    if (WriteRegFile(second.tree) != written) std::abort();
    return 0;
}
