#pragma once
// The logic of the engineering sheet's magnet page, without any widget:
// moves of the magnet and the stage, the status word's three texts (fields
// 108-110) and the field strength (field 107). TManual is its view.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <string>

#include "core/FieldSet.h"

class Instruments;

class ManualMagnet : public QObject {
    Q_OBJECT
  public:
    explicit ManualMagnet(Instruments& instruments) : instruments_(instruments) {}

    static constexpr int kFieldStrength = 107;

    // Where the wait dialog and the error boxes belong (the page).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    // Field 107 with the field strength ("%.3lf"), then the status.
    void SetUp();
    // Field 107 (at most 9 characters) as the field strength; refused when
    // not greater than 0, and the stored strength is then left as it was.
    bool Apply();
    // A move: the motion, then the status again. One at a time: the wait
    // dialog is modal, but a message box inside a motion is a loop of its own.
    void Move(const std::string& command);
    // "Update".
    void UpdateStatus();

    FieldSet& Fields() { return fields_; }

  private:
    Instruments& instruments_;
    FieldSet fields_;
    QPointer<QWidget> owner_;
    bool moving_ = false;
};
