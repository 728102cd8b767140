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
#include "scan/TSetupTemp.h"

#include <QDockWidget>
#include <QPointer>

namespace {
// A Graph command acts on the current scan window; without one it is greyed.
CommandHandler GraphCommand(std::function<void(TScanBase&)> run,
                            std::function<bool(TScanBase&)> enabled = {},
                            std::function<bool(TScanBase&)> checked = {}) {
    CommandHandler h;
    h.run = [run] {
        if (TScanBase* g = ScanWindows::Active()) run(*g);
    };
    h.enabled = [enabled] {
        TScanBase* g = ScanWindows::Active();
        return g && (!enabled || enabled(*g));
    };
    if (checked)
        h.checked = [checked] {
            TScanBase* g = ScanWindows::Active();
            return g && checked(*g);
        };
    return h;
}

// "Temperature Scan" (54): the panel docked at the frame's left edge, the
// live window maximised, the margins at 2, every menu but Graph and the
// frame's Close disabled. Closing the panel undoes it all.
void OpenScanPanel(MainFrame& frame, ScanRun& run) {
    if (TScanDlg::Open()) return;
    auto* dock = new QDockWidget(&frame);
    dock->setObjectName("scanDock");
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    auto* panel = new TScanDlg(run, dock);
    dock->setWidget(panel);
    frame.addDockWidget(Qt::LeftDockWidgetArea, dock);
    // Added to a frame that is already shown, a dock stays hidden until told.
    dock->show();
    run.PanelOpened();
    QPointer<TScanAcq> live = ScanWindows::Live();
    QPointer<QWidget> sub = live ? live->parentWidget() : nullptr;
    if (sub) sub->showMaximized();
    frame.SetScanPanelOpen(true);
    QObject::connect(panel, &TScanDlg::closeRequested, &frame, [&frame, dock, panel, live, sub] {
        panel->MarkClosed();
        dock->hide();
        frame.SetScanPanelOpen(false);
        frame.Program().Status().SetText("Ready");
        if (sub) sub->showNormal();
        if (live) live->setFocus();
        dock->deleteLater();
    });
}

void BindScanRun(MainFrame& frame, Thall& thall, TScanAcq& live) {
    // The run lives as long as the frame: its state outlasts the panel.
    QPointer<ScanRun> run = new ScanRun(thall.Program(), thall.Temperature(), live);
    run->setParent(&frame);
    run->SetCommandSender([&frame](int id) { frame.Send(id); });
    frame.Register(54, {[&frame, run] {
                            if (run) OpenScanPanel(frame, *run);
                        },
                        false,
                        {},
                        {}});
    auto running = [run] { return run && run->Running(); };
    Automation::SetScanRunningQuery(running);
    SetScanRunningQuery(running);
    SetScanHelpHandler([](int context) { Help::Open(context); });
    QObject::connect(run, &ScanRun::changed, &frame, [&frame] { frame.UpdateCommands(); });
    // A settings set read while a scan is paused (its panel closed) must not
    // throw away the points it has measured and start its plan again.
    Links().scanSettingsRead = [run] {
        const bool underWay = run && (run->State() == kScanResume || run->State() == kScanPause);
        if (TScanAcq* w = ScanWindows::Live()) w->ApplyScanSettings(!underWay);
    };
    Automation::AddDumpSection([run](std::vector<std::string>& lines) {
        if (run) run->DumpLines(lines);
        if (const TScanDlg* panel = TScanDlg::Open()) lines.push_back(panel->DumpLine());
    });
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
    Style() = DefaultGraphStyle();
    // Created with the client, before the settings set is read.
    TScanAcq* live = ScanWindows::CreateLive(frame.Client(), &thall.Temperature());
    Attach(frame, live);
    BindScanRun(frame, thall, *live);
    QObject::connect(frame.Client(), &QMdiArea::subWindowActivated, &frame,
                     [&frame](QMdiSubWindow* sub) {
                         if (sub) {
                             if (auto* g = qobject_cast<TScanBase*>(sub->widget()))
                                 frame.AttachGraphKeys(g);
                         }
                         frame.UpdateCommands();
                     });
    TScanBase::SetToolModeSource([&frame] { return frame.GraphMode(); },
                                 [&frame] { frame.SetGraphMode(0); });

    Links().styleRead = [] { TScanBase::RepaintAll(); };
    auto thickness = Links().thicknessChanged;
    Links().thicknessChanged = [thickness] {
        if (thickness) thickness();
        if (TScanAcq* w = ScanWindows::Live()) w->Invalidate();
    };

    frame.Register(61, {[&frame] { ScanWindows::OpenCommand(&frame); }, false, {}, {}});
    frame.Register(63, {[] {
                            if (TScanAcq* w = ScanWindows::Live()) w->SaveAsCommand();
                        },
                        false,
                        {},
                        {}});
    frame.Register(55, GraphCommand([](TScanBase& g) { g.ActivationCommand(); }));
    frame.Register(87, GraphCommand([](TScanBase& g) { g.FitActivationCommand(); }));
    frame.Register(67, GraphCommand([](TScanBase& g) { g.InfoCommand(); }));
    frame.Register(71, GraphCommand([](TScanBase& g) { g.SetScaleCommand(); }));
    frame.Register(72, GraphCommand([](TScanBase& g) { g.AutoScale(); },
                                    [](TScanBase& g) { return g.CanAutoScale(); }));
    frame.Register(74, GraphCommand([](TScanBase& g) { g.SetInverse(!g.Inverse()); }, {},
                                    [](TScanBase& g) { return g.Inverse(); }));
    for (int view = 0; view < 4; ++view)
        frame.Register(75 + view, GraphCommand([view](TScanBase& g) { g.SetView(view); },
                                               [view](TScanBase& g) { return g.ViewEnabled(view); },
                                               [view](TScanBase& g) { return g.View() == view; }));
    frame.Register(80, GraphCommand([](TScanBase& g) { g.ChangeTitleCommand(); }));
    frame.Register(81, GraphCommand([](TScanBase& g) { g.SetGrid(!g.GridOn()); }, {},
                                    [](TScanBase& g) { return g.GridOn(); }));
    frame.Register(82, GraphCommand([](TScanBase& g) { g.DeleteComments(); }));
    frame.Register(85, GraphCommand([](TScanBase& g) { g.CopyBitmap(); }));
    frame.Register(86, GraphCommand([](TScanBase& g) { g.CopyMetafile(); }));
    frame.Register(120, {[&frame] { OnDataStyle(&frame); }, false, {}, {}});
    frame.Register(121, {[&frame] { OnFrameColor(&frame); }, false, {}, {}});
    frame.Register(122, {[&frame] { OnGraphFont(&frame); }, false, {}, {}});

    ScanWindows::SetViewerOpened([&frame](TScanRead* viewer) { Attach(frame, viewer); });
    frame.onScanFileDropped = [&frame](const std::string& path) {
        ScanWindows::OpenFile(&frame, path);
    };
    Automation::AddDumpSection([](std::vector<std::string>& lines) { ScanWindows::Dump(lines); });
}

void OpenScanFiles(MainFrame& frame, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) ScanWindows::OpenFile(&frame, path);
    frame.UpdateCommands();
}
