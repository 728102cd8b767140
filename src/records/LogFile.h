#pragma once
// The specimen's log file: a plain text file that accumulates a readable
// record of what was measured. At most one is open; every measurement that
// logs appends its block through the one writer here.
#include <functional>
#include <string>

struct MeasurementSettings;
struct SpecimenData;

class LogFile {
  public:
    static constexpr std::size_t kNameSize = 260;  // terminator included

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    enum class CreateResult { Created, Exists, Failed };
    // Creates the file for writing, only if it does not exist yet; any log
    // that was open is closed first. On failure no log is open and
    // LastError() holds the system's error code.
    CreateResult Create(const std::string& name);
    // Appends bytes as they are (complete lines ending in CR LF), all of
    // them or none. A failed append is told in a message box with the log's
    // name, and the measurement goes on; while the log keeps failing (a full
    // disk) only the first failure is told, until an append succeeds again.
    bool Append(const std::string& bytes);
    bool IsOpen() const { return fd_ >= 0; }
    // The open log's name; empty when none is open.
    const std::string& Name() const { return name_; }
    void Close();
    int LastError() const { return lastError_; }
    // Called whenever a log is opened or closed (the shell shows its name).
    void SetChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

  private:
    void Changed() const {
        if (listener_) listener_();
    }
    std::function<void()> listener_;
    int fd_ = -1;
    std::string name_;
    int lastError_ = 0;
    bool failing_ = false;  // the last append failed and was told
};

// "Logs/<WaferID>;<BatchID>.txt", or "Logs/<WaferID>.txt" when BatchID is
// empty, relative to the current working directory; the nine characters that
// a file name cannot hold are replaced by '_' after the folder prefix.
std::string LogFileName(const std::string& waferId, const std::string& batchId);

// The block appended to an open log when the Sample sheet closes with OK,
// from the specimen record, the field setting, the controller's reading text
// and the given date and time texts.
// `temperature` is the controller's reading text.
std::string LogHeaderBlock(const SpecimenData& specimen, const MeasurementSettings& settings,
                           const std::string& temperature, const std::string& date,
                           const std::string& time);
