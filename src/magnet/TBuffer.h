#pragma once
// The buffer amplifier page of the engineering sheet: the view of
// BufferAmplifierAccess (whether the amplifier counts as installed, single
// bytes sent to it).
#include "magnet/BufferAmplifierAccess.h"
#include "magnet/EngineeringPage.h"
#include "core/FieldSet.h"

class QLineEdit;
class QPushButton;

class TBuffer : public EngineeringPage {
    Q_OBJECT
  public:
    explicit TBuffer(Instruments& instruments, QWidget* parent = nullptr);

    void SetUp() override { Refresh(); }
    // Field 104, button 103 and the enabled state of the byte controls.
    void Refresh();
    // "Install"/"Remove": toggles the flag and writes it to the registry.
    void ToggleInstalled();
    // "Send Byte": the low byte of field 101 read as hexadecimal.
    void SendByte() { access_.SendByte(); }

    FieldSet& Fields() { return access_.Fields(); }
    BufferAmplifierAccess& Access() { return access_; }

  private:
    // Button 103's text and the byte controls follow the installed flag.
    void Follow();

    BufferAmplifierAccess access_;
    QLineEdit* hex_;
    QPushButton* install_;
    QPushButton* send_;
};
