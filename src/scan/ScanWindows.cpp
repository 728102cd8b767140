#include "scan/ScanWindows.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <cstdio>

#include "platform/FileNames.h"
#include "platform/Prompt.h"
#include "records/ScanSettings.h"
#include "scan/TScanAcq.h"
#include "scan/ScanState.h"
#include "scan/TScanRead.h"

namespace {
QPointer<QMdiArea> g_client;
QPointer<TScanAcq> g_live;
std::function<void(TScanRead*)> g_opened;

QMdiSubWindow* Add(QWidget* window, bool deleteOnClose) {
    QMdiSubWindow* sub = g_client->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    sub->setMinimumSize(TScanBase::kMinWidth, TScanBase::kMinHeight);
    sub->setWindowIcon(QIcon(":/icons/scangraph.svg"));
    return sub;
}

// The file's name: the part after the last separator.
std::string FileName(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
}  // namespace

namespace ScanWindows {

TScanAcq* CreateLive(QMdiArea* client, TTemp* controller) {
    g_client = client;
    g_live = new TScanAcq(controller);
    if (client) {
        QMdiSubWindow* sub = Add(g_live, false);
        sub->resize(640, 440);
        sub->show();
    }
    return g_live;
}

void SetViewerOpened(std::function<void(TScanRead*)> opened) {
    g_opened = std::move(opened);
}

TScanAcq* Live() {
    return g_live;
}

QMdiArea* Client() {
    return g_client;
}

TScanBase* Active() {
    if (!g_client) return nullptr;
    QMdiSubWindow* sub = g_client->currentSubWindow();
    if (!sub) sub = g_client->activeSubWindow();
    return sub ? qobject_cast<TScanBase*>(sub->widget()) : nullptr;
}

TScanRead* OpenFile(QWidget* owner, const std::string& path) {
    // Only a regular file is read: a device or a FIFO would never end, or
    // never open.
    FileNames::InputFile in(FileNames::FromArgument(path));
    if (!in.IsOpen()) {
        Prompt::Message(owner, path, "Can't Open File:");
        return nullptr;
    }
    auto* viewer = new TScanRead;
    viewer->setWindowTitle(QString::fromStdString(FileName(path)));
    const bool read = viewer->Load(in);
    // What the file held and the viewer does not show is said, not lost.
    for (const std::string& note : viewer->ReadNotes())
        std::fprintf(stderr, "%s: %s\n", path.c_str(), note.c_str());
    if (!read) {
        Prompt::Message(owner, "File is Empty", "File Error");
        delete viewer;
        return nullptr;
    }
    if (g_opened) g_opened(viewer);
    if (g_client) {
        QMdiSubWindow* sub = Add(viewer, true);
        sub->resize(560, 400);
        sub->show();
        g_client->setActiveSubWindow(sub);
    } else {
        viewer->show();
    }
    return viewer;
}

void OpenCommand(QWidget* owner) {
    const auto chosen = Prompt::OpenFile(owner, "Open Scan Datafile",
                                         FileNames::FromStored(Scan().DataDir).toStdString(),
                                         "Scan Files (*.tsc);;All Files (*.*)");
    if (!chosen || chosen->empty()) return;
    if (!OpenFile(owner, *chosen)) return;
    // The data directory follows the file the operator opened, when the
    // settings can hold its name whole: a name cut or changed would be
    // another folder.
    const auto cut = chosen->find_last_of("/\\");
    if (cut == std::string::npos) return;
    const QString folder = QString::fromStdString(chosen->substr(0, cut));
    std::string reason;
    const auto stored = FileNames::ToStored(folder, &reason);
    if (stored && stored->size() < ScanSettings::kDataDirSize) {
        Scan().DataDir = *stored;
        return;
    }
    if (stored)
        reason = "the name is longer than " + std::to_string(ScanSettings::kDataDirSize - 1) +
                 " characters";
    Prompt::Message(owner,
                    "The data directory stays " +
                        FileNames::FromStored(Scan().DataDir).toStdString() + ":\n" +
                        folder.toStdString() + "\n" + reason,
                    "Open Scan Datafile", Prompt::Buttons::Ok, Prompt::Icon::Stop);
}

void Dump(std::vector<std::string>& lines) {
    for (const TScanBase* g : TScanBase::All()) {
        g->DumpLines(lines);
        if (const auto* live = qobject_cast<const TScanAcq*>(g)) live->DumpScanLines(lines);
    }
}

}  // namespace ScanWindows

void ResetScanState() {
    ResetMeasureState();
    TScanBase::SetToolModeSource(nullptr, nullptr);
    ScanWindows::SetViewerOpened(nullptr);
}
