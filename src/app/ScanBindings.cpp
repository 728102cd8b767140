#include "records/ProgramState.h"
#include "app/ScanBindings.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/Automation.h"
#include "scan/GraphLook.h"
#include "app/MainFrame.h"
#include "records/RecordsLinks.h"
#include "scan/ScanDialogs.h"
#include "scan/ScanWindows.h"
#include "scan/TScanAcq.h"
#include "scan/TScanRead.h"
#include "app/Thall.h"
#include "app/Help.h"
#include "measure/RunFrame.h"
#include "scan/ScanRun.h"
#include "core/StatusFields.h"
#include "scan/TScanDlg.h"

#include <QDockWidget>
#include <QPointer>

namespace {
// A Graph command acts on the current scan window; without one it is greyed.
CommandHandler GraphCommand(QPointer<ScanWindows> windows, std::function<void(TScanBase&)> run,
                            std::function<bool(TScanBase&)> enabled = {},
                            std::function<bool(TScanBase&)> checked = {}) {
    CommandHandler h;
    h.run = [windows, run] {
        if (TScanBase* g = windows ? windows->Active() : nullptr) run(*g);
    };
    h.enabled = [windows, enabled] {
        TScanBase* g = windows ? windows->Active() : nullptr;
        return g && (!enabled || enabled(*g));
    };
    if (checked)
        h.checked = [windows, checked] {
            TScanBase* g = windows ? windows->Active() : nullptr;
            return g && checked(*g);
        };
    return h;
}

// "Temperature Scan" (54): the panel docked at the frame's left edge, the
// live window maximised, the margins at 2, every menu but Graph and the
// frame's Close disabled. Closing the panel undoes it all.
void OpenScanPanel(MainFrame& frame, ScanWindows& windows, ScanRun& run) {
    if (windows.Panel()) return;
    auto* dock = new QDockWidget(&frame);
    dock->setObjectName("scanDock");
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    auto* panel = new TScanDlg(run, dock);
    windows.SetPanel(panel);
    dock->setWidget(panel);
    frame.addDockWidget(Qt::LeftDockWidgetArea, dock);
    // Added to a frame that is already shown, a dock stays hidden until told.
    dock->show();
    run.PanelOpened();
    QPointer<TScanAcq> live = windows.Live();
    QPointer<QWidget> sub = live ? live->parentWidget() : nullptr;
    if (sub) sub->showMaximized();
    frame.SetScanPanelOpen(true);
    QPointer<ScanWindows> scanWindows = &windows;
    QObject::connect(panel, &TScanDlg::closeRequested, &frame,
                     [&frame, dock, scanWindows, live, sub] {
                         // Taken down: it no longer counts as open.
                         if (scanWindows) scanWindows->SetPanel(nullptr);
                         dock->hide();
                         frame.SetScanPanelOpen(false);
                         frame.Program().Status().SetText("Ready");
                         if (sub) sub->showNormal();
                         if (live) live->setFocus();
                         dock->deleteLater();
                     });
}

ScanRun* BindScanRun(MainFrame& frame, Thall& thall, ScanWindows& windows) {
    // The run lives as long as the frame: its state, and the scan's model
    // it owns, outlast the panel and every window.
    QPointer<ScanRun> run = new ScanRun(thall.Program(), thall.Temperature());
    run->setParent(&frame);
    run->SetCommandSender([&frame](int id) { frame.Send(id); });
    QPointer<ScanWindows> scanWindows = &windows;
    frame.Register(54, {[&frame, run, scanWindows] {
                            if (run && scanWindows) OpenScanPanel(frame, *scanWindows, *run);
                        },
                        false,
                        {},
                        {}});
    auto running = [run] { return run && run->Running(); };
    Automation::SetScanRunningQuery(running);
    SetScanRunningQuery(running);
    run->SetHelp([](int context) { Help::Open(context); });
    QObject::connect(run, &ScanRun::changed, &frame, [&frame] { frame.UpdateCommands(); });
    // A settings set read while a scan is paused (its panel closed) must not
    // throw away the points it has measured and start its plan again.
    frame.Program().Records().links.scanSettingsRead = [run, scanWindows] {
        const bool underWay = run && (run->State() == kScanResume || run->State() == kScanPause);
        if (TScanAcq* w = scanWindows ? scanWindows->Live() : nullptr) w->ApplyScanSettings();
        if (run && !underWay) run->Model().Plan();
    };
    Automation::AddDumpSection([run, scanWindows](std::vector<std::string>& lines) {
        if (run) run->DumpLines(lines);
        if (const TScanDlg* panel = scanWindows ? scanWindows->Panel() : nullptr)
            lines.push_back(panel->DumpLine());
    });
    return run;
}

void Attach(MainFrame& frame, TScanBase* graph) {
    frame.AttachGraphKeys(graph);
    QObject::connect(graph, &TScanBase::viewChanged, &frame, [&frame] { frame.UpdateCommands(); });
}
}  // namespace

void BindScanWindows(MainFrame& frame, Thall& thall) {
    if (!frame.ScanMode()) return;
    // The built-in style until a style set is read: a registry without one
    // still shows every marker.
    frame.Program().Records().style = DefaultGraphStyle();
    // The frame owns the scan's windows; the scan run, the live window's model.
    auto* windows = new ScanWindows(frame.Program().Records().scan, frame.Program().Config(),
                                    frame.Program().Status(), frame.Program().Records().style,
                                    frame.Client(), &frame);
    QPointer<ScanWindows> scanWindows = windows;
    windows->SetToolModeSource([&frame] { return frame.GraphMode(); },
                               [&frame] { frame.SetGraphMode(0); });
    ScanRun* run = BindScanRun(frame, thall, *windows);
    // Created with the client, before the settings set is read.
    TScanAcq* live = windows->CreateLive(run->Model());
    Attach(frame, live);
    QObject::connect(frame.Client(), &QMdiArea::subWindowActivated, &frame,
                     [&frame](QMdiSubWindow* sub) {
                         if (sub) {
                             if (auto* g = qobject_cast<TScanBase*>(sub->widget()))
                                 frame.AttachGraphKeys(g);
                         }
                         frame.UpdateCommands();
                     });
    RecordsLinks& links = frame.Program().Records().links;
    links.styleRead = [scanWindows] {
        if (scanWindows) scanWindows->RepaintAll();
    };
    auto thickness = links.thicknessChanged;
    links.thicknessChanged = [thickness, scanWindows] {
        if (thickness) thickness();
        if (TScanAcq* w = scanWindows ? scanWindows->Live() : nullptr) w->Invalidate();
    };

    frame.Register(61, {[&frame, scanWindows] {
                            if (scanWindows) scanWindows->OpenCommand(&frame);
                        },
                        false,
                        {},
                        {}});
    frame.Register(63, {[scanWindows] {
                            if (TScanAcq* w = scanWindows ? scanWindows->Live() : nullptr)
                                w->SaveAsCommand();
                        },
                        false,
                        {},
                        {}});
    frame.Register(55, GraphCommand(scanWindows, [](TScanBase& g) { g.ActivationCommand(); }));
    frame.Register(87, GraphCommand(scanWindows, [](TScanBase& g) { g.FitActivationCommand(); }));
    frame.Register(67, GraphCommand(scanWindows, [](TScanBase& g) { g.InfoCommand(); }));
    frame.Register(71, GraphCommand(scanWindows, [](TScanBase& g) { g.SetScaleCommand(); }));
    frame.Register(72, GraphCommand(
                           scanWindows, [](TScanBase& g) { g.AutoScale(); },
                           [](TScanBase& g) { return g.CanAutoScale(); }));
    frame.Register(74, GraphCommand(
                           scanWindows, [](TScanBase& g) { g.SetInverse(!g.Inverse()); }, {},
                           [](TScanBase& g) { return g.Inverse(); }));
    for (int view = 0; view < 4; ++view)
        frame.Register(75 + view, GraphCommand(
                                      scanWindows, [view](TScanBase& g) { g.SetView(view); },
                                      [view](TScanBase& g) { return g.ViewEnabled(view); },
                                      [view](TScanBase& g) { return g.View() == view; }));
    frame.Register(80, GraphCommand(scanWindows, [](TScanBase& g) { g.ChangeTitleCommand(); }));
    frame.Register(81, GraphCommand(
                           scanWindows, [](TScanBase& g) { g.SetGrid(!g.GridOn()); }, {},
                           [](TScanBase& g) { return g.GridOn(); }));
    frame.Register(82, GraphCommand(scanWindows, [](TScanBase& g) { g.DeleteComments(); }));
    frame.Register(85, GraphCommand(scanWindows, [](TScanBase& g) { g.CopyBitmap(); }));
    frame.Register(86, GraphCommand(scanWindows, [](TScanBase& g) { g.CopyMetafile(); }));
    const auto repaint = [scanWindows] {
        if (scanWindows) scanWindows->RepaintAll();
    };
    frame.Register(
        120, {[&frame, repaint] { OnDataStyle(frame.Program().Records().style, &frame, repaint); },
              false,
              {},
              {}});
    frame.Register(
        121, {[&frame, repaint] { OnFrameColor(frame.Program().Records().style, &frame, repaint); },
              false,
              {},
              {}});
    frame.Register(
        122, {[&frame, repaint] { OnGraphFont(frame.Program().Records().style, &frame, repaint); },
              false,
              {},
              {}});

    windows->SetViewerOpened([&frame](TScanRead* viewer) { Attach(frame, viewer); });
    frame.onScanFileDropped = [&frame, scanWindows](const std::string& path) {
        if (scanWindows) scanWindows->OpenFile(&frame, path);
    };
    Automation::AddDumpSection([scanWindows](std::vector<std::string>& lines) {
        if (scanWindows) scanWindows->Dump(lines);
    });
}

void OpenScanFiles(MainFrame& frame, const std::vector<std::string>& paths) {
    if (auto* windows = frame.findChild<ScanWindows*>("scanWindows", Qt::FindDirectChildrenOnly))
        for (const std::string& path : paths) windows->OpenFile(&frame, path);
    frame.UpdateCommands();
}
