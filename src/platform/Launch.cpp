#include "platform/Launch.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>
#include <cstdlib>

namespace Launch {
bool OpenInEditor(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (const char* editor = std::getenv("VISUAL"); editor && *editor)
        return QProcess::startDetached(QString::fromLocal8Bit(editor), {file});
    if (const char* editor = std::getenv("EDITOR"); editor && *editor)
        return QProcess::startDetached(QString::fromLocal8Bit(editor), {file});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}
}  // namespace Launch
