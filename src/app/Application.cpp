#include "app/Application.h"

#include <stdlib.h>

#include "app/HallApplication.h"
#include "app/Help.h"

#include <QDialog>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <iostream>

#include "app/Automation.h"
#include "records/DateTimeText.h"
#include "app/Bindings.h"
#include "app/ScanBindings.h"
#include "platform/FileRegistryStore.h"
#include "app/MainFrame.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "app/Simulation.h"
#include "platform/TimeScale.h"

namespace {
// The offscreen platform warns about window hints it cannot honour; those
// lines would only clutter the automation's output.
QtMessageHandler g_previousHandler = nullptr;

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("propagateSizeHints") || message.contains("XDG_RUNTIME_DIR")) return;
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// Saves the widget, or each page of a tabbed sheet, as <objectName>[-N].png.
void SaveScreenshots(QWidget& widget, const QString& folder) {
    QDir().mkpath(folder);
    widget.ensurePolished();
    if (!widget.isVisible()) widget.adjustSize();
    const QString name = widget.objectName().isEmpty() ? "window" : widget.objectName();
    auto* tabs = widget.findChild<QTabWidget*>();
    if (!tabs || !widget.inherits("QDialog")) {
        widget.grab().save(folder + "/" + name + ".png");
        return;
    }
    const int current = tabs->currentIndex();
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        widget.grab().save(QString("%1/%2-%3.png").arg(folder, name).arg(i + 1));
    }
    tabs->setCurrentIndex(current);
}

// Whether anybody can see the windows: a platform the caller chose counts,
// unless it draws nowhere (then nobody could answer a box either).
bool HasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty()) return platform != "offscreen" && platform != "minimal";
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

// A fixed date/time text that cannot be read leaves the regional settings in
// force; whoever set it must hear that their stamps are not the ones asked for.
void ReportUnreadableDateTime() {
    const QByteArray fixed = qgetenv("VANTRIS_DATETIME");
    if (fixed.isNull()) return;
    DateTimeSettings ignored;
    if (ParseDateTimeSettings(fixed.toStdString(), ignored)) return;
    std::fprintf(stderr,
                 "date/time settings \"%s\" cannot be read (items key=value separated by ';', "
                 "keys iTime iTLZero iDate sDate sTime s1159 s2359 now); the defaults are used\n",
                 fixed.constData());
}

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

int RunApplication(int argc, char** argv, Thall::BusFactory makeBus) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const CommandLine line = ParseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s\n%s", line.error.c_str(), UsageText().c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("%s\n", VersionText().c_str());
        return 0;
    }
    const bool offscreen = !HasDisplay();
    if (offscreen && qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (line.timeScale > 0) {
        // The rack reads the same variable, so its physics keeps pace.
        qputenv("VANTRIS_TIME_SCALE", QByteArray::number(line.timeScale, 'g', 17));
        TimeScale::SetFactor(line.timeScale);
    }
    if (!line.dateTime.empty())
        qputenv("VANTRIS_DATETIME", QByteArray::fromStdString(line.dateTime));
    ReportUnreadableDateTime();

    g_previousHandler = qInstallMessageHandler(FilterMessages);
    HallApplication app(argc, argv);
    // The program's state lives as long as the event loop: every module
    // reaches its records in it, and it is passed down to the main window.
    ProgramState program;
    app.SetStatus(&program.Status());
    Help::Attach(program.Config());
    Q_INIT_RESOURCE(vantris);
    // Numbers in files, registry texts and instrument commands are written
    // in C notation whatever the operator's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("vantris");
    QApplication::setApplicationVersion(QString::fromStdString(VersionText()));

    // The settings file named, else the platform's own store (the system
    // registry on Windows, the default file elsewhere).
    SetRegistry(OpenRegistryStore(line.registryFile));
    RegistryStore* file = &Registry();

    // Automation: every box is printed when shown and answered from the list;
    // without a display nobody could answer it otherwise.
    const bool automated = line.dump || !line.run.empty() || !line.answers.empty() || offscreen;
    Automation::Responder responder(line.answers);
    // VANTRIS_SCREENSHOT_DIR: every dialog the automation answers, each of
    // its pages, and at the end the main frame are saved as pictures, so the
    // screens can be looked at without a desktop.
    const QString shots = QString::fromLocal8Bit(qgetenv("VANTRIS_SCREENSHOT_DIR"));
    if (!shots.isEmpty()) {
        responder.onDialog = [shots](QDialog& dialog) { SaveScreenshots(dialog, shots); };
    }
    if (automated) {
        Prompt::SetEcho([](const Prompt::Record& r) {
            if (r.kind == "message") PrintLine(Automation::MessageLine(r.caption, r.text));
        });
        Prompt::SetResponder(&responder);
    }

    if (!CheckRegistryFile(*file)) return 1;
    if (line.initRegistry) return InitRegistryCommand() ? 0 : 1;

    if (line.simulate) {
        std::string error;
        if (!Simulation::Prepare(program.Config(), line.simulateFile, !line.gpibLibrary.empty(),
                                 error)) {
            Prompt::Message(nullptr, error, "Virtual Instrument Rack", Prompt::Buttons::Ok,
                            Prompt::Icon::Stop);
            return 2;
        }
    }
    if (!line.gpibLibrary.empty()) program.Config().gpibLibrary = line.gpibLibrary;

    Thall thall(line, std::move(makeBus), program);
    if (!thall.InitInstance()) {
        std::fprintf(stderr, "Settings file: %s (vantrisNI --init-registry writes one)\n",
                     file->Location().c_str());
        return 1;
    }

    const RunConfig& config = program.Config();
    MainFrame frame(program, config.controllerKind, config.noInstrument);
    BindModules(frame, thall);
    frame.SetUpClient(config.controllerKind, config.noInstrument);
    frame.show();
    ClientReady(frame, thall);

    for (const auto& assignment : line.sets) {
        std::string error;
        if (!ApplyAssignment(program, assignment, error)) {
            std::fprintf(stderr, "--set %s: %s\n", assignment.c_str(), error.c_str());
            return 2;
        }
    }

    if (!line.open.empty()) {
        if (!frame.ScanMode()) {
            std::fprintf(stderr,
                         "--open: scan files open only with a temperature controller "
                         "(/n, /h, /g or /y)\n");
            return 2;
        }
        OpenScanFiles(frame, line.open);
    }

    if (!line.run.empty() || line.dump) {
        const bool quit = line.dump || offscreen;
        QTimer::singleShot(0, &frame, [&frame, &line, quit] {
            Automation::Run(frame, line.run, [&frame, &line, quit] {
                if (line.dump)
                    for (const auto& l : Automation::DumpLines(frame)) PrintLine(l);
                const QString shots = QString::fromLocal8Bit(qgetenv("VANTRIS_SCREENSHOT_DIR"));
                if (!shots.isEmpty()) SaveScreenshots(frame, shots);
                if (quit) QCoreApplication::exit(0);
            });
        });
    } else if (offscreen) {
        std::fprintf(stderr,
                     "No display: the program ran its start-up offscreen; use --dump or --run.\n");
        for (const auto& l : Automation::DumpLines(frame)) PrintLine(l);
        return 0;
    }
    const int status = app.exec();
    SaveOnClose(frame);
    return status;
}
