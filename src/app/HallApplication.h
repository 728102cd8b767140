#pragma once
#include <QApplication>

// The application object of the event loop. An error that no window caught
// (a bus error where no one expected one) ends the command that raised it,
// not the program: it is shown in the "Exception:" box, as dialogs do.
class HallApplication : public QApplication {
    Q_OBJECT
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
