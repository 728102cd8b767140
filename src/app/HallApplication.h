#pragma once
#include <QApplication>

// The application object of the event loop. An error that no window caught
// (a bus error where no one expected one) ends the command that raised it,
// not the program: it is shown in the "Exception:" box, as dialogs do.
class StatusFields;

class HallApplication : public QApplication {
    Q_OBJECT
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
    // Where an abort that reached no measurement is told ("Cancelled"); the
    // program's state is made after the application object.
    void SetStatus(StatusFields* status) { status_ = status; }

  private:
    StatusFields* status_ = nullptr;
};
