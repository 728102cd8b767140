#pragma once
// The "Measurment Configuration" sheet: the Current, Delays and Scattering
// pages. OK and Apply let every page that has been brought up take its
// values, in page order; a page that refuses keeps the sheet open on itself,
// a page never shown takes nothing. OK closes the sheet, Apply keeps it open.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class ConfigPage;
class QTabWidget;

class TConfigSheet : public QDialog {
    Q_OBJECT
  public:
    explicit TConfigSheet(QWidget* parent = nullptr);
    QTabWidget* Tabs() const { return tabs_; }
    ConfigPage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    bool WasShown(int index) const { return shown_.at(static_cast<std::size_t>(index)); }
    // Apply: true when every page shown took its values.
    bool ApplyPages();

    // The Help button's handler (context number), installed by the shell.
    static void SetHelpHandler(std::function<void(int)> handler);

  public slots:
    // While the auto-set searches, closing asks the search to stop instead.
    void done(int result) override;

  private:
    void Ok();
    bool Searching() const;
    QTabWidget* tabs_;
    std::vector<ConfigPage*> pages_;
    std::vector<bool> shown_;
};

// The block appended to an open log when the sheet closes with OK.
std::string ConfigurationLogBlock();

// Command 42: runs the sheet; OK with a log open appends the block.
void ConfigurationCommand(QWidget* owner);
