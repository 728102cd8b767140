#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/Help.h"
#include "app/HelpWindow.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "TestRecords.h"

namespace {
namespace fs = std::filesystem;

const fs::path kSource = VANTRIS_SOURCE_DIR;
const fs::path kPages = kSource / "resources" / "help";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The help context numbers the program's windows use: their Help buttons
// name them as constants, as page arguments or in direct calls.
std::set<int> ContextsUsedInSources() {
    const QRegularExpression patterns[] = {
        QRegularExpression(R"(Help::Open\(\s*(\d+)\s*\))"),
        QRegularExpression(R"([Hh]elpContext\s*=\s*(\d+))"),
        QRegularExpression(R"(ConfigPage\((?:\s*\w+\s*,)?\s*"[A-Z]+"\s*,\s*(\d+))"),
        QRegularExpression(R"(HelpContext\(\)\s*const\s*(?:override\s*)?\{\s*return\s+(\d+))"),
        QRegularExpression(R"(\bHelp\(\s*(\d+)\s*\))"),
    };
    std::set<int> found;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / "src")) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        const QString text = QString::fromStdString(ReadText(entry.path()));
        for (const auto& pattern : patterns)
            for (auto it = pattern.globalMatch(text); it.hasNext();)
                found.insert(it.next().captured(1).toInt());
    }
    return found;
}

std::string FileOf(const std::string& page) {
    return page.substr(0, page.find('#'));
}

// The ids and names a page offers as link targets.
bool HasAnchor(const std::string& html, const std::string& anchor) {
    return html.find("id=\"" + anchor + "\"") != std::string::npos ||
           html.find("name=\"" + anchor + "\"") != std::string::npos;
}

// The visible words of a page, without its markup.
std::string PlainText(const std::string& html) {
    return QString::fromStdString(html)
        .remove(QRegularExpression("<[^>]*>"))
        .simplified()
        .toStdString();
}

class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Config() = RunConfig{};
        Help::Attach(Config());
        Config().helpFilePath = (kPages / "index.html").string();
        Prompt::SetResponder(&responder_);
    }
    void TearDown() override {
        Help::Close();
        Prompt::SetResponder(nullptr);
        Config() = RunConfig{};
    }
    std::string Shown() {
        std::vector<std::string> lines;
        Help::Dump(lines);
        return lines.empty() ? std::string() : lines.front();
    }
    static HelpWindow* Window() {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* help = qobject_cast<HelpWindow*>(top)) return help;
        return nullptr;
    }
    static void Press(int id) {
        auto* button = Window()->findChild<QPushButton*>(QString("button%1").arg(id));
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->isEnabled()) << id;
        button->click();
    }
    Prompt::ScriptedResponder responder_;
};
}  // namespace

// Every context number a window of the program asks for, and every one its
// windows are to have, opens a page of its own that says something.
TEST_F(HelpTest, EveryContextNumberHasARealPage) {
    const std::set<int> used = ContextsUsedInSources();
    // The configuration sheet's pages at least: a scan that finds nothing
    // proves nothing.
    for (int context : {7, 8, 9}) EXPECT_TRUE(used.count(context)) << context;
    std::set<int> wanted = used;
    for (int context : {0, 5, 7, 8, 9, 10, 11, 16, 17, 58, 59, Help::kUsingHelp})
        wanted.insert(context);
    for (int context : wanted) {
        const std::string page = Help::PageOf(context);
        ASSERT_FALSE(page.empty()) << "context " << context;
        const fs::path file = kPages / FileOf(page);
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        const std::string html = ReadText(file);
        if (page.find('#') != std::string::npos) {
            EXPECT_TRUE(HasAnchor(html, page.substr(page.find('#') + 1))) << page;
        }
        EXPECT_NE(html.find("<h1>"), std::string::npos) << page;
        EXPECT_GT(PlainText(html).size(), 900u) << page << " is a sketch, not a page";
        EXPECT_TRUE(Help::Open(context)) << context;
        EXPECT_EQ(Shown(), "help: " + page);
    }
    EXPECT_TRUE(responder_.Asked().empty());
}

// A link that leads nowhere is a help page the operator cannot reach; a page
// the contents do not lead to is one he never finds.
TEST_F(HelpTest, LinksResolveAndEveryPageIsReachableFromTheContents) {
    const QRegularExpression link(R"re(href="([^"]*)")re");
    std::set<std::string> pages;
    for (const auto& entry : fs::directory_iterator(kPages))
        if (entry.path().extension() == ".html") pages.insert(entry.path().filename().string());
    ASSERT_GT(pages.size(), 10u);
    std::set<std::string> reached{"index.html"};
    std::vector<std::string> todo{"index.html"};
    while (!todo.empty()) {
        const std::string page = todo.back();
        todo.pop_back();
        const QString html = QString::fromStdString(ReadText(kPages / page));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const std::string target = it.next().captured(1).toStdString();
            const std::string file = target[0] == '#' ? page : FileOf(target);
            ASSERT_TRUE(pages.count(file)) << page << " links to " << target;
            if (target.find('#') != std::string::npos) {
                EXPECT_TRUE(HasAnchor(ReadText(kPages / file), target.substr(target.find('#') + 1)))
                    << page << " links to " << target;
            }
            if (reached.insert(file).second) todo.push_back(file);
        }
    }
    EXPECT_EQ(reached, pages);
}

// The pages travel beside the program: what the build copies is what the
// program finds.
TEST_F(HelpTest, TheProgramFindsEveryPageBesideItself) {
    for (int context : Help::Contexts())
        EXPECT_FALSE(Paths::Find("help/" + FileOf(Help::PageOf(context))).empty()) << context;
}

TEST_F(HelpTest, TheWindowGoesBackForwardAndToTheContents) {
    ASSERT_TRUE(Help::Open(7));
    HelpWindow* window = Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "HELP");
    EXPECT_EQ(Shown(), "help: current.html");
    EXPECT_TRUE(window->windowTitle().startsWith("Current"));
    Press(HelpWindow::kContents);
    EXPECT_EQ(Shown(), "help: index.html");
    Press(HelpWindow::kBack);
    EXPECT_EQ(Shown(), "help: current.html");
    Press(HelpWindow::kForward);
    EXPECT_EQ(Shown(), "help: index.html");

    // A link to one of our pages is followed; an outside address is not
    // (no outside browser is started, and the page stays).
    emit window->Browser()->anchorClicked(QUrl("delays.html"));
    EXPECT_EQ(Shown(), "help: delays.html");
    emit window->Browser()->anchorClicked(QUrl("https://example.org/"));
    emit window->Browser()->anchorClicked(QUrl::fromLocalFile("/etc/passwd"));
    EXPECT_EQ(Shown(), "help: delays.html");

    // One window serves every request.
    ASSERT_TRUE(Help::Open(59));
    EXPECT_EQ(Shown(), "help: pideditor.html#itc5");
    EXPECT_EQ(Window(), window);
    Press(HelpWindow::kClose);
    EXPECT_EQ(Shown(), "");
}

TEST_F(HelpTest, AFailureToShowHelpIsAMessageBox) {
    EXPECT_FALSE(Help::Open(4711));
    ASSERT_EQ(responder_.Asked().size(), 1u);
    EXPECT_EQ(responder_.Asked()[0].caption, "Help");
    EXPECT_NE(responder_.Asked()[0].text.find("4711"), std::string::npos);

    Config().helpFilePath.clear();
    EXPECT_FALSE(Help::Open(0));
    ASSERT_EQ(responder_.Asked().size(), 2u);
    EXPECT_NE(responder_.Asked()[1].text.find("not found"), std::string::npos);

    // An install that lost a page names the page.
    QTemporaryDir dir;
    fs::copy_file(kPages / "index.html", fs::path(dir.path().toStdString()) / "index.html");
    Config().helpFilePath = dir.path().toStdString() + "/index.html";
    EXPECT_TRUE(Help::Open(0));
    EXPECT_FALSE(Help::Open(8));
    ASSERT_EQ(responder_.Asked().size(), 3u);
    EXPECT_NE(responder_.Asked()[2].text.find("delays.html"), std::string::npos);
    EXPECT_EQ(Shown(), "help: index.html");
}

// A modal dialog blocks every other window: help opened from its Help button
// must be usable while it is up, and must stay open after it closes.
TEST_F(HelpTest, HelpFromAModalDialogCanBeReadAndOutlivesIt) {
    bool blockedWhileUp = true;
    {
        QDialog dialog;
        QTimer::singleShot(0, &dialog, [&] {
            ASSERT_TRUE(Help::Open(16));
            HelpWindow* window = Window();
            ASSERT_NE(window, nullptr);
            blockedWhileUp =
                QApplication::activeModalWidget() != &dialog || window->parentWidget() != &dialog;
            dialog.reject();
        });
        dialog.exec();
    }
    EXPECT_FALSE(blockedWhileUp);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Shown(), "help: ln2panel.html");
}

// The title bar is the window system's: the box's own layout never measured
// the caption, so a short text gave a box too narrow for it.
TEST(MessageBox, IsAsWideAsItsCaption) {
    for (const std::string caption :
         {"Can't Open Serial Port:", "Can't Set Current", "Can't Open Registry Key:"}) {
        int width = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            width = box->width();
            box->reject();
        });
        Prompt::Message(nullptr, "COM1", caption, Prompt::Buttons::Ok, Prompt::Icon::Stop);
        QFont bold = QApplication::font();
        bold.setBold(true);
        EXPECT_GT(width,
                  QFontMetrics(bold).horizontalAdvance(QString::fromStdString(caption)) + 100)
            << caption;
    }
}
