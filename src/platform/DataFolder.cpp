#include "DataFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <filesystem>

namespace DataFolder {
std::string Default() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath() + "/Documents";
    return QDir::cleanPath(documents + "/vantris").toStdString();
}

std::string Of(const std::string& setting) {
    return setting.empty() ? Default() : setting;
}

bool Prepare(const std::string& folder, int& error) {
    error = 0;
    if (QDir::cleanPath(QString::fromStdString(folder)).toStdString() != Default()) return true;
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return true;
    std::filesystem::create_directories(folder, ec);
    if (!ec) return true;
    error = ec.value() ? ec.value() : EIO;
    return false;
}
}  // namespace DataFolder
