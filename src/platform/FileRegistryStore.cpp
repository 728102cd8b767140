#include "platform/FileRegistryStore.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileWrite.h"

namespace fs = std::filesystem;

namespace {
// ---- the calls each system makes its own way

unsigned long long ProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long long>(::getpid());
#endif
}

bool ProcessAlive(unsigned long long pid) {
#ifdef _WIN32
    if (pid == 0 || pid > 0xFFFFFFFFull) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's, running
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    if (pid == 0 || pid > static_cast<unsigned long long>(INT_MAX)) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// Holds an exclusive lock on "<file>.lock" for the duration of one update.
// The system drops the lock of a program that dies, so a killed writer never
// blocks the next one.
class FileLock {
  public:
    explicit FileLock(const std::string& file) {
        const std::string path = file + ".lock";
#ifdef _WIN32
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ != INVALID_HANDLE_VALUE &&
            !LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &overlapped_)) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
#else
        fd_ = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
#endif
    }
    ~FileLock() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) {
            UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &overlapped_);
            CloseHandle(handle_);
        }
#else
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
#endif
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped_{};
#else
    int fd_ = -1;
#endif
};

// ---- portable helpers

// The file a path finally names: symbolic links followed, a relative target
// taken from its link's folder. The file itself need not exist. Empty when
// the links go round in a circle (or further than the system would follow).
std::string Resolve(const std::string& path) {
    fs::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (st.type() != fs::file_type::symlink) return p.string();
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) return {};
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return {};
}

// A temporary file is "<file>.tmp.<pid>" (FileWrite::TemporaryFor). One left
// behind by a program that was killed is removed; one of a program still
// running is its business.

void RemoveStaleTemps(const std::string& target) {
    const fs::path file(target);
    const std::string prefix = file.filename().string() + ".tmp.";
    const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::vector<fs::path> stale;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const unsigned long long pid = std::stoull(digits);
        if (pid != ProcessId() && !ProcessAlive(pid)) stale.push_back(it->path());
    }
    for (const auto& path : stale) fs::remove(path, ec);
}

bool WriteAtomically(const std::string& target, const std::string& bytes) {
    std::error_code ec;
    const fs::path parent = fs::path(target).parent_path();
    if (!parent.empty()) fs::create_directories(parent, ec);
    // A new file beside the old one, on the disk before it is renamed into
    // place with the old one's permissions: a reader (or a program killed at
    // any moment) sees the old file or the new one, never a mixture.
    return FileWrite::Replace(target, bytes).ok;
}

struct Stamp {
    bool exists = false;
    long long time = 0;
    long long size = 0;
};

Stamp StampOf(const std::string& path) {
    Stamp s;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);  // follows links
    if (ec) return s;
    const auto time = fs::last_write_time(path, ec);
    if (ec) return s;
    s.exists = true;
    s.size = static_cast<long long>(size);
    s.time = static_cast<long long>(time.time_since_epoch().count());
    return s;
}

enum class ReadOutcome { kRead, kUnreadable, kTooLarge };

ReadOutcome ReadWhole(const std::string& path, std::size_t limit, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadOutcome::kUnreadable;
    bytes.clear();
    std::string chunk(1 << 20, '\0');
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit) return ReadOutcome::kTooLarge;
    }
    return in.bad() ? ReadOutcome::kUnreadable : ReadOutcome::kRead;
}

bool Fits(const RegistryStore::Value& v, std::size_t bufferSize) {
    return v.data.size() <= bufferSize;
}
}  // namespace

// The store's operations on the tree in memory; writes happen when the owner
// commits what the view changed.
class FileRegistryStore::View final : public RegistryStore {
  public:
    View(RegTree& tree, const std::string& location) : tree_(tree), location_(location) {}
    bool Changed() const { return changed_; }

    bool KeyExists(const std::string& path) override { return tree_.Exists(path); }
    bool CreateKey(const std::string& path) override {
        if (!tree_.Find(path)) {
            tree_.Create(path);
            changed_ = true;
        }
        return true;
    }
    std::vector<std::string> EnumKeys(const std::string& path) override {
        return tree_.Children(path);
    }
    std::vector<Value> EnumValues(const std::string& path) override {
        const RegKey* key = tree_.Find(path);
        return key ? key->values : std::vector<Value>{};
    }
    std::optional<Value> Query(const std::string& path, const std::string& name,
                               std::size_t bufferSize) override {
        const RegKey* key = tree_.Find(path);
        if (!key) return std::nullopt;
        const Value* value = tree_.FindValue(*key, name);
        if (!value || !Fits(*value, bufferSize)) return std::nullopt;
        return *value;
    }
    bool Set(const std::string& path, const std::vector<Value>& values, bool createKey) override {
        RegKey* key = tree_.Find(path);
        if (!key) {
            if (!createKey) return false;
            key = &tree_.Create(path);
        }
        for (const auto& value : values) tree_.SetValue(*key, value);
        changed_ = true;
        return true;
    }
    bool DeleteKey(const std::string& path) override {
        if (!tree_.Exists(path)) return false;
        tree_.Remove(path);
        changed_ = true;
        return true;
    }
    bool DeleteValue(const std::string& path, const std::string& name) override {
        RegKey* key = tree_.Find(path);
        if (!key || !tree_.RemoveValue(*key, name)) return false;
        changed_ = true;
        return true;
    }
    std::string Location() const override { return location_; }

  private:
    RegTree& tree_;
    const std::string& location_;
    bool changed_ = false;
};

FileRegistryStore::FileRegistryStore(std::string path) : path_(std::move(path)) {
    Refresh();
}

std::string FileRegistryStore::DefaultPath() {
    if (const char* env = std::getenv("VANTRIS_REGISTRY"); env && *env) return env;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
#ifdef _WIN32
    } else if (const char* appData = std::getenv("APPDATA"); appData && *appData) {
        base = appData;
#endif
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".";
    }
    return base + "/Brisel/Hall.reg";
}

void FileRegistryStore::Refresh(bool force) {
    const Stamp now = StampOf(path_);
    if (!now.exists) {
        // A missing file (or a link to one) is an empty store.
        tree_ = RegTree{};
        stamp_ = 0;
        size_ = -1;
        damaged_ = false;
        return;
    }
    if (!force && now.time == stamp_ && now.size == size_) return;
    const RegLimits limits;
    std::string bytes;
    const ReadOutcome read = ReadWhole(path_, limits.maxFileBytes, bytes);
    if (read != ReadOutcome::kRead) {
        damaged_ = true;
        damagedLine_ = 0;
        damageText_ = read == ReadOutcome::kTooLarge
                          ? "larger than " + std::to_string(limits.maxFileBytes) + " bytes"
                          : "cannot be read";
        tree_ = RegTree{};
        stamp_ = -1;
        return;
    }
    auto parsed = ParseRegFile(bytes, limits);
    stamp_ = now.time;
    size_ = now.size;
    if (!parsed.ok) {
        damaged_ = true;
        damagedLine_ = parsed.errorLine;
        damageText_ = parsed.error;
        tree_ = RegTree{};
        return;
    }
    damaged_ = false;
    tree_ = std::move(parsed.tree);
}

std::string FileRegistryStore::SetAside() {
    // Through a link, the damaged file itself is kept aside beside itself and
    // the link then names a missing (empty) file that the next write creates.
    const std::string file = Resolve(path_);
    if (file.empty()) return {};
    FileLock lock(file);
    std::error_code ec;
    std::string target = file + ".damaged";
    for (int n = 1; fs::exists(fs::symlink_status(target, ec)); ++n)
        target = file + ".damaged" + std::to_string(n);
    fs::rename(file, target, ec);
    if (ec) return {};
    Refresh(true);
    return target;
}

template <typename Change>
bool FileRegistryStore::Update(Change change) {
    const std::string target = Resolve(path_);
    if (target.empty()) return false;
    FileLock lock(target);
    // Only a writer holding the lock makes temporary files, and the lock
    // goes with its program: what lies there now belongs to the dead.
    RemoveStaleTemps(target);
    // Another program may have replaced the file within the same clock tick
    // and at the same size; under the lock, always read it afresh.
    Refresh(true);
    if (damaged_) return false;
    View view(tree_, path_);
    if (!change(view)) {
        stamp_ = -1;  // the tree may hold part of an abandoned change
        return false;
    }
    // Never write what could not be read back.
    const RegLimits limits;
    std::string bytes;
    if (tree_.Overflow(limits).empty()) bytes = WriteRegFile(tree_);
    if (bytes.empty() || bytes.size() > limits.maxFileBytes || !WriteAtomically(target, bytes)) {
        stamp_ = -1;
        return false;
    }
    // What was written is what tree_ holds: note its stamp instead of reading it again.
    const Stamp now = StampOf(path_);
    stamp_ = now.exists ? now.time : -1;
    size_ = now.exists ? now.size : -1;
    return true;
}

bool FileRegistryStore::KeyExists(const std::string& path) {
    Refresh();
    return View(tree_, path_).KeyExists(path);
}

bool FileRegistryStore::CreateKey(const std::string& path) {
    Refresh();
    if (!damaged_ && tree_.Find(path)) return true;
    bool existed = false;  // made by another program meanwhile
    const bool written = Update([&](View& view) {
        existed = tree_.Find(path) != nullptr;
        return !existed && view.CreateKey(path);
    });
    return written || existed;
}

std::vector<std::string> FileRegistryStore::EnumKeys(const std::string& path) {
    Refresh();
    return View(tree_, path_).EnumKeys(path);
}

std::vector<RegistryStore::Value> FileRegistryStore::EnumValues(const std::string& path) {
    Refresh();
    return View(tree_, path_).EnumValues(path);
}

std::optional<RegistryStore::Value> FileRegistryStore::Query(const std::string& path,
                                                             const std::string& name,
                                                             std::size_t bufferSize) {
    Refresh();
    return View(tree_, path_).Query(path, name, bufferSize);
}

bool FileRegistryStore::Set(const std::string& path, const std::vector<Value>& values,
                            bool createKey) {
    return Update([&](View& view) { return view.Set(path, values, createKey); });
}

bool FileRegistryStore::DeleteKey(const std::string& path) {
    return Update([&](View& view) { return view.DeleteKey(path); });
}

bool FileRegistryStore::DeleteValue(const std::string& path, const std::string& name) {
    return Update([&](View& view) { return view.DeleteValue(path, name); });
}

bool FileRegistryStore::Apply(const std::function<bool(RegistryStore& view)>& edit) {
    bool unchanged = false;
    const bool written = Update([&](View& view) {
        if (!edit(view)) return false;
        unchanged = !view.Changed();
        return !unchanged;
    });
    return written || unchanged;
}
