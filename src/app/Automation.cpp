#include "app/Automation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>
#include <deque>
#include <memory>

#include "app/MainFrame.h"
#include "app/AppState.h"
#include "core/MeasurementState.h"
#include "records/ProgramState.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "core/StatusFields.h"
#include "platform/TimeScale.h"

namespace Automation {
namespace {
std::vector<std::function<void(std::vector<std::string>&)>>& Sections() {
    static std::vector<std::function<void(std::vector<std::string>&)>> sections;
    return sections;
}

std::function<bool()>& ScanRunning() {
    static std::function<bool()> query;
    return query;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

double WallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Serves events for about `ms` milliseconds of real time.
void ServeEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Idle(const CoreRecords& records) {
    return !RunLock::Held(records) && !(ScanRunning() && ScanRunning()());
}

// A timer of any length: QTimer takes an int of milliseconds, so a long
// delay at a slow time scale is waited for in pieces.
void SingleShotScaled(double seconds, QObject* context, std::function<void()> fire) {
    const double ms = seconds * 1000.0 * TimeScale::Factor();
    constexpr double kPiece = 1e9;
    if (ms > kPiece) {
        QTimer::singleShot(static_cast<int>(kPiece), context,
                           [seconds, context, fire = std::move(fire)]() mutable {
                               SingleShotScaled(seconds - kPiece / 1000.0 / TimeScale::Factor(),
                                                context, std::move(fire));
                           });
        return;
    }
    QTimer::singleShot(std::max(0, static_cast<int>(ms)), context, std::move(fire));
}

// Measures how long the event loop went without serving a 10 ms timer: the
// longest stall of the GUI thread while a command ran (VANTRIS_TIMING=1).
class StallProbe {
  public:
    void Start() {
        last_ = WallSeconds();
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const double now = WallSeconds();
            longest_ = std::max(longest_, now - last_ - 0.010);
            last_ = now;
        });
        timer_.start(10);
    }
    double LongestMs() const { return longest_ * 1000.0; }

  private:
    QTimer timer_;
    double last_ = 0.0;
    double longest_ = 0.0;
};

// ---------------------------------------------------------------------------
// Windows and controls by their resource names

bool Named(const QWidget* w, const std::string& resource) {
    return w->objectName().toStdString() == resource;
}

// The widget named `resource` that the operator could reach: a shown window
// itself, or a part of one (a page of a property sheet, a measurement
// window in the client area). Modal windows come first, as the operator
// could reach nothing else.
QWidget* FindWindow(const std::string& resource) {
    const QString name = QString::fromStdString(resource);
    QWidget* modal = QApplication::activeModalWidget();
    std::vector<QWidget*> tops;
    if (modal) tops.push_back(modal);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != modal && top->isVisible()) tops.push_back(top);
    for (QWidget* top : tops) {
        if (Named(top, resource)) return top;
        if (auto* part = top->findChild<QWidget*>(name)) return part;
    }
    return nullptr;
}

bool NamesWindow(const RunItem& item, QWidget& window) {
    // A dump shows whatever is open, so it goes into the open window's loop.
    if (item.dump) return true;
    if (!item.IsControl()) return false;
    return Named(&window, item.resource) ||
           window.findChild<QWidget*>(QString::fromStdString(item.resource)) != nullptr;
}

// The platform's numbers of the standard buttons.
const char* StandardButton(int id) {
    switch (id) {
        case 1:
            return "IDOK";
        case 2:
            return "IDCANCEL";
        case 3:
            return "IDABORT";
        case 4:
            return "IDRETRY";
        case 5:
            return "IDIGNORE";
        case 6:
            return "IDYES";
        case 7:
            return "IDNO";
        case 9:
            return "IDHELP";
        case 12321:
            return "IDAPPLY";
        default:
            return nullptr;
    }
}

// A control is named after its id: "field103", "button109", "radio104" ...
// The standard buttons keep the platform's names. A page's controls are
// looked for in the page; a window's standard buttons may sit in its frame.
QWidget* FindControl(QWidget& window, int id) {
    std::vector<QString> names;
    for (const char* prefix : {"button", "field", "radio", "check", "control"})
        names.push_back(QString("%1%2").arg(prefix).arg(id));
    if (const char* standard = StandardButton(id)) names.push_back(standard);
    for (QWidget* scope : {&window, window.window()})
        for (const QString& name : names)
            if (auto* control = scope->findChild<QWidget*>(name)) return control;
    return nullptr;
}

// A page that is not the one shown is brought forward first, as the
// operator would click its tab before its controls.
void ShowPage(QWidget& page) {
    for (QWidget* w = &page; w && w->parentWidget(); w = w->parentWidget()) {
        if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget())) {
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
                tabs->setCurrentWidget(w);
            } else {
                stack->setCurrentWidget(w);
            }
        }
    }
}

bool SelectRows(QAbstractItemView& view, const std::string& list, std::string& error) {
    QAbstractItemModel* model = view.model();
    std::vector<int> rows;
    // "+" separates as well, since a --run list is itself split at commas.
    const QString numbers = QString::fromStdString(list).replace(QChar('+'), QChar(','));
    for (const QString& part : numbers.split(',')) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > model->rowCount()) {
            error = "no entry " + part.toStdString() + " (1 to " +
                    std::to_string(model->rowCount()) + ")";
            return false;
        }
        rows.push_back(n - 1);
    }
    QItemSelection selection;
    for (int row : rows) selection.select(model->index(row, 0), model->index(row, 0));
    view.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    view.selectionModel()->setCurrentIndex(model->index(rows.back(), 0),
                                           QItemSelectionModel::NoUpdate);
    return true;
}

bool TypeInto(QWidget& control, const std::string& text, std::string& error) {
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        edit->setFocus();
        edit->selectAll();
        edit->insert(value);
        if (edit->text() != value) edit->setText(value);
        return true;
    }
    if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        const int index = combo->findText(value);
        if (index >= 0) {
            combo->setCurrentIndex(index);
        } else if (combo->isEditable()) {
            combo->setEditText(value);
        } else {
            error = "no such entry";
            return false;
        }
        return true;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(&control)) {
        // "#1,3": the entries by their numbers, from 1, all of them selected
        // (a list of many records is picked by position, not by its text).
        if (!text.empty() && text[0] == '#') return SelectRows(*view, text.substr(1), error);
        const auto matches = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole,
                                                  value, 1, Qt::MatchExactly);
        if (matches.isEmpty()) {
            error = "no such entry";
            return false;
        }
        view->setCurrentIndex(matches.front());
        return true;
    }
    if (auto* slider = qobject_cast<QAbstractSlider*>(&control)) {
        // A gauge or slider takes a whole number within its range, as if
        // the operator had dragged it there.
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < slider->minimum() || number > slider->maximum()) {
            error = "takes a whole number from " + std::to_string(slider->minimum()) + " to " +
                    std::to_string(slider->maximum());
            return false;
        }
        slider->setValue(number);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&control); button && button->isCheckable()) {
        if (text != "0" && text != "1") {
            error = "a check box takes 0 or 1";
            return false;
        }
        if (button->isChecked() != (text == "1")) button->click();
        return true;
    }
    error = "the control takes no text";
    return false;
}

bool Act(const RunItem& item, QWidget& window, std::string& error) {
    ShowPage(window);
    QWidget* control = FindControl(window, item.control);
    if (!control) {
        error = "no control " + std::to_string(item.control);
        return false;
    }
    if (!control->isEnabled()) {
        error = "the control is disabled";
        return false;
    }
    if (item.hasText) return TypeInto(*control, item.text, error);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->click();
        return true;
    }
    error = "the control is not a button";
    return false;
}

// ---------------------------------------------------------------------------
// The run

constexpr int kWindowWaitMs = 30000;

struct Runner;
Runner* g_runner = nullptr;

// Carries the items of one --run through nested event loops.
struct Runner {
    MainFrame& frame;
    std::vector<RunItem> items;
    std::size_t nextIndex = 0;
    int outstanding = 0;

    void Report(const RunItem& item, const std::string& why) {
        std::fprintf(stderr, "run: %s %s\n", item.Spelling().c_str(), why.c_str());
    }

    // A window that is not open yet is looked for again from a timer, never
    // from a loop of our own: a loop here would sit on top of the run that
    // is to open the window, and that run could not go on below it.
    void RunControl(const RunItem& item, std::shared_ptr<QElapsedTimer> waited = nullptr) {
        if (!waited) {
            waited = std::make_shared<QElapsedTimer>();
            waited->start();
        }
        QPointer<QWidget> window = FindWindow(item.resource);
        // A control that is greyed for now (a button of a run that is still
        // starting) is waited for like a window that is not open yet, so a
        // script need not guess how long the program takes to get there.
        QWidget* control = window ? FindControl(*window, item.control) : nullptr;
        const bool greyed = control && !control->isEnabled();
        if ((!window || greyed) && waited->elapsed() < kWindowWaitMs) {
            ++outstanding;
            QTimer::singleShot(20, &frame, [this, item, waited] {
                --outstanding;
                RunControl(item, waited);
            });
            return;
        }
        if (!window) {
            Report(item, "is not available: no window " + item.resource + " is open");
            return;
        }
        std::string error;
        if (!Act(item, *window, error)) Report(item, "is not available: " + error);
    }

    void Issue(const RunItem& item) {
        const bool timing = !qEnvironmentVariableIsEmpty("VANTRIS_TIMING");
        StallProbe probe;
        const double wall0 = WallSeconds(), cpu0 = CpuSeconds();
        if (timing) probe.Start();
        if (item.dump) {
            for (const std::string& line : DumpLines(frame)) std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        } else if (item.IsControl()) {
            RunControl(item);
        } else if (!frame.Command(item.id)) {
            std::fprintf(stderr, "run: command %d is not available now\n", item.id);
        }
        if (timing)
            std::printf("timing: %s wall=%.3f cpu=%.3f stall=%.1f\n", item.Spelling().c_str(),
                        WallSeconds() - wall0, CpuSeconds() - cpu0, probe.LongestMs());
    }

    // Runs item i; when the item after it is timed, it is issued from a timer
    // while item i still runs (and so on down a chain of timed items).
    void Execute(std::size_t i) {
        if (i + 1 < items.size() && items[i + 1].delaySeconds >= 0) {
            ++outstanding;
            nextIndex = std::max(nextIndex, i + 2);
            SingleShotScaled(items[i + 1].delaySeconds, &frame, [this, i] {
                Execute(i + 1);
                --outstanding;
            });
        }
        Issue(items[i]);
    }

    // The untimed items from here on that name `window`, taken from the list.
    std::deque<std::size_t> TakeItemsNaming(QWidget& window) {
        std::deque<std::size_t> taken;
        while (nextIndex < items.size() && items[nextIndex].delaySeconds < 0 &&
               NamesWindow(items[nextIndex], window))
            taken.push_back(nextIndex++);
        return taken;
    }

    bool NextNames(QWidget& window) const {
        return nextIndex < items.size() && items[nextIndex].delaySeconds < 0 &&
               NamesWindow(items[nextIndex], window);
    }
};

// Works a shown modal window through the items that name it, one per pass
// of its event loop, then hands it to `after` (the --answer rule) if it is
// still open.
void CarryInto(QDialog& dialog, std::function<void(QDialog&)> after) {
    if (!g_runner) return;
    auto queue = std::make_shared<std::deque<std::size_t>>(g_runner->TakeItemsNaming(dialog));
    if (queue->empty()) return;
    // Closed by one of its items before the rest ran (a DUMP after the item
    // that closes it), the window gives the rest back: they run after it, in
    // order, instead of being lost with its loop.
    QObject::connect(&dialog, &QDialog::finished, &dialog, [queue] {
        if (g_runner && !queue->empty())
            g_runner->nextIndex = std::min(g_runner->nextIndex, queue->front());
        queue->clear();
    });
    QPointer<QDialog> guard(&dialog);
    auto step = std::make_shared<std::function<void()>>();
    *step = [guard, queue, step, after] {
        if (!guard || !guard->isVisible() || !g_runner) return;
        if (queue->empty()) {
            // A timed item still to come may be meant for this window (a
            // panel left open for a while, then closed): only when none is
            // due any more is the window answered by the list.
            if (g_runner->outstanding > 0) {
                QTimer::singleShot(20, guard.data(), *step);
                return;
            }
            if (after) after(*guard);
            return;
        }
        const std::size_t i = queue->front();
        queue->pop_front();
        g_runner->Execute(i);
        QTimer::singleShot(0, guard.data(), *step);
    };
    QTimer::singleShot(0, &dialog, *step);
}

// Modal windows that run their own loop (the magnet wait) are carried into
// when they are shown.
class ShowWatcher : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && g_runner) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isModal() && !dialog->property("vantrisCarried").toBool() &&
                g_runner->NextNames(*dialog)) {
                dialog->setProperty("vantrisCarried", true);
                CarryInto(*dialog, {});
                QTimer::singleShot(0, dialog, [d = QPointer<QDialog>(dialog)] {
                    if (d) d->setProperty("vantrisCarried", false);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

int Responder::AnswerDialog(QDialog& dialog, const Prompt::Record& record) {
    if (!g_runner || !g_runner->NextNames(dialog))
        return ScriptedResponder::AnswerDialog(dialog, record);
    // Items of the run work this dialog: it runs for real, and what they
    // leave open is answered from the list as any other dialog is.
    if (onDialog) onDialog(dialog);
    dialog.setProperty("vantrisCarried", true);
    int answer = Prompt::IDCANCEL;
    bool answered = false;
    CarryInto(dialog, [this, &record, &answer, &answered](QDialog& open) {
        answered = true;
        auto saved = onDialog;
        onDialog = nullptr;
        answer = ScriptedResponder::AnswerDialog(open, record);
        onDialog = saved;
        if (open.isVisible())
            open.done(answer == Prompt::IDOK ? QDialog::Accepted : QDialog::Rejected);
    });
    const int result = dialog.exec();
    dialog.setProperty("vantrisCarried", false);
    if (answered) return answer;
    return result == QDialog::Accepted ? Prompt::IDOK : Prompt::IDCANCEL;
}

void SetScanRunningQuery(std::function<bool()> scanRunning) {
    ScanRunning() = std::move(scanRunning);
}

void ResetAutomationState() {
    Sections().clear();
    ScanRunning() = nullptr;
}

void Run(MainFrame& frame, const std::vector<RunItem>& items, std::function<void()> done) {
    auto runner = std::make_shared<Runner>(Runner{frame, items});
    g_runner = runner.get();
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    while (runner->nextIndex < runner->items.size()) {
        const std::size_t i = runner->nextIndex++;
        runner->Execute(i);
        // A timed item may still be due or running, or a run started by an
        // item may still hold the lock: serve events until all is idle.
        while (runner->outstanding > 0 || !Idle(frame.Program().Core())) ServeEvents(5);
    }
    qApp->removeEventFilter(&watcher);
    g_runner = nullptr;
    if (done) done();
}

std::string MessageLine(const std::string& caption, const std::string& text) {
    return "message: " + Escaped(caption) + " | " + Escaped(text);
}

void AddDumpSection(std::function<void(std::vector<std::string>&)> section) {
    Sections().push_back(std::move(section));
}

std::vector<std::string> DumpLines(const MainFrame& frame) {
    std::vector<std::string> lines;
    lines.push_back("caption: " + frame.windowTitle().toStdString());
    for (const auto& command : frame.MenuCommands()) {
        lines.push_back("menu: " + std::to_string(command.id) + " " + command.path +
                        " enabled=" + (frame.IsEnabled(command.id) ? "1" : "0") +
                        " checked=" + (frame.IsChecked(command.id) ? "1" : "0"));
    }
    ProgramState& program = frame.Program();
    lines.push_back("status: " + program.Status().Text() + " | " + program.Status().Detail());
    lines.push_back(std::string("demo: ") + (program.Config().noInstrument ? "1" : "0"));
    lines.push_back("kind: " + std::to_string(KindNumber(program.Config().controllerKind)));
    for (const auto& section : Sections()) section(lines);
    return lines;
}

}  // namespace Automation

void ResetProgramState() {
    ResetScanState();
    Automation::ResetAutomationState();
}
