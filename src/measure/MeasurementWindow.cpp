#include "MeasurementWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <cmath>
#include <optional>
#include <utility>

#include "GpibBus.h"
#include "HallReadings.h"
#include "HallUnit.h"
#include "LogFile.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "Prompt.h"
#include "RunConfig.h"
#include "RunFrame.h"
#include "RunLock.h"
#include "SpecimenData.h"
#include "StatusFields.h"
#include "Wait.h"
#include "xmsg.h"

namespace {
std::function<bool()>& ScanRunning() {
    static std::function<bool()> query;
    return query;
}

// The window as the operator sees it: its sub-window when it lives in the
// client area, else itself.
QWidget* Frame(QWidget& window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window.parentWidget())) return sub;
    return &window;
}

void ReadTemperatureAfterRun(const std::function<void()>& readTemperature) {
    if (Config().noInstrument || !readTemperature) return;
    try {
        readTemperature();
    } catch (const xgpib&) {
        Status().SetText("ERROR");
        Status().SetDetail("GPIB");
    } catch (const xmsg& error) {
        Status().SetText("ERROR");
        Status().SetDetail(error.why());
    }
}

// The lid check of the resistivity and Hall commands; a bus error ends the
// command like an open lid that stays open.
bool LidCheckStops(QWidget* owner) {
    if (Config().noInstrument) return false;
    try {
        return CheckLidClosed(owner);
    } catch (const xgpib&) {
        Status().SetText("ERROR");
        Status().SetDetail("GPIB");
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
    State().currentWindow = &window;
    if (!Config().noInstrument) State().cancelRequested = false;
    window.Measure();
}

// A command's lock: held from its first instrument access (the lid check) to
// its last (the closing temperature reading). Empty in demo mode.
std::optional<RunLock> CommandLock() {
    if (Config().noInstrument) return RunLock();
    RunLock lock = RunLock::TryAcquire();
    if (!lock) return std::nullopt;
    return lock;
}

}  // namespace

MeasurementWindow::MeasurementWindow(std::string resourceName, const QString& caption,
                                     QWidget* parent)
    : QWidget(parent), resourceName_(std::move(resourceName)), fields_(this) {
    setObjectName(QString::fromStdString(resourceName_));
    setWindowTitle(caption);
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
    const std::optional<RunLock> lock = CommandLock();
    if (!lock) return;
    RunWindow(window);
}

QLabel* ColumnHeading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

bool CheckLidClosed(QWidget* owner) {
    for (;;) {
        const double word = ParseDecimal(Bus().Read(HallUnit::kPrimary, HallUnit::kMatrix));
        const long bits = std::fabs(word) < 1e9 ? static_cast<long>(word) : 0;
        if ((bits & 6) != 6) return false;
        const int answer = Prompt::Message(owner, "Please close lid and press OK", "Lid is Open",
                                           Prompt::Buttons::OkCancel, Prompt::Icon::Stop);
        if (answer != Prompt::IDOK) return true;
    }
}

RunEnd RunSteps(const std::function<void()>& steps) {
    try {
        steps();
        return RunEnd::Completed;
    } catch (const xgpib&) {
        Status().SetText("ERROR");
        Status().SetDetail("GPIB");
        return RunEnd::BusError;
    } catch (bool) {
        Status().SetText("Cancelled");
        Status().SetDetail("");
        return RunEnd::Cancelled;
    } catch (const xmsg& error) {
        Status().SetText("ERROR");
        Status().SetDetail(error.why());
        return RunEnd::Failed;
    } catch (const std::exception& error) {
        // Nothing may escape into the event loop that called the run.
        Status().SetText("ERROR");
        Status().SetDetail(error.what());
        return RunEnd::Failed;
    }
}

void FinishRun(RunEnd end, unsigned logMask, const std::function<std::string()>& logBlock,
               const std::function<void()>& results) {
    if (end == RunEnd::BusError) return;
    RunSteps([&] {
        HallUnit::Disconnect();
        AppendLogBlock(logMask, logBlock());
        if (results) results();
    });
}

void CheckCancel() {
    Pump();
    if (State().cancelRequested) ThrowAbort();
}

void AppendLogBlock(unsigned mask, const std::string& block) {
    if ((Settings().LogInclude & mask) != 0 && Log().IsOpen()) Log().Append(block);
}

std::string FieldText(const FieldSet& fields, int id, std::size_t limit) {
    std::string text = fields.Get(id);
    if (text.size() > limit) text.resize(limit);
    return text;
}

void SetScanRunningQuery(std::function<bool()> scanRunning) {
    ScanRunning() = std::move(scanRunning);
}

void CheckContactsCommand(MeasurementWindow& check) {
    RunMeasurement(check);
}

void ResistivityCommand(QWidget* owner, MeasurementWindow& vanDerPauw, MeasurementWindow& bar,
                        const std::function<void()>& readTemperature) {
    const std::optional<RunLock> lock = CommandLock();
    if (!lock) return;
    if (LidCheckStops(owner)) return;
    MeasurementWindow* window = &vanDerPauw;
    if (Specimen().Shape != 0) {
        if (Specimen().Length == 0.0 || Specimen().Width == 0.0) {
            Prompt::Message(owner, "Dimensions Missing", "Resistivity Error");
            return;
        }
        window = &bar;
    }
    RunWindow(*window);
    ReadTemperatureAfterRun(readTemperature);
}

void HallCommand(QWidget* owner, MeasurementWindow& hall,
                 const std::function<void()>& readTemperature) {
    const std::optional<RunLock> lock = CommandLock();
    if (!lock) return;
    if (LidCheckStops(owner)) return;
    RunWindow(hall);
    ReadTemperatureAfterRun(readTemperature);
}
