#pragma once
// "Blast Contacts": the contact blaster's dialog (menu command 43).
#include <QDialog>
#include <functional>

#include "magnet/Blaster.h"

class QLineEdit;
class QRadioButton;

class TBlast : public QDialog {
    Q_OBJECT
  public:
    explicit TBlast(Instruments& instruments, QWidget* parent = nullptr);

    // Creation and opening steps: identification, intensity, pair 1-2, values.
    void Open();
    // The closing step: "H".
    void Close();

  public slots:
    // No closing while a command waits inside a nested loop.
    void done(int result) override;

  private:
    // Runs one command; an error is shown under "Exception:" and the dialog
    // stays open. Commands arriving while one runs are ignored.
    void Run(const std::function<void()>& command);

    Blaster blaster_;
    QRadioButton* pair12_;
    QRadioButton* pair34_;
    QLineEdit* intensity_;
    QLineEdit* first_;
    QLineEdit* second_;
    bool busy_ = false;
};

// Configure > "Blast Contacts...": refuses with a buffer amplifier attached,
// else runs the dialog modally.
void ShowBlastDialog(Instruments& instruments, QWidget* owner);
