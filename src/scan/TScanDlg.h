#pragma once
// The scan panel (SCANPANEL): a narrow column docked at the frame's left
// edge, the view of the scan run's model. Its buttons call the run; their
// enabling and the main button's label follow the run's state.
#include <QWidget>
#include <map>
#include <string>

class QPushButton;
class ScanRun;

class TScanDlg : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHelpContext = 10;

    TScanDlg(ScanRun& run, QWidget* parent = nullptr);
    ~TScanDlg() override;

    // "window: SCANPANEL 100=... 107=Pause ... enabled=2,107,108,998".
    std::string DumpLine() const;

  signals:
    // "Close" (2) was pressed and allowed: the frame takes the panel down.
    void closeRequested();

  private:
    void Follow();

    ScanRun& run_;
    std::map<int, QPushButton*> buttons_;
};
