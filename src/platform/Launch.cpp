#include "Launch.h"

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

bool OpenHelpPage(const std::string& pathWithAnchor) {
    const QString text = QString::fromStdString(pathWithAnchor);
    const int hash = text.indexOf('#');
    QUrl url = QUrl::fromLocalFile(hash < 0 ? text : text.left(hash));
    if (hash >= 0) url.setFragment(text.mid(hash + 1));
    return QDesktopServices::openUrl(url);
}
}  // namespace Launch
