#include "records/LogFile.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif
#include <cerrno>
#include <cstring>

#include "platform/FileWrite.h"
#include "platform/FileNames.h"
#include "core/MeasurementSettings.h"
#include "platform/Prompt.h"
#include "records/RecordsLinks.h"
#include "records/RegValues.h"
#include "core/SpecimenData.h"

LogFile::~LogFile() {
    // Nobody is left to show the change at the end of the process.
    listener_ = nullptr;
    Close();
}

LogFile::CreateResult LogFile::Create(const std::string& name) {
    Close();
#ifdef _WIN32
    int fd = -1;
    const errno_t err = _sopen_s(&fd, name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                                 _SH_DENYWR, _S_IREAD | _S_IWRITE);
    if (err != 0) fd = -1;
    const int code = err;
#else
    // The name is the records' 8-bit text; the file system takes its own.
    const int fd = ::open(FileNames::LocalPath(name).c_str(),
                          O_CREAT | O_EXCL | O_WRONLY | O_APPEND | O_CLOEXEC, 0644);
    const int code = errno;
#endif
    if (fd < 0) {
        lastError_ = code;
        return code == EEXIST ? CreateResult::Exists : CreateResult::Failed;
    }
    fd_ = fd;
    name_ = name.substr(0, kNameSize - 1);
    lastError_ = 0;
    Changed();
    return CreateResult::Created;
}

bool LogFile::Append(const std::string& bytes) {
    if (fd_ < 0) return false;
    const FileWrite::Result written = FileWrite::AppendTo(fd_, name_, bytes);
    if (written) {
        failing_ = false;
        return true;
    }
    lastError_ = written.error;
    if (!failing_) {
        failing_ = true;
        Prompt::Message(nullptr, FileWrite::FailureText(name_, written), "File Error",
                        Prompt::Buttons::Ok, Prompt::Icon::Stop);
    }
    return false;
}

void LogFile::Close() {
    const bool wasOpen = fd_ >= 0;
    if (wasOpen) {
#ifdef _WIN32
        _close(fd_);
#else
        ::close(fd_);
#endif
    }
    fd_ = -1;
    name_.clear();
    failing_ = false;
    if (wasOpen) Changed();
}

std::string LogFileName(const std::string& waferId, const std::string& batchId) {
    const std::string prefix = "Logs/";
    std::string rest = batchId.empty() ? waferId + ".txt" : waferId + ";" + batchId + ".txt";
    for (char& c : rest)
        if (std::strchr("/\\*:?\"<>|", c) && c != '\0') c = '_';
    return prefix + rest;
}

std::string LogHeaderBlock(const SpecimenData& specimen, const MeasurementSettings& settings,
                           const std::string& temperature, const std::string& date,
                           const std::string& time) {
    std::string block;
    block += "Date " + date + "\tTime " + time + "\r\n";
    block += "Magnet: tesla\t" + RegValues::Fixed(settings.Tesla, 3) + "\r\n";
    block += "Temperature: K\t" + temperature + "\r\n";
    block += "*** Sample ***\r\n";
    block += "Wafer ID:\t" + specimen.WaferID + "\r\n";
    block += "Batch ID:\t" + specimen.BatchID + "\r\n";
    block += "Material:\t" + specimen.Material + "\r\n";
    block += "Description:\t" + specimen.Description + "\r\n";
    block += "Thickness \xB5m:\t" + RegValues::Fixed(specimen.Thickness, 3) + "\r\n";
    if (specimen.Shape == 1 || specimen.Shape == 2) {
        block += "Length mm:\t" + RegValues::Fixed(specimen.Length, 2) + "\r\n";
        block += "Width mm:\t" + RegValues::Fixed(specimen.Width, 2) + "\r\n";
    }
    return block;
}
