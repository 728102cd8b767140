#pragma once
// Reaches the script and log of a fake driver library loaded by path. The
// bus loads the same file, so both see one instance of the fake's state.
#include <dlfcn.h>

#include <stdexcept>
#include <string>

class FakeDriver {
  public:
    explicit FakeDriver(std::string path) : path_(std::move(path)) {
        handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error("cannot load " + path_);
        script_ = reinterpret_cast<void (*)(const char*)>(dlsym(handle_, "fakegpib_script"));
        log_ = reinterpret_cast<const char* (*)()>(dlsym(handle_, "fakegpib_log"));
        if (!script_ || !log_) throw std::runtime_error("not a fake driver: " + path_);
    }
    ~FakeDriver() { dlclose(handle_); }
    FakeDriver(const FakeDriver&) = delete;
    FakeDriver& operator=(const FakeDriver&) = delete;

    const std::string& Path() const { return path_; }
    void Script(const std::string& script) { script_(script.c_str()); }
    std::string Log() const { return log_(); }

  private:
    std::string path_;
    void* handle_ = nullptr;
    void (*script_)(const char*) = nullptr;
    const char* (*log_)() = nullptr;
};
