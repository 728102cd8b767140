#include "TextWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "Controls.h"
#include "FileWrite.h"
#include "Prompt.h"

namespace {
std::vector<QPointer<TextWindow>>& Windows() {
    static std::vector<QPointer<TextWindow>> windows;
    return windows;
}
}  // namespace

TextWindow::TextWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("EDITOR");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName("field1");
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(editor_);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 0, 4, 2);
    bar->addStretch();
    auto* save = PushButton("Save", 2, this);
    bar->addWidget(save);
    layout->addLayout(bar);
    connect(save, &QPushButton::clicked, this, [this] {
        if (!Save()) Prompt::Message(this, "Can't write " + path_, "File Error");
    });
    auto* shortcut = new QShortcut(QKeySequence::Save, this);
    connect(shortcut, &QShortcut::activated, save, &QPushButton::click);
    resize(560, 360);
    Windows().push_back(this);
}

bool TextWindow::Load(const std::string& path) {
    QFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes) return false;
    const QByteArray bytes = file.readAll();
    path_ = path;
    // The files are 8-bit text in the registry's code page.
    QString text = QString::fromLatin1(bytes);
    text.replace("\r\n", "\n");
    editor_->setPlainText(text);
    editor_->document()->setModified(false);
    setWindowTitle(QFileInfo(file).fileName());
    return true;
}

bool TextWindow::Save() {
    if (path_.empty()) return false;
    QString text = editor_->toPlainText();
    text.replace("\n", "\r\n");
    const QByteArray bytes = text.toLatin1();
    // The file is often the archive itself: a disk that fills up half-way
    // must leave it as it was, not cut short.
    if (!FileWrite::Replace(
            path_, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        return false;
    editor_->document()->setModified(false);
    return true;
}

bool TextWindow::Modified() const {
    return editor_->document()->isModified();
}

std::vector<TextWindow*> TextWindow::Open() {
    std::vector<TextWindow*> open;
    for (const auto& w : Windows())
        if (w) open.push_back(w.data());
    return open;
}
