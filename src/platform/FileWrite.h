#pragma once
// Writes that happen whole or not at all. A disk that fills up (or a folder
// that cannot be written) must never leave half a record behind, and the
// caller always learns that the write failed, with the system's reason:
// - Append: the bytes go to the end of the file; when any of them cannot be
//   written the file is cut back to the size it had before.
// - Replace: a new content goes to a temporary file beside the target, is
//   flushed to the disk, and takes the target's place in one rename; on
//   failure the target is as it was.
// - Commit: the same last step for a temporary file that someone else (the
//   PDF writer) has written.
// Paths are the system's bytes, as every other file name of the program.
//
// Tests replace the disk's answer through a failure hook: a write to a path
// the hook names stops after the bytes it allows, with the error it gives,
// and what follows is the real recovery.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace FileWrite {

// The error of a target that exists but is not a regular file (a FIFO, a
// device, a folder): writing there would block, vanish or fail half-way.
inline constexpr int kNotRegularFile = -1;

struct Result {
    bool ok = true;
    int error = 0;  // the system's error number when !ok, or kNotRegularFile
    explicit operator bool() const { return ok; }
    // The system's text for the error ("No space left on device").
    std::string Reason() const;
};

// Appends `bytes` to the file; a missing file is created when `create`.
// Only a regular file is written (Append, Replace and Commit alike).
Result Append(const std::string& path, std::string_view bytes, bool create = true);
// Appends through a descriptor the caller keeps open (for appending); `path`
// names the file for the failure hook.
Result AppendTo(int fd, const std::string& path, std::string_view bytes);
// Makes `path` hold exactly `bytes`. A symbolic link stays one: its target is replaced.
Result Replace(const std::string& path, std::string_view bytes);
// The temporary file a writer fills before Commit(temp, path).
std::string TemporaryFor(const std::string& path);
// Puts the written temporary file in the place of `path`; on failure the
// temporary file is removed and `path` is untouched.
Result Commit(const std::string& temp, const std::string& path);

// "Can't write file:\n<path>\n<reason>": the text of a message box.
std::string FailureText(const std::string& path, const Result& result);

// --- the test seam
struct InjectedFailure {
    std::size_t after = 0;  // bytes that still reach the file
    int error = 0;          // then this error (0: no space left on the device)
};
// Asked once per write with the path as the caller named it; nothing: the
// real disk answers.
using FailureHook = std::function<std::optional<InjectedFailure>(const std::string& path)>;
// nullptr removes the hook. Returns the hook before.
FailureHook SetFailureHook(FailureHook hook);

}  // namespace FileWrite
