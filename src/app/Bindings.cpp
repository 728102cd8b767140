#include "Bindings.h"

#include <cstdio>

#include "AboutSheet.h"
#include "Automation.h"
#include "FileRegistryStore.h"
#include "Help.h"
#include "MainFrame.h"
#include "MeasurementState.h"
#include "Printf.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "RunLock.h"
#include "Simulation.h"
#include "Thall.h"
#include "TTemp.h"
#include "TempPanel.h"
#include "TemperatureCommands.h"
#include "BufferAmplifierLink.h"
#include "HallUnit.h"
#include "MathLibrary.h"
#include "InitRegistry.h"
#include "LogFile.h"
#include "RecordCommands.h"
#include "RecordsDump.h"
#include "RecordsLinks.h"
#include "RegistryDamage.h"
#include "SerialLink.h"
#include "SettingsSets.h"
#include "CurrentSets.h"
#include "EngineeringSheet.h"
#include "MeasurementDump.h"
#include "Results.h"
#include "ResultsPanel.h"
#include "RunFrame.h"
#include "TBlast.h"
#include "TCheck.h"
#include "AutoSet.h"
#include "IVcurve.h"
#include "TConfigSheet.h"
#include "TDepl.h"
#include "THall.h"
#include "TResBar.h"
#include "TResVdp.h"

#include <QDockWidget>
#include <QMdiSubWindow>
#include <QPointer>

namespace {
// The five measurement windows live from the client's set-up to the end of
// the program; closing one only hides it.
struct MeasurementWindows {
    TCheck* check = nullptr;
    IVcurve* iv = nullptr;
    TResVdp* vanDerPauw = nullptr;
    TResBar* bar = nullptr;
    THall* hall = nullptr;
    std::vector<const MeasurementWindow*> All() const { return {check, iv, vanDerPauw, bar, hall}; }
};
MeasurementWindows g_windows;

QMdiSubWindow* AddToClient(MainFrame& frame, MeasurementWindow* window) {
    QMdiSubWindow* sub = frame.Client()->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowIcon(frame.windowIcon());
    // Placed once while shown, so the client does not place it again at its
    // first showing.
    sub->show();
    sub->hide();
    return sub;
}

void CreateMeasurementWindows(MainFrame& frame) {
    g_windows.check = new TCheck;
    g_windows.iv = new IVcurve;
    g_windows.vanDerPauw = new TResVdp;
    g_windows.bar = new TResBar;
    g_windows.hall = new THall;
    // Stacked down and to the right, so each title bar can be reached; the
    // registry's positions, read later, take precedence.
    int offset = 0;
    for (MeasurementWindow* w : std::initializer_list<MeasurementWindow*>{
             g_windows.check, g_windows.iv, g_windows.vanDerPauw, g_windows.bar, g_windows.hall}) {
        AddToClient(frame, w)->move(offset, offset);
        offset += 28;
    }
}

void DockResultsPanel(MainFrame& frame) {
    auto* dock = new QDockWidget(&frame);
    dock->setObjectName("resultsDock");
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    // In demo mode the panel keeps its example values; otherwise it starts empty.
    dock->setWidget(new TResults(dock, Config().noInstrument));
    frame.addDockWidget(Qt::TopDockWidgetArea, dock);
}

// The positions of the windows in the order of the registry values
// (contact check, IV curve, van der Pauw, bar, Hall).
std::array<QWidget*, 5> PositionedWindows() {
    auto frameOf = [](MeasurementWindow* w) -> QWidget* {
        if (!w) return nullptr;
        return w->parentWidget() ? w->parentWidget() : w;
    };
    return {frameOf(g_windows.check), frameOf(g_windows.iv), frameOf(g_windows.vanDerPauw),
            frameOf(g_windows.bar), frameOf(g_windows.hall)};
}
}  // namespace

bool CheckRegistryFile(FileRegistryStore& file) {
    const RegistryDamageReport report = HandleDamagedRegistry(file);
    if (!report.damaged) return true;
    Prompt::Message(nullptr, report.text, report.caption, Prompt::Buttons::Ok,
                    report.setAside ? Prompt::Icon::Warning : Prompt::Icon::Stop);
    return report.setAside;
}

bool InitRegistryCommand() {
    const InitRegistryResult result = InitRegistry(Registry());
    std::fputs(result.Summary().c_str(), stdout);
    std::fprintf(stdout, "settings file: %s\n", Registry().Location().c_str());
    return result.Ok();
}

void BindModules(MainFrame& frame, Thall& thall) {
    // The controller object is the records' view of the stage.
    TTemp* temperature = &thall.Temperature();
    Links().getSetPoint = [temperature] { return temperature->setPoint; };
    Links().setSetPoint = [temperature](double k) { temperature->setPoint = k; };
    Links().temperatureText = [temperature] { return temperature->ReadingText(); };
    if (thall.BufferAmplifierPort().IsOpen())
        BufferAmplifierLink::Attach(&thall.BufferAmplifierPort());
    HallUnit::SetFocusCallback([&frame] { frame.activateWindow(); });
    MathLibrary::SetReporter([&frame](const std::string& text) {
        Prompt::Message(&frame, text, "Math Library Error", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
    });
    thall.onShutDown = [] { Log().Close(); };

    auto plain = [&frame](void (*command)(QWidget*)) {
        return CommandHandler{[&frame, command] { command(&frame); }, false, {}, {}};
    };
    frame.Register(11, plain(&OnSettingsOpen));
    frame.Register(12, plain(&OnSettingsSave));
    frame.Register(13, plain(&OnSettingsSaveAs));
    frame.Register(62, {[&frame] { OnSample(&frame); }, false, {}, {}});
    if (frame.ScanMode()) {
        frame.Register(123, plain(&OnStyleRead));
        frame.Register(124, plain(&OnStyleSave));
        frame.Register(125, plain(&OnStyleSaveAs));
    }
    Automation::AddDumpSection([](std::vector<std::string>& lines) { DumpRecords(lines); });

    frame.Register(40, {[&frame, temperature] { ShowTemperaturePanel(&frame, *temperature); },
                        false,
                        {},
                        {}});
    frame.Register(41, {[&frame, temperature] { ShowPidEditor(&frame, *temperature); },
                        false,
                        [temperature] { return PidEditorEnabled(*temperature); },
                        {}});
    SetTemperatureHelpHandler([](int context) { Help::Open(context); });
    Automation::AddDumpSection(
        [temperature](std::vector<std::string>& lines) { DumpTemperature(lines, *temperature); });
    frame.Register(43, plain(&ShowBlastDialog));
    frame.Register(103, plain(&ShowEngineeringSheet));

    DockResultsPanel(frame);
    CreateMeasurementWindows(frame);
    Links().thicknessChanged = [] { ResultsThicknessChanged(); };
    TDepl::SetHelpHandler([](int context) { Help::Open(context); });
    auto readTemperature = [temperature] {
        if (!Config().noInstrument) temperature->ReadTemperature();
    };
    frame.Register(56, {[] { CheckContactsCommand(*g_windows.check); }, false, {}, {}});
    frame.Register(57, {[] { CheckContactsCommand(*g_windows.iv); }, false, {}, {}});
    frame.Register(42, plain(&ConfigurationCommand));
    // Not in a menu: the automation's way to run the Current page's "Set".
    frame.Register(4201, plain(&AutoSet::AutoSetCommand));
    TConfigSheet::SetHelpHandler([](int context) { Help::Open(context); });
    frame.Register(51, {[&frame, readTemperature] {
                            ResistivityCommand(&frame, *g_windows.vanDerPauw, *g_windows.bar,
                                               readTemperature);
                        },
                        false,
                        {},
                        {}});
    frame.Register(
        52, {[&frame, readTemperature] { HallCommand(&frame, *g_windows.hall, readTemperature); },
             false,
             {},
             {}});
    frame.Register(53, {[&frame, temperature] { DepletionCommand(&frame, temperature->present); },
                        false,
                        [] { return DepletionEnabled(); },
                        {}});
    Automation::AddDumpSection([](std::vector<std::string>& lines) {
        DumpMeasurements(lines, g_windows.All());
        if (g_windows.iv) DumpIVCurve(lines, *g_windows.iv);
        AutoSet::DumpAutoSet(lines);
    });
    frame.Register(100, {[&frame] {
                             AboutSheet sheet(&frame);
                             Prompt::Exec(sheet);
                         },
                         false,
                         {},
                         {}});
    frame.Register(102, {[] { Help::Open(0); }, true, {}, {}});
    frame.Register(101, {[] { Help::OpenUsingHelp(); }, true, {}, {}});
    frame.onScanFileDropped = [&frame](const std::string& path) {
        // The scan windows that open such files are not part of this version.
        Prompt::Message(&frame, "Scan files cannot be opened by this version:\n" + path,
                        "Drop Error");
    };
    frame.canClose = [] {
        // A run in progress keeps its windows: ask it to stop first.
        if (!RunLock::Held()) return true;
        State().cancelRequested = true;
        return false;
    };
    if (Config().simulate)
        Automation::AddDumpSection([](std::vector<std::string>& lines) {
            const std::string truth = Simulation::TruthLine();
            if (!truth.empty()) lines.push_back(truth);
        });
}

void ClientReady(MainFrame& frame, Thall& thall) {
    (void)frame;
    (void)thall;
    ReadStyleSet(Sets().currentStyleName);
    ReadSettingsSet(Sets().currentSettingsName);
    const WindowPositions positions = ReadWindowPositions(Registry());
    const auto windows = PositionedWindows();
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (windows[i] && positions[i]) windows[i]->move(positions[i]->left, positions[i]->top);
}

bool ApplyAssignment(const std::string& assignment, std::string& error) {
    const auto eq = assignment.find('=');
    if (eq == std::string::npos) {
        error = "expected NAME=VALUE";
        return false;
    }
    return ApplySetting(assignment.substr(0, eq), assignment.substr(eq + 1), error);
}

void SaveOnClose(MainFrame& frame) {
    (void)frame;
    // Minimised windows keep the position they had before; all others are
    // written where they stand.
    WindowPositions positions;
    const auto windows = PositionedWindows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        QWidget* w = windows[i];
        if (!w || w->isMinimized()) continue;
        positions[i] = WindowPosition{w->x(), w->y()};
    }
    SaveWindowPositions(Registry(), positions);
}
