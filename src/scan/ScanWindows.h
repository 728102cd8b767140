#pragma once
// The scan windows in the main frame's client: the live window (scan mode
// only), the viewers that "Open Tscan..." and a dropped file open, which of
// them the Graph commands act on, and the scan panel while it is open.
//
// One object, owned by the frame (its QObject parent) and passed to what
// needs the windows; it keeps no window alive itself: the client owns them,
// and a closed viewer drops out of the list.
#include <QMdiArea>
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "scan/TScanAcq.h"
#include "scan/TScanDlg.h"
#include "scan/TScanRead.h"

class QWidget;
class ScanModel;
struct ScanSettings;

class StatusFields;
struct GraphStyle;
struct RunConfig;

class ScanWindows : public QObject {
    Q_OBJECT
  public:
    // `settings`: the scan settings (the live window's axes, the folder
    // "Open Tscan..." starts in and follows). `client` may be null (tests):
    // a viewer is then a window of its own.
    ScanWindows(ScanSettings& settings, const RunConfig& config, StatusFields& status,
                GraphStyle& style, QMdiArea* client, QObject* parent = nullptr);
    ~ScanWindows() override;

    // Creates "Temperature Scan" over the scan run's model in the client
    // (before the settings set is read).
    TScanAcq* CreateLive(const ScanModel& model);
    TScanAcq* Live() const { return live_; }
    QMdiArea* Client() const { return client_; }

    // The graph the Graph commands act on: the client's current window when it
    // is a scan window.
    TScanBase* Active() const;
    // Every graph window made here that is still alive, oldest first.
    std::vector<TScanBase*> All() const;
    // Repaints every graph (after a change of the style set).
    void RepaintAll() const;

    // The main frame's tool mode and the way back to the simple cursor,
    // given to every graph window made here.
    void SetToolModeSource(std::function<int()> mode, std::function<void()> backToCursor);
    // Called with each viewer as it opens (the frame attaches its graph keys).
    void SetViewerOpened(std::function<void(TScanRead*)> opened);

    // Steps 2 and 3 of opening: "Can't Open File:" when the file cannot be read,
    // "File is Empty" when no point could be read; else a new viewer, shown and
    // made current, titled with the file's name.
    TScanRead* OpenFile(QWidget* owner, const std::string& path);
    // "Open Tscan..." (61): the open dialog, then OpenFile; the data directory
    // becomes the file's folder.
    void OpenCommand(QWidget* owner);

    // The scan panel that is open, or nullptr; the frame sets it as it
    // opens and takes it down.
    TScanDlg* Panel() const { return panel_; }
    void SetPanel(TScanDlg* panel);

    // "graph:", "point:" and "scanwindow:" lines of every scan window.
    void Dump(std::vector<std::string>& lines) const;

  private:
    void Track(TScanBase* window);

    ScanSettings& settings_;
    const RunConfig& config_;
    StatusFields& status_;
    GraphStyle& style_;
    QPointer<QMdiArea> client_;
    QPointer<TScanAcq> live_;
    QPointer<TScanDlg> panel_;
    std::vector<QPointer<TScanBase>> windows_;
    std::function<int()> toolMode_;
    std::function<void()> backToCursor_;
    std::function<void(TScanRead*)> opened_;
};
