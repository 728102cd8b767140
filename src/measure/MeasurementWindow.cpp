#include "measure/MeasurementWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <cmath>
#include <optional>
#include <utility>

#include "bus/GpibBus.h"
#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementState.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "core/RunLock.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
std::function<bool()>& ScanRunning() {
    static std::function<bool()> query;
    return query;
}

// The window as the operator sees it: its sub-window when it lives in the
// client area, else itself.
QWidget* Frame(QWidget& window) {
    if (QMdiSubWindow* sub = MeasurementWindow::SubWindowOf(&window)) return sub;
    return &window;
}

void ReadTemperatureAfterRun(ProgramState& program, const std::function<void()>& readTemperature) {
    if (program.Config().noInstrument || !readTemperature) return;
    try {
        readTemperature();
    } catch (const xgpib&) {
        program.Status().SetText("ERROR");
        program.Status().SetDetail("GPIB");
    } catch (const xmsg& error) {
        program.Status().SetText("ERROR");
        program.Status().SetDetail(error.why());
    }
}

// The lid check of the resistivity and Hall commands; a bus error, or a
// status word that cannot be read, ends the command like an open lid that
// stays open.
bool LidCheckStops(ProgramState& program, QWidget* owner) {
    if (program.Config().noInstrument) return false;
    try {
        return program.MagnetUnit().LidStaysOpen(owner);
    } catch (const xgpib&) {
        program.Status().SetText("ERROR");
        program.Status().SetDetail("GPIB");
        return true;
    } catch (const xmsg& error) {
        program.Status().SetText("ERROR");
        program.Status().SetDetail(error.why());
        return true;
    }
}
// The run itself, under a lock its caller holds (or in demo mode, where
// nothing reaches the instrument and no lock is taken).
void RunWindow(MeasurementWindow& window) {
    QPointer<MeasurementWindow> guard(&window);
    if (!(ScanRunning() && ScanRunning()())) {
        QWidget* frame = Frame(window);
        window.show();
        frame->showNormal();
        frame->raise();
        Pump();
        if (!guard) return;
    }
    ProgramState& program = window.Run().Program();
    program.State().currentWindow = &window;
    if (!program.Config().noInstrument) program.State().cancelRequested = false;
    window.Measure();
}

// A command's lock: held from its first instrument access (the lid check) to
// its last (the closing temperature reading). Empty in demo mode.
std::optional<RunLock> CommandLock(ProgramState& program) {
    if (program.Config().noInstrument) return RunLock();
    RunLock lock = RunLock::TryAcquire(program.Core());
    if (!lock) return std::nullopt;
    return lock;
}

}  // namespace

MeasurementWindow::MeasurementWindow(std::unique_ptr<MeasurementRun> run, const QString& caption,
                                     QWidget* parent)
    : QWidget(parent), run_(std::move(run)) {
    setObjectName(QString::fromStdString(run_->ResourceName()));
    setWindowTitle(caption);
    run_->SetOwner(this);
    connect(run_.get(), &MeasurementRun::focusBackRequested, this,
            &MeasurementWindow::GiveFocusBack);
}

MeasurementWindow::~MeasurementWindow() = default;

void MeasurementWindow::GiveFocusBack() {
    if (QWidget* owner = parentWidget()) owner->window()->activateWindow();
}

void MeasurementWindow::closeEvent(QCloseEvent* event) {
    // Never deleted: a run may be waiting inside this window's measurement.
    event->ignore();
    Frame(*this)->hide();
    if (Frame(*this) != this) hide();
}

void RunMeasurement(MeasurementWindow& window) {
    // One run at a time: a measure command arriving during a run (a posted
    // one, or one served by a nested wait) is not started inside it, unless
    // the run that holds the lock granted it.
    const std::optional<RunLock> lock = CommandLock(window.Run().Program());
    if (!lock) return;
    RunWindow(window);
}

QLabel* ColumnHeading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void SetScanRunningQuery(std::function<bool()> scanRunning) {
    ScanRunning() = std::move(scanRunning);
}

void CheckContactsCommand(MeasurementWindow& check) {
    RunMeasurement(check);
}

void ResistivityCommand(QWidget* owner, MeasurementWindow& vanDerPauw, MeasurementWindow& bar,
                        const std::function<void()>& readTemperature) {
    ProgramState& program = vanDerPauw.Run().Program();
    const std::optional<RunLock> lock = CommandLock(program);
    if (!lock) return;
    if (LidCheckStops(program, owner)) return;
    MeasurementWindow* window = &vanDerPauw;
    const SpecimenData& specimen = program.Specimen();
    if (specimen.Shape != 0) {
        if (specimen.Length == 0.0 || specimen.Width == 0.0) {
            Prompt::Message(owner, "Dimensions Missing", "Resistivity Error");
            return;
        }
        window = &bar;
    }
    RunWindow(*window);
    ReadTemperatureAfterRun(program, readTemperature);
}

void HallCommand(QWidget* owner, MeasurementWindow& hall,
                 const std::function<void()>& readTemperature) {
    ProgramState& program = hall.Run().Program();
    const std::optional<RunLock> lock = CommandLock(program);
    if (!lock) return;
    if (LidCheckStops(program, owner)) return;
    RunWindow(hall);
    ReadTemperatureAfterRun(program, readTemperature);
}

QMdiSubWindow* MeasurementWindow::SubWindowOf(QWidget* window) {
    // In the client area a window sits in a scroll area inside its sub-window.
    for (QWidget* w = window ? window->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
        if (w->isWindow()) break;
    }
    return nullptr;
}
