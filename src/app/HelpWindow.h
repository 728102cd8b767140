#pragma once
// Our help window: the program's own HTML pages in a text browser, with
// contents, back, forward and find. One window serves every help request;
// it belongs to the main frame, or to the modal dialog whose Help button
// opened it, so that the operator can read it while that dialog is up.
#include <QWidget>
#include <string>

class QLineEdit;
class QPushButton;
class QTextBrowser;
class QUrl;

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    // Control ids for the automation (HELP.10 ... HELP.2).
    enum Control { kContents = 10, kBack = 11, kForward = 12, kFind = 13, kClose = 2 };

    HelpWindow(const std::string& folder, QWidget* owner);

    // Shows `page` ("current.html", "pideditor.html#ln2") of the help folder.
    void ShowPage(const std::string& page);
    // The page shown, relative to the help folder, with its anchor.
    std::string PageShown() const;
    const std::string& Folder() const { return folder_; }

    QTextBrowser* Browser() const { return browser_; }
    // The operator closed the window (rather than its owner hiding it).
    bool ClosedByOperator() const { return closed_; }
    void Reopened() { closed_ = false; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Follow(const QUrl& url);
    void FindNext();

    std::string folder_;
    QTextBrowser* browser_ = nullptr;
    QLineEdit* find_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    bool closed_ = false;
};
