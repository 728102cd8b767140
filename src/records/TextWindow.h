#pragma once
// The text editor child window of the main frame that shows the archive or
// a sorted table: the file's text, editable, in the system's fixed-pitch
// font. Ctrl+S (or "Save") writes it back with CR LF line ends.
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QPlainTextEdit;

class TextWindow : public QWidget {
    Q_OBJECT
  public:
    // Files above this size are not loaded into an editor; no more than
    // this (and one byte to tell) is ever read.
    static constexpr long long kMaxBytes = 64LL << 20;

    explicit TextWindow(QWidget* parent = nullptr);
    // Loads the file; false when it is not a regular file, cannot be read
    // or is too large.
    bool Load(const QString& path);
    // Writes the text back, the whole file or nothing (the old text stays);
    // false when the file cannot be written.
    bool Save();
    // The file's name (UTF-8).
    const std::string& Path() const { return path_; }
    QPlainTextEdit* Editor() const { return editor_; }
    bool Modified() const;

    // The text windows now open, oldest first.
    static std::vector<TextWindow*> Open();

  private:
    QString file_;
    std::string path_;
    QPlainTextEdit* editor_ = nullptr;
};
