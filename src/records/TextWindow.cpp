#include "records/TextWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <vector>

#include "views/Controls.h"
#include "platform/FileWrite.h"
#include "platform/FileNames.h"
#include "platform/Prompt.h"

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

bool TextWindow::Load(const QString& path) {
    // Only a regular file: a device would fill the editor without end.
    QFile file;
    if (!FileNames::OpenForReading(file, path)) return false;
    // Read in pieces up to the limit, whatever size the file claims.
    QByteArray bytes;
    std::vector<char> piece(1 << 20);
    for (;;) {
        const qint64 n = file.read(piece.data(), static_cast<qint64>(piece.size()));
        if (n < 0) return false;
        if (n == 0) break;
        bytes.append(piece.data(), static_cast<qsizetype>(n));
        if (bytes.size() > kMaxBytes) return false;
    }
    file_ = path;
    path_ = path.toStdString();
    // The files are 8-bit text in the registry's code page.
    QString text = FileNames::FromCp1252(std::string_view(bytes.constData(), bytes.size()));
    text.replace("\r\n", "\n");
    editor_->setPlainText(text);
    editor_->document()->setModified(false);
    setWindowTitle(QFileInfo(path).fileName());
    return true;
}

bool TextWindow::Save() {
    if (file_.isEmpty()) return false;
    QString text = editor_->toPlainText();
    text.replace("\n", "\r\n");
    const std::string bytes = FileNames::ToCp1252(text);
    // The file is often the archive itself: a disk that fills up half-way
    // must leave it as it was, not cut short.
    if (!FileWrite::Replace(FileNames::Encode(file_), bytes)) return false;
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
