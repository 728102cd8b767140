#include "app/HelpWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "views/Controls.h"

namespace {
// The pages carry no style of their own: the look is the window's, so every
// page reads alike.
const char* kStyle =
    "body { font-size: 10.5pt; }"
    "h1 { font-size: 15pt; color: #1f4e79; margin-bottom: 6px; }"
    "h2 { font-size: 12pt; color: #1f4e79; margin-top: 14px; margin-bottom: 4px; }"
    "p, li { margin-top: 2px; margin-bottom: 4px; }"
    "a { color: #1a5fb4; }";
}  // namespace

HelpWindow::HelpWindow(const std::string& folder, QWidget* owner)
    : QWidget(owner, Qt::Window), folder_(folder) {
    setObjectName("HELP");
    setWindowTitle("Hall System Help");
    // Help beside the program must never keep it running once its main
    // window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    auto* bar = new QHBoxLayout;
    auto* contents = PushButton("Contents", kContents, this);
    back_ = PushButton("Back", kBack, this);
    forward_ = PushButton("Forward", kForward, this);
    bar->addWidget(contents);
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addSpacing(12);
    auto* findLabel = new QLabel("Find:", this);
    bar->addWidget(findLabel);
    find_ = new QLineEdit(this);
    find_->setObjectName(QString("field%1").arg(kFind));
    find_->setClearButtonEnabled(true);
    find_->setMinimumWidth(find_->fontMetrics().averageCharWidth() * 14);
    findLabel->setBuddy(find_);
    bar->addWidget(find_, 1);
    auto* close = PushButton("Close", kClose, this);
    bar->addWidget(close);
    layout->addLayout(bar);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName("helpPage");
    browser_->setOpenLinks(false);
    browser_->document()->setDefaultStyleSheet(kStyle);
    browser_->document()->setDocumentMargin(12);
    browser_->setSearchPaths({QString::fromStdString(folder_)});
    layout->addWidget(browser_, 1);

    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::Follow);
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(browser_->documentTitle() + " - Hall System Help"); });
    connect(contents, &QPushButton::clicked, this, [this] { ShowPage("index.html"); });
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(find_, &QLineEdit::returnPressed, this, &HelpWindow::FindNext);
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        find_->setFocus();
        find_->selectAll();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // Beside the program's windows, within the screen at any scale.
    QSize size(640, 720);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size() - QSize(40, 60));
        move(area.right() - size.width() - 20, area.top() + 30);
    }
    resize(size);
}

void HelpWindow::ShowPage(const std::string& page) {
    const QString text = QString::fromStdString(page);
    const int hash = text.indexOf('#');
    QUrl url = QUrl::fromLocalFile(
        QDir(QString::fromStdString(folder_)).absoluteFilePath(hash < 0 ? text : text.left(hash)));
    if (hash >= 0) url.setFragment(text.mid(hash + 1));
    browser_->setSource(url);
}

std::string HelpWindow::PageShown() const {
    const QUrl url = browser_->source();
    if (url.isEmpty()) return {};
    QString page = QDir(QString::fromStdString(folder_)).relativeFilePath(url.toLocalFile());
    if (url.hasFragment()) page += "#" + url.fragment();
    return page.toStdString();
}

// Links stay inside our own pages: the help never starts an outside
// browser, and a page outside the help folder is not one of ours.
void HelpWindow::Follow(const QUrl& url) {
    if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) {
        browser_->scrollToAnchor(url.fragment());
        return;
    }
    const QUrl resolved = browser_->source().resolved(url);
    if (!resolved.isLocalFile()) return;
    const QString file = QDir::cleanPath(resolved.toLocalFile());
    const QString folder = QDir::cleanPath(QDir(QString::fromStdString(folder_)).absolutePath());
    if (!file.startsWith(folder + "/")) return;
    browser_->setSource(resolved);
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    closed_ = true;
    QWidget::closeEvent(event);
}

void HelpWindow::FindNext() {
    const QString text = find_->text();
    if (text.isEmpty()) return;
    if (browser_->find(text)) return;
    // Past the last place: start again from the top of the page.
    QTextCursor cursor = browser_->textCursor();
    cursor.movePosition(QTextCursor::Start);
    browser_->setTextCursor(cursor);
    browser_->find(text);
}
