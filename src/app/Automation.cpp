#include "Automation.h"

#include <QEventLoop>
#include <QTimer>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "MainFrame.h"
#include "MeasurementState.h"
#include "RunConfig.h"
#include "StatusFields.h"
#include "TimeScale.h"

namespace Automation {
namespace {
std::vector<std::function<void(std::vector<std::string>&)>>& Sections() {
    static std::vector<std::function<void(std::vector<std::string>&)>> sections;
    return sections;
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

double Now(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Measures how long the event loop went without serving a 10 ms timer: the
// longest stall of the GUI thread while a command ran (VANTRIS_TIMING=1).
class StallProbe {
  public:
    void Start() {
        last_ = Now(CLOCK_MONOTONIC);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const double now = Now(CLOCK_MONOTONIC);
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

// Carries the items of one --run through nested event loops.
struct Runner {
    MainFrame& frame;
    std::vector<RunItem> items;
    std::size_t nextIndex = 0;
    int outstanding = 0;

    void Issue(int id) {
        const bool timing = !qEnvironmentVariableIsEmpty("VANTRIS_TIMING");
        StallProbe probe;
        const double wall0 = Now(CLOCK_MONOTONIC), cpu0 = Now(CLOCK_PROCESS_CPUTIME_ID);
        if (timing) probe.Start();
        if (!frame.Command(id)) std::fprintf(stderr, "run: command %d is not available now\n", id);
        if (timing)
            std::printf("timing: %d wall=%.3f cpu=%.3f stall=%.1f\n", id,
                        Now(CLOCK_MONOTONIC) - wall0, Now(CLOCK_PROCESS_CPUTIME_ID) - cpu0,
                        probe.LongestMs());
    }

    // Runs item i; when the item after it is timed, it is issued from a timer
    // while item i still runs (and so on down a chain of timed items).
    void Execute(std::size_t i) {
        if (i + 1 < items.size() && items[i + 1].delaySeconds >= 0) {
            ++outstanding;
            nextIndex = std::max(nextIndex, i + 2);
            const int ms = TimeScale::Ms(static_cast<int>(items[i + 1].delaySeconds * 1000.0));
            QTimer::singleShot(ms, &frame, [this, i] {
                Execute(i + 1);
                --outstanding;
            });
        }
        Issue(items[i].id);
    }
};
}  // namespace

void Run(MainFrame& frame, const std::vector<RunItem>& items, std::function<void()> done) {
    auto runner = std::make_shared<Runner>(Runner{frame, items});
    while (runner->nextIndex < runner->items.size()) {
        const std::size_t i = runner->nextIndex++;
        runner->Execute(i);
        // A timed item may still be due or running: serve events until it ends.
        while (runner->outstanding > 0) {
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
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
    lines.push_back("status: " + Status().Text() + " | " + Status().Detail());
    lines.push_back(std::string("demo: ") + (Config().noInstrument ? "1" : "0"));
    lines.push_back("kind: " + std::to_string(KindNumber(Config().controllerKind)));
    for (const auto& section : Sections()) section(lines);
    return lines;
}

}  // namespace Automation
