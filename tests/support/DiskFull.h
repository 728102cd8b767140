#pragma once
// A disk that fills up, through the whole-write helper's failure hook: the
// next `times` writes to `path` (as the caller names it) stop after `after`
// bytes with `error` (0: no space left on the device). What follows is the
// real recovery. The test removes the hook with SetFailureHook(nullptr).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileWrite.h"

inline void FillDiskAt(const std::string& path, int times, std::size_t after, int error = 0) {
    auto left = std::make_shared<int>(times);
    FileWrite::SetFailureHook(
        [=](const std::string& p) -> std::optional<FileWrite::InjectedFailure> {
            if (p != path || *left == 0) return std::nullopt;
            --*left;
            return FileWrite::InjectedFailure{after, error};
        });
}
