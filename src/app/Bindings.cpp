#include "app/Bindings.h"
#include "app/ScanBindings.h"

#include <algorithm>
#include <cstdio>

#include "app/AboutSheet.h"
#include "app/Automation.h"
#include "platform/FileNames.h"
#include "platform/FileRegistryStore.h"
#include "app/Help.h"
#include "app/MainFrame.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "app/Simulation.h"
#include "app/Thall.h"
#include "temperature/TTemp.h"
#include "temperature/TempPanel.h"
#include "temperature/TemperatureCommands.h"
#include "electronics/BufferAmplifierLink.h"
#include "electronics/HallUnit.h"
#include "core/MathLibrary.h"
#include "records/InitRegistry.h"
#include "records/LogFile.h"
#include "records/RecordCommands.h"
#include "records/RecordsDump.h"
#include "records/RecordsLinks.h"
#include "records/RegistryDamage.h"
#include "platform/SerialLink.h"
#include "records/SettingsSets.h"
#include "records/CurrentSets.h"
#include "app/EngineeringSheet.h"
#include "measure/MeasurementDump.h"
#include "measure/Results.h"
#include "app/ResultsPanel.h"
#include "measure/RunFrame.h"
#include "magnet/TBlast.h"
#include "measure/TCheck.h"
#include "measure/AutoSet.h"
#include "measure/IVcurve.h"
#include "measure/TConfigSheet.h"
#include "measure/TDepl.h"
#include "measure/THall.h"
#include "measure/TResBar.h"
#include "measure/TResVdp.h"
#include "records/ArchiveCommands.h"
#include "core/SpecimenData.h"
#include "app/LogPrintout.h"
#include "app/Printer.h"
#include "scan/ScanWindows.h"
#include "scan/TScanBase.h"
#include "app/ViewPrintout.h"
#include <QPagedPaintDevice>
#include <QPainter>

#include <QDockWidget>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollArea>

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
    // The runs the windows show, in the same order (null where a window is missing).
    std::vector<const MeasurementRun*> Runs() const {
        std::vector<const MeasurementRun*> runs;
        for (const MeasurementWindow* w : All()) runs.push_back(w ? &w->Run() : nullptr);
        return runs;
    }
    // The windows as the operator sees them: their frames in the client area.
    std::vector<QWidget*> Frames() const {
        std::vector<QWidget*> frames;
        for (MeasurementWindow* w :
             std::initializer_list<MeasurementWindow*>{check, iv, vanDerPauw, bar, hall}) {
            QWidget* sub = MeasurementWindow::SubWindowOf(w);
            frames.push_back(sub ? sub : w);
        }
        return frames;
    }
};
MeasurementWindows g_windows;

bool Shown(const QWidget* window) {
    return window && window->isVisible();
}

// The results page: the sections of the measurement windows that are open
// and visible, each drawn by its window.
ResultsPageSections VisibleSections(const SpecimenData& specimen) {
    ResultsPageSections s;
    if (Shown(g_windows.check))
        s.check = [](QPainter& p, int L, int W) { g_windows.check->Print(p, L, W); };
    if (specimen.Shape == 0 && Shown(g_windows.vanDerPauw))
        s.resistivity = [](QPainter& p, int L, int W) { g_windows.vanDerPauw->Print(p, L, W); };
    if (specimen.Shape != 0 && Shown(g_windows.bar))
        s.resistivity = [](QPainter& p, int L, int W) { g_windows.bar->Print(p, L, W); };
    if (Shown(g_windows.hall))
        s.hall = [](QPainter& p, int L, int W) { g_windows.hall->Print(p, L, W); };
    if (Shown(g_windows.iv))
        s.iv = [](QPainter& p, const QRect& area) { g_windows.iv->Print(p, area); };
    return s;
}

// A page that went out says where: the PDF's path, or the printer's name.
void TellPrinted(MainFrame& frame, const MyPrinter& printer) {
    std::string where = printer.LastOutput();
    if (where.rfind("printer ", 0) == 0) where.erase(0, 8);
    frame.Program().Status().SetDetail("Printed to " + where);
}

void PrintResults(MainFrame& frame, MyPrinter& printer) {
    const ResultsPageText page = CurrentResultsPage(frame.Program());
    const ResultsPageSections sections = VisibleSections(frame.Program().Specimen());
    const bool printed =
        printer.PrintPage(&frame, "Hall Results", frame.Program().Specimen().WaferID, false, true,
                          [&page, &sections](QPainter& p, QPagedPaintDevice& device) {
                              PaintLogPrintout(p, page, sections, device.width(), device.height(),
                                               device.logicalDpiX());
                          });
    if (printed) TellPrinted(frame, printer);
}

// The frame's scan windows (scan mode only).
const ScanWindows* ScanWindowsOf(const MainFrame& frame) {
    return frame.findChild<ScanWindows*>("scanWindows", Qt::FindDirectChildrenOnly);
}

void PrintGraph(MainFrame& frame, MyPrinter& printer) {
    const ScanWindows* windows = ScanWindowsOf(frame);
    TScanBase* graph = windows ? windows->Active() : nullptr;
    if (!graph) return;
    if (!printer.Available()) {
        Prompt::Message(&frame, "Can't Access Printer", "Error", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
        return;
    }
    const bool printed = printer.PrintPage(
        &frame, "Hall Temperature Scan", graph->Header().WaferID, true, false,
        [graph, &frame](QPainter& p, QPagedPaintDevice& device) {
            PaintViewPrintout(p, *graph, frame.Program().Config(), device.width(), device.height(),
                              device.logicalDpiX(), device.logicalDpiY());
        });
    if (printed) TellPrinted(frame, printer);
}

// A menu command of the records module: it runs over the frame's program
// state, with the frame as the owner of its dialogs.
CommandHandler WithProgram(MainFrame& frame, void (*command)(ProgramState&, QWidget*)) {
    return CommandHandler{[&frame, command] { command(frame.Program(), &frame); }, false, {}, {}};
}

void BindArchiveAndPrinting(MainFrame& frame, Thall& thall) {
    TTemp* temperature = &thall.Temperature();
    MyPrinter* printer = &thall.Printer();
    frame.Register(15, {[&frame] {
                            // The line went in: the operator sees where.
                            if (OnArchiveAdd(frame.Program(), &frame))
                                frame.Program().Status().SetDetail(
                                    "Added to " + FileNames::FromStored(
                                                      frame.Program().Records().archive.DataArchive)
                                                      .toStdString());
                        },
                        false,
                        {},
                        {}});
    frame.Register(16, WithProgram(frame, &OnArchiveSetPath));
    frame.Register(17, WithProgram(frame, &OnArchiveExamine));
    frame.Register(18, WithProgram(frame, &OnArchiveSort));
    frame.Register(19, WithProgram(frame, &OnArchiveView));
    ArchiveCallbacks().showTextWindow = [&frame](QWidget* window) {
        QMdiSubWindow* sub = frame.Client()->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(frame.windowIcon());
        // Wide enough for a whole record line where the client allows it.
        sub->resize(QSize(720, 420).boundedTo(frame.Client()->size()));
        sub->show();
        // The client places it in cascade; it opens wholly inside the client.
        const QSize area = frame.Client()->viewport()->size();
        const QRect placed = sub->geometry();
        sub->move(std::clamp(placed.x(), 0, std::max(0, area.width() - placed.width())),
                  std::clamp(placed.y(), 0, std::max(0, area.height() - placed.height())));
    };
    // The record's values are in the result record: the panel is computed
    // again as after its measurements. A record without a Hall value had
    // only a resistivity result, and comes back as that.
    ArchiveCallbacks().recordRead = [temperature,
                                     &program = frame.Program()](const Trecord& record) {
        temperature->SetReadingText(record.temperature);
        ResultsClear(program);
        program.Results().measured |= MeasurementResults::kResistivityMeasured;
        ResultsUpdateResistivity(program);
        if (record.hallCoefficient != 0.0) {
            program.Results().measured |= MeasurementResults::kHallMeasured;
            ResultsUpdateHall(program);
        }
    };
    // With no printer at all the print commands are greyed, the scan menu's
    // whole Print submenu with them.
    auto available = [printer] { return printer->Available(); };
    frame.Register(69,
                   {[&frame, printer] { PrintResults(frame, *printer); }, false, available, {}});
    frame.Register(68, {[&frame, printer] { printer->Setup(&frame); },
                        false,
                        frame.ScanMode() ? std::function<bool()>(available) : nullptr,
                        {}});
    if (frame.ScanMode())
        frame.Register(64, {[&frame, printer] { PrintGraph(frame, *printer); },
                            false,
                            [&frame, printer] {
                                const ScanWindows* windows = ScanWindowsOf(frame);
                                return printer->Available() && windows && windows->Active();
                            },
                            {}});
    Automation::AddDumpSection(
        [printer, &program = frame.Program()](std::vector<std::string>& lines) {
            DumpArchive(program, lines);
            lines.push_back(
                Printf("printer: default=%d available=%d last=%s",
                       printer->HasDefaultPrinter() ? 1 : 0, printer->Available() ? 1 : 0,
                       printer->LastOutput().empty() ? "-" : printer->LastOutput().c_str()));
        });
}

QMdiSubWindow* AddToClient(MainFrame& frame, MeasurementWindow* window) {
    // Below its readable size (Window > Tile on a small screen) a window
    // scrolls instead of squeezing its rows into each other.
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(window);
    window->setMinimumSize(window->minimumSizeHint());
    QMdiSubWindow* sub = frame.Client()->addSubWindow(scroll);
    sub->setWindowTitle(window->windowTitle());
    QObject::connect(window, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowIcon(frame.windowIcon());
    // Placed once while shown, so the client does not place it again at its
    // first showing.
    sub->show();
    sub->hide();
    return sub;
}

void CreateMeasurementWindows(MainFrame& frame) {
    g_windows.check = new TCheck(frame.Program());
    g_windows.iv = new IVcurve(frame.Program());
    g_windows.vanDerPauw = new TResVdp(frame.Program());
    g_windows.bar = new TResBar(frame.Program());
    g_windows.hall = new THall(frame.Program());
    // Side by side on first use, so that the contact check, the IV curve,
    // the resistivity and the Hall results can all be read at once: the
    // first three along the top, the Hall window below them (the bar
    // window takes the van der Pauw window's place, as only one of them is
    // used for a specimen). The registry's positions, read later, take
    // precedence.
    QMdiSubWindow* check = AddToClient(frame, g_windows.check);
    QMdiSubWindow* iv = AddToClient(frame, g_windows.iv);
    QMdiSubWindow* vdp = AddToClient(frame, g_windows.vanDerPauw);
    QMdiSubWindow* bar = AddToClient(frame, g_windows.bar);
    QMdiSubWindow* hall = AddToClient(frame, g_windows.hall);
    // The window's own size and the sub-window's frame: a scroll area's
    // size hint is bounded, the window's is what it wants.
    for (QMdiSubWindow* sub : {check, iv, vdp, bar, hall}) {
        auto* scroll = qobject_cast<QScrollArea*>(sub->widget());
        sub->resize(sub->sizeHint() - scroll->sizeHint() + scroll->widget()->sizeHint());
    }
    constexpr int kGap = 4;
    check->move(0, 0);
    iv->move(check->width() + kGap, 0);
    vdp->move(iv->x() + iv->width() + kGap, 0);
    bar->move(vdp->pos());
    const int top = std::max({check->height(), iv->height(), vdp->height(), bar->height()});
    hall->move(0, top + kGap);
}

void DockResultsPanel(MainFrame& frame) {
    auto* dock = new QDockWidget(&frame);
    dock->setObjectName("resultsDock");
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    // In demo mode the panel keeps its example values; otherwise it starts empty.
    dock->setWidget(new TResults(dock, frame.Program().Config().noInstrument));
    frame.addDockWidget(Qt::TopDockWidgetArea, dock);
}

// The positions of the windows in the order of the registry values
// (contact check, IV curve, van der Pauw, bar, Hall).
std::array<QWidget*, 5> PositionedWindows() {
    auto frameOf = [](MeasurementWindow* w) -> QWidget* {
        if (!w) return nullptr;
        if (QWidget* sub = MeasurementWindow::SubWindowOf(w)) return sub;
        return w;
    };
    return {frameOf(g_windows.check), frameOf(g_windows.iv), frameOf(g_windows.vanDerPauw),
            frameOf(g_windows.bar), frameOf(g_windows.hall)};
}
}  // namespace

bool CheckRegistryFile(RegistryStore& file) {
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
    RecordsLinks& links = frame.Program().Records().links;
    links.getSetPoint = [temperature] { return temperature->setPoint; };
    links.setSetPoint = [temperature](double k) { temperature->SetSetPoint(k); };
    links.temperatureText = [temperature] { return temperature->ReadingText(); };
    Instruments& instruments = thall.Program().Instruments();
    if (thall.BufferAmplifierPort().IsOpen())
        instruments.AmplifierLink().Attach(&thall.BufferAmplifierPort());
    instruments.Hall().SetFocusCallback([&frame] { frame.activateWindow(); });
    MathLibrary::SetReporter([&frame](const std::string& text) {
        Prompt::Message(&frame, text, "Math Library Error", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
    });
    thall.onShutDown = [&program = thall.Program()] { program.Log().Close(); };

    frame.Register(11, WithProgram(frame, &OnSettingsOpen));
    frame.Register(12, WithProgram(frame, &OnSettingsSave));
    frame.Register(13, WithProgram(frame, &OnSettingsSaveAs));
    frame.Register(62, {[&frame] { OnSample(frame.Program(), &frame); }, false, {}, {}});
    if (frame.ScanMode()) {
        frame.Register(123, WithProgram(frame, &OnStyleRead));
        frame.Register(124, WithProgram(frame, &OnStyleSave));
        frame.Register(125, WithProgram(frame, &OnStyleSaveAs));
    }
    Automation::AddDumpSection([&program = frame.Program()](std::vector<std::string>& lines) {
        DumpRecords(program, lines);
    });

    BindArchiveAndPrinting(frame, thall);
    frame.Register(
        40, {[&frame, temperature] { ShowTemperaturePanel(&frame, *temperature); }, false, {}, {}});
    frame.Register(41, {[&frame, temperature] { ShowPidEditor(&frame, *temperature); },
                        false,
                        [temperature] { return PidEditorEnabled(*temperature); },
                        {}});
    SetTemperatureHelpHandler([](int context) { Help::Open(context); });
    Automation::AddDumpSection(
        [temperature](std::vector<std::string>& lines) { DumpTemperature(lines, *temperature); });
    frame.Register(
        43, {[&frame, &instruments] { ShowBlastDialog(instruments, &frame); }, false, {}, {}});
    frame.Register(
        103,
        {[&frame, &instruments] { ShowEngineeringSheet(instruments, &frame); }, false, {}, {}});

    DockResultsPanel(frame);
    CreateMeasurementWindows(frame);
    links.thicknessChanged = [&program = frame.Program()] { ResultsThicknessChanged(program); };
    TDepl::SetHelpHandler([](int context) { Help::Open(context); });
    auto readTemperature = [temperature, &program = frame.Program()] {
        if (!program.Config().noInstrument) temperature->ReadTemperature();
    };
    frame.Register(56, {[] { CheckContactsCommand(*g_windows.check); }, false, {}, {}});
    frame.Register(57, {[] { CheckContactsCommand(*g_windows.iv); }, false, {}, {}});
    frame.Register(42,
                   {[&frame] { ConfigurationCommand(frame.Program(), &frame); }, false, {}, {}});
    // Not in a menu: the automation's way to run the Current page's "Set".
    frame.Register(4201,
                   {[&frame] { AutoSet::AutoSetCommand(frame.Program(), &frame); }, false, {}, {}});
    // The client's clearing command: the results panel emptied and the five
    // measurement windows out of sight, ready for a new specimen.
    frame.Register(301, {[&program = frame.Program()] {
                             ResultsClear(program);
                             for (QWidget* window : g_windows.Frames())
                                 if (window) window->hide();
                         },
                         false,
                         {},
                         {}});
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
    frame.Register(53, {[&frame, temperature] {
                            DepletionCommand(frame.Program(), &frame, temperature->present);
                        },
                        false,
                        [&frame] { return DepletionEnabled(frame.Program()); },
                        {}});
    Automation::AddDumpSection([&program = frame.Program()](std::vector<std::string>& lines) {
        DumpMeasurements(program, lines, g_windows.Runs());
        std::string shown = "shown:";
        const auto frames = g_windows.Frames();
        const auto windows = g_windows.All();
        for (std::size_t i = 0; i < windows.size(); ++i)
            if (windows[i] && frames[i])
                shown +=
                    " " + windows[i]->ResourceName() + "=" + (frames[i]->isVisible() ? "1" : "0");
        lines.push_back(shown);
        if (g_windows.iv) DumpIVCurve(lines, g_windows.iv->Run());
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
    Automation::AddDumpSection([](std::vector<std::string>& lines) { Help::Dump(lines); });
    BindScanWindows(frame, thall);
    frame.canClose = [&program = frame.Program()] {
        // A run in progress keeps its windows: ask it to stop first.
        if (!RunLock::Held(program.Core())) return true;
        program.State().cancelRequested = true;
        return false;
    };
    if (frame.Program().Config().simulate)
        Automation::AddDumpSection([](std::vector<std::string>& lines) {
            const std::string truth = Simulation::TruthLine();
            if (!truth.empty()) lines.push_back(truth);
        });
}

void ClientReady(MainFrame& frame, Thall& thall) {
    (void)thall;
    ProgramState& program = frame.Program();
    ReadStyleSet(program, program.Records().sets.currentStyleName);
    ReadSettingsSet(program, program.Records().sets.currentSettingsName);
    const WindowPositions positions = ReadWindowPositions(Registry());
    const auto windows = PositionedWindows();
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (windows[i] && positions[i]) windows[i]->move(positions[i]->left, positions[i]->top);
}

bool ApplyAssignment(ProgramState& program, const std::string& assignment, std::string& error) {
    const auto eq = assignment.find('=');
    if (eq == std::string::npos) {
        error = "expected NAME=VALUE";
        return false;
    }
    return ApplySetting(program, assignment.substr(0, eq), assignment.substr(eq + 1), error);
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
