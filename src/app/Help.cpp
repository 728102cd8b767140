#include "app/Help.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <filesystem>

#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"

namespace Help {
namespace {
struct Topic {
    int context;
    const char* page;
};

// One page per window with a Help button or key; the PID editor serves both
// controllers from one page, each at its own section.
constexpr Topic kTopics[] = {
    {0, "index.html"},      {kUsingHelp, "using.html"}, {5, "depletion.html"},
    {7, "current.html"},    {8, "delays.html"},         {9, "scattering.html"},
    {10, "scanpanel.html"}, {11, "scansetup.html"},     {16, "ln2panel.html"},
    {17, "itc5panel.html"}, {58, "pideditor.html#ln2"}, {59, "pideditor.html#itc5"},
};

QPointer<HelpWindow> g_window;
// The configuration naming the help file; none before start-up.
const RunConfig* g_config = nullptr;

// Moves the help window back to the main frame when the modal dialog that
// owned it closes, so that it outlives the dialog as the operator expects.
class OwnerWatch : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
OwnerWatch* Watch() {
    static OwnerWatch* watch = new OwnerWatch;
    return watch;
}

QWidget* MainWindow() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<MainFrame*>(top)) return frame;
    return nullptr;
}

void Adopt(HelpWindow& window, QWidget* owner) {
    if (window.parentWidget() != owner) {
        if (window.parentWidget()) window.parentWidget()->removeEventFilter(Watch());
        const bool shown = window.isVisible();
        const QRect geometry = window.geometry();
        window.setParent(owner, Qt::Window);
        window.setGeometry(geometry);
        if (shown) window.show();
    }
    // Installing twice keeps one filter.
    if (owner && owner != MainWindow()) owner->installEventFilter(Watch());
}

bool OwnerWatch::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Hide || event->type() == QEvent::Close) && g_window &&
        g_window->parentWidget() == watched) {
        // The owner's hiding may have hidden the help with it; what the
        // operator did not close stays open.
        Adopt(*g_window, MainWindow());
        if (!g_window->ClosedByOperator()) g_window->show();
    }
    return QObject::eventFilter(watched, event);
}

bool Refuse(const std::string& text) {
    Prompt::Message(nullptr, text, "Help", Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return false;
}

bool Show(const std::string& page) {
    const std::string folder = Folder();
    if (folder.empty()) return Refuse("The help pages were not found beside the program.");
    const std::string file = page.substr(0, page.find('#'));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(folder) / file, ec))
        return Refuse("The help page " + file + " was not found in " + folder + ".");
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return Refuse("Help needs the program's windows.");
    // A modal dialog blocks every window but its own: the help opened from
    // its Help button must be one of them to be read.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = MainWindow();
    if (g_window && g_window->Folder() != folder) delete g_window.data();
    if (!g_window) g_window = new HelpWindow(folder, nullptr);
    Adopt(*g_window, owner);
    g_window->ShowPage(page);
    g_window->Reopened();
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return true;
}
}  // namespace

std::string PageOf(int context) {
    for (const Topic& topic : kTopics)
        if (topic.context == context) return topic.page;
    return {};
}

std::vector<int> Contexts() {
    std::vector<int> contexts;
    for (const Topic& topic : kTopics) contexts.push_back(topic.context);
    return contexts;
}

void Attach(const RunConfig& config) {
    g_config = &config;
}

std::string Folder() {
    if (!g_config) return {};
    const std::string& index = g_config->helpFilePath;
    if (index.empty()) return {};
    return QFileInfo(QString::fromStdString(index)).absolutePath().toStdString();
}

bool Open(int context) {
    const std::string page = PageOf(context < 0 ? -1 : context);
    if (page.empty())
        return Refuse("There is no help page for this subject (help context " +
                      std::to_string(context) + ").");
    return Show(page);
}

bool OpenUsingHelp() {
    return Open(kUsingHelp);
}

void Dump(std::vector<std::string>& lines) {
    if (g_window && g_window->isVisible()) lines.push_back("help: " + g_window->PageShown());
}

void Close() {
    delete g_window.data();
}
}  // namespace Help
