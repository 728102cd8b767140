#include "platform/DataFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <filesystem>

#include "platform/FileNames.h"

namespace DataFolder {
QString Default() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath() + "/Documents";
    return QDir::cleanPath(documents + "/vantris");
}

std::string DefaultStored() {
    return FileNames::ToStored(Default()).value_or(std::string());
}

QString Folder(const std::string& setting) {
    return setting.empty() ? Default() : FileNames::FromStored(setting);
}

bool Prepare(const QString& folder, int& error) {
    error = 0;
    if (QDir::cleanPath(folder) != Default()) return true;
    const std::filesystem::path path(FileNames::Encode(folder));
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return true;
    std::filesystem::create_directories(path, ec);
    if (!ec) return true;
    error = ec.value() ? ec.value() : EIO;
    return false;
}
}  // namespace DataFolder
