#include "platform/FileWrite.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace FileWrite {
namespace {
FailureHook& Hook() {
    static FailureHook hook;
    return hook;
}

std::optional<InjectedFailure> Injected(const std::string& path) {
    if (!Hook()) return std::nullopt;
    auto failure = Hook()(path);
    if (failure && failure->error == 0) failure->error = ENOSPC;
    return failure;
}

Result Failed(int error) {
    return Result{false, error ? error : EIO};
}

// ---- the calls each system makes its own way

#ifdef _WIN32
using Offset = long long;
int OpenForAppend(const std::string& path, bool create) {
    int fd = -1;
    const int flags = _O_WRONLY | _O_APPEND | _O_BINARY | (create ? _O_CREAT : 0);
    if (_sopen_s(&fd, path.c_str(), flags, _SH_DENYWR, _S_IREAD | _S_IWRITE) != 0) return -1;
    return fd;
}
int OpenNew(const std::string& path) {
    int fd = -1;
    if (_sopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _SH_DENYRW,
                 _S_IREAD | _S_IWRITE) != 0)
        return -1;
    return fd;
}
Offset End(int fd) {
    return _lseeki64(fd, 0, SEEK_END);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
bool CutBack(int fd, Offset size) {
    return _chsize_s(fd, size) == 0;
}
bool Sync(int fd) {
    return _commit(fd) == 0;
}
bool CloseFd(int fd) {
    return _close(fd) == 0;
}
void Lock(int) {}
void Unlock(int) {}
void KeepMode(int, const std::string&) {}
unsigned long long ProcessId() {
    return static_cast<unsigned long long>(_getpid());
}
bool RenameOver(const std::string& from, const std::string& to) {
    // A reader holding the file without delete sharing delays the rename a moment.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        Sleep(25);
    }
    errno = EACCES;
    return false;
}
void SyncFolderOf(const std::string&) {}
#else
using Offset = off_t;
// Without O_NONBLOCK the open of a FIFO would wait for a reader for ever.
int OpenForAppend(const std::string& path, bool create) {
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0), 0644);
    if (fd < 0) {
        if (errno == ENXIO) errno = kNotRegularFile;  // a FIFO nobody reads
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = kNotRegularFile;
        return -1;
    }
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
int OpenNew(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}
Offset End(int fd) {
    return ::lseek(fd, 0, SEEK_END);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
bool CutBack(int fd, Offset size) {
    int r;
    do {
        r = ::ftruncate(fd, size);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}
bool Sync(int fd) {
    return ::fsync(fd) == 0;
}
bool CloseFd(int fd) {
    return ::close(fd) == 0;
}
// Two programs appending to one archive must not cut each other's lines.
void Lock(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}
void Unlock(int fd) {
    (void)::flock(fd, LOCK_UN);
}
// The new file takes the permissions of the one it replaces.
void KeepMode(int fd, const std::string& replaces) {
    struct stat old {};
    if (::stat(replaces.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
}
unsigned long long ProcessId() {
    return static_cast<unsigned long long>(::getpid());
}
bool RenameOver(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}
// The rename lasts once the folder is on the disk.
void SyncFolderOf(const std::string& path) {
    const std::string dir = fs::path(path).parent_path().string();
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}
#endif

// Writes all of `bytes` (or, with an injected failure, the part it allows).
// 0, or the error that stopped it.
int WriteAll(int fd, std::string_view bytes, const std::optional<InjectedFailure>& injected) {
    const std::size_t limit =
        injected ? std::min<std::size_t>(injected->after, bytes.size()) : bytes.size();
    std::size_t done = 0;
    while (done < limit) {
        const long long n = WriteSome(fd, bytes.data() + done, limit - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno ? errno : EIO;
        if (n == 0) return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return injected ? injected->error : 0;
}

// Appends under the lock; on failure cuts back to `before`.
Result AppendLocked(int fd, const std::string& path, std::string_view bytes, Offset& before) {
    before = End(fd);
    if (before < 0) return Failed(errno);
    const int error = WriteAll(fd, bytes, Injected(path));
    if (error == 0) return {};
    // The record is not in the file, not even in part.
    (void)CutBack(fd, before);
    return Failed(error);
}

// The file a path finally names: symbolic links followed (a relative target
// from its link's folder). The file itself need not exist.
std::string Resolve(const std::string& path) {
    fs::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (fs::symlink_status(p, ec).type() != fs::file_type::symlink) return p.string();
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return path;
}

Result RenameInto(const std::string& temp, const std::string& target) {
    if (!RenameOver(temp, target)) {
        const int error = errno;
        std::error_code ec;
        fs::remove(temp, ec);
        return Failed(error);
    }
    SyncFolderOf(target);
    return {};
}

// A target that exists and is not a regular file is refused before anything is written.
bool IsOtherThanRegular(const std::string& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    return !ec && fs::exists(status) && !fs::is_regular_file(status);
}
}  // namespace

std::string Result::Reason() const {
    if (ok) return {};
    if (error == kNotRegularFile) return "Not a regular file";
    return std::strerror(error);
}

Result Append(const std::string& path, std::string_view bytes, bool create) {
    const int fd = OpenForAppend(path, create);
    if (fd < 0) return Failed(errno);
    Lock(fd);
    Offset before = 0;
    Result result = AppendLocked(fd, path, bytes, before);
    Unlock(fd);
    if (!CloseFd(fd) && result.ok) {
        // Some file systems tell of a full disk only when the file is closed.
        const int error = errno;
        std::error_code ec;
        fs::resize_file(path, static_cast<std::uintmax_t>(before), ec);
        result = Failed(error);
    }
    return result;
}

Result AppendTo(int fd, const std::string& path, std::string_view bytes) {
    if (fd < 0) return Failed(EBADF);
    Lock(fd);
    Offset before = 0;
    const Result result = AppendLocked(fd, path, bytes, before);
    Unlock(fd);
    return result;
}

std::string TemporaryFor(const std::string& path) {
    return Resolve(path) + ".tmp." + std::to_string(ProcessId());
}

Result Replace(const std::string& path, std::string_view bytes) {
    const std::string target = Resolve(path);
    if (IsOtherThanRegular(target)) return Failed(kNotRegularFile);
    const std::string temp = TemporaryFor(path);
    const int fd = OpenNew(temp);
    if (fd < 0) return Failed(errno);
    KeepMode(fd, target);
    int error = WriteAll(fd, bytes, Injected(path));
    if (error == 0 && !Sync(fd)) error = errno;
    if (!CloseFd(fd) && error == 0) error = errno;
    if (error != 0) {
        std::error_code ec;
        fs::remove(temp, ec);
        return Failed(error);
    }
    return RenameInto(temp, target);
}

Result Commit(const std::string& temp, const std::string& path) {
    std::error_code ec;
    if (IsOtherThanRegular(Resolve(path))) {
        fs::remove(temp, ec);
        return Failed(kNotRegularFile);
    }
    if (const auto injected = Injected(path)) {
        fs::remove(temp, ec);
        return Failed(injected->error);
    }
#ifndef _WIN32
    // Its bytes are on the disk before its name is.
    const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !Sync(fd)) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        fs::remove(temp, ec);
        return Failed(error);
    }
    ::close(fd);
#endif
    return RenameInto(temp, Resolve(path));
}

std::string FailureText(const std::string& path, const Result& result) {
    std::string text = "Can't write file:\n" + path;
    if (!result.ok) text += "\n" + result.Reason();
    return text;
}

FailureHook SetFailureHook(FailureHook hook) {
    FailureHook before = std::move(Hook());
    Hook() = std::move(hook);
    return before;
}

}  // namespace FileWrite
