#include "scan/ScanWindows.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>
#include <cstdio>

#include "platform/FileNames.h"
#include "platform/Prompt.h"
#include "records/ScanSettings.h"
#include "scan/TScanAcq.h"
#include "scan/ScanState.h"
#include "scan/TScanRead.h"

namespace {
QMdiSubWindow* Add(QMdiArea* client, QWidget* window, bool deleteOnClose) {
    QMdiSubWindow* sub = client->addSubWindow(window);
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

ScanWindows::ScanWindows(ScanSettings& settings, const RunConfig& config, StatusFields& status,
                         GraphStyle& style, QMdiArea* client, QObject* parent)
    : QObject(parent),
      settings_(settings),
      config_(config),
      status_(status),
      style_(style),
      client_(client) {
    setObjectName("scanWindows");
}

ScanWindows::~ScanWindows() = default;

TScanAcq* ScanWindows::CreateLive(const ScanModel& model) {
    auto* live = new TScanAcq(model, settings_, config_, status_, style_);
    live_ = live;
    Track(live);
    if (client_) {
        QMdiSubWindow* sub = Add(client_, live, false);
        sub->resize(640, 440);
        sub->show();
    }
    return live;
}

void ScanWindows::Track(TScanBase* window) {
    window->SetToolModeSource(toolMode_, backToCursor_);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), nullptr), windows_.end());
    windows_.emplace_back(window);
}

std::vector<TScanBase*> ScanWindows::All() const {
    std::vector<TScanBase*> all;
    for (const QPointer<TScanBase>& w : windows_)
        if (w) all.push_back(w);
    return all;
}

void ScanWindows::RepaintAll() const {
    for (TScanBase* g : All()) g->Invalidate();
}

void ScanWindows::SetToolModeSource(std::function<int()> mode, std::function<void()> backToCursor) {
    toolMode_ = std::move(mode);
    backToCursor_ = std::move(backToCursor);
    for (TScanBase* g : All()) g->SetToolModeSource(toolMode_, backToCursor_);
}

void ScanWindows::SetViewerOpened(std::function<void(TScanRead*)> opened) {
    opened_ = std::move(opened);
}

void ScanWindows::SetPanel(TScanDlg* panel) {
    panel_ = panel;
}

TScanBase* ScanWindows::Active() const {
    if (!client_) return nullptr;
    QMdiSubWindow* sub = client_->currentSubWindow();
    if (!sub) sub = client_->activeSubWindow();
    return sub ? qobject_cast<TScanBase*>(sub->widget()) : nullptr;
}

TScanRead* ScanWindows::OpenFile(QWidget* owner, const std::string& path) {
    // Only a regular file is read: a device or a FIFO would never end, or
    // never open.
    FileNames::InputFile in(FileNames::FromArgument(path));
    if (!in.IsOpen()) {
        Prompt::Message(owner, path, "Can't Open File:");
        return nullptr;
    }
    auto* viewer = new TScanRead(config_, status_, style_);
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
    Track(viewer);
    if (opened_) opened_(viewer);
    if (client_) {
        QMdiSubWindow* sub = Add(client_, viewer, true);
        sub->resize(560, 400);
        sub->show();
        client_->setActiveSubWindow(sub);
    } else {
        viewer->show();
    }
    return viewer;
}

void ScanWindows::OpenCommand(QWidget* owner) {
    const auto chosen = Prompt::OpenFile(owner, "Open Scan Datafile",
                                         FileNames::FromStored(settings_.DataDir).toStdString(),
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
        settings_.DataDir = *stored;
        return;
    }
    if (stored)
        reason = "the name is longer than " + std::to_string(ScanSettings::kDataDirSize - 1) +
                 " characters";
    Prompt::Message(owner,
                    "The data directory stays " +
                        FileNames::FromStored(settings_.DataDir).toStdString() + ":\n" +
                        folder.toStdString() + "\n" + reason,
                    "Open Scan Datafile", Prompt::Buttons::Ok, Prompt::Icon::Stop);
}

void ScanWindows::Dump(std::vector<std::string>& lines) const {
    for (const TScanBase* g : All()) {
        g->DumpLines(lines);
        if (const auto* live = qobject_cast<const TScanAcq*>(g)) live->Model().DumpScanLines(lines);
    }
}

void ResetScanState() {
    // The scan's windows, its panel and their hooks belong to the frame's
    // ScanWindows; nothing of the scan itself is process-wide.
    ResetMeasureState();
}
