#include "FileRegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
bool ReadWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return true;
}

void MakeParents(const std::string& path) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        ::mkdir(path.substr(0, pos).c_str(), 0755);
    }
}

// Holds an exclusive lock on "<file>.lock" for the duration of one update.
class FileLock {
  public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open((path + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

bool WriteAtomically(const std::string& path, const std::string& bytes) {
    MakeParents(path);
    const std::string temp = path + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool Fits(const RegistryStore::Value& v, std::size_t bufferSize) {
    return v.data.size() <= bufferSize;
}
}  // namespace

FileRegistryStore::FileRegistryStore(std::string path) : path_(std::move(path)) {
    Refresh();
}

std::string FileRegistryStore::DefaultPath() {
    if (const char* env = std::getenv("VANTRIS_REGISTRY"); env && *env) return env;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".";
    }
    return base + "/Brisel/Hall.reg";
}

void FileRegistryStore::Refresh() {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        // A missing file is an empty store.
        tree_ = RegTree{};
        stamp_ = 0;
        size_ = -1;
        damaged_ = false;
        return;
    }
    const long long stamp =
        static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (stamp == stamp_ && st.st_size == size_) return;
    std::string bytes;
    if (!ReadWhole(path_, bytes)) {
        damaged_ = true;
        damagedLine_ = 0;
        damageText_ = "cannot be read";
        return;
    }
    auto parsed = ParseRegFile(bytes);
    stamp_ = stamp;
    size_ = st.st_size;
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
    std::string target = path_ + ".damaged";
    for (int n = 1; ::access(target.c_str(), F_OK) == 0; ++n)
        target = path_ + ".damaged" + std::to_string(n);
    if (::rename(path_.c_str(), target.c_str()) != 0) return {};
    stamp_ = -1;
    Refresh();
    return target;
}

template <typename Change>
bool FileRegistryStore::Update(Change change) {
    FileLock lock(path_);
    Refresh();
    if (damaged_) return false;
    if (!change(tree_)) return false;
    if (!WriteAtomically(path_, WriteRegFile(tree_))) {
        stamp_ = -1;  // re-read what is really there next time
        return false;
    }
    stamp_ = -1;
    Refresh();
    return true;
}

bool FileRegistryStore::KeyExists(const std::string& path) {
    Refresh();
    return tree_.Exists(path);
}

bool FileRegistryStore::CreateKey(const std::string& path) {
    Refresh();
    if (tree_.Find(path)) return true;
    return Update([&](RegTree& tree) {
        tree.Create(path);
        return true;
    });
}

std::vector<std::string> FileRegistryStore::EnumKeys(const std::string& path) {
    Refresh();
    return tree_.Children(path);
}

std::vector<RegistryStore::Value> FileRegistryStore::EnumValues(const std::string& path) {
    Refresh();
    const RegKey* key = tree_.Find(path);
    return key ? key->values : std::vector<Value>{};
}

std::optional<RegistryStore::Value> FileRegistryStore::Query(const std::string& path,
                                                             const std::string& name,
                                                             std::size_t bufferSize) {
    Refresh();
    const RegKey* key = tree_.Find(path);
    if (!key) return std::nullopt;
    for (const auto& v : key->values)
        if (SameRegName(v.name, name)) return Fits(v, bufferSize) ? std::optional(v) : std::nullopt;
    return std::nullopt;
}

bool FileRegistryStore::Set(const std::string& path, const std::vector<Value>& values,
                            bool createKey) {
    return Update([&](RegTree& tree) {
        RegKey* key = tree.Find(path);
        if (!key) {
            if (!createKey) return false;
            key = &tree.Create(path);
        }
        for (const auto& value : values) {
            bool replaced = false;
            for (auto& existing : key->values) {
                if (SameRegName(existing.name, value.name)) {
                    existing = value;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) key->values.push_back(value);
        }
        return true;
    });
}

bool FileRegistryStore::DeleteKey(const std::string& path) {
    return Update([&](RegTree& tree) {
        if (!tree.Exists(path)) return false;
        tree.Remove(path);
        return true;
    });
}

bool FileRegistryStore::DeleteValue(const std::string& path, const std::string& name) {
    return Update([&](RegTree& tree) {
        RegKey* key = tree.Find(path);
        if (!key) return false;
        for (auto it = key->values.begin(); it != key->values.end(); ++it) {
            if (SameRegName(it->name, name)) {
                key->values.erase(it);
                return true;
            }
        }
        return false;
    });
}
