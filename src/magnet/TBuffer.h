#pragma once
// The buffer amplifier page of the engineering sheet: whether the amplifier
// counts as installed (kept in the registry) and single bytes sent to it.
#include "EngineeringPage.h"
#include "FieldSet.h"

class QLineEdit;
class QPushButton;

class TBuffer : public EngineeringPage {
    Q_OBJECT
  public:
    explicit TBuffer(QWidget* parent = nullptr);

    void SetUp() override { Refresh(); }
    // Field 104, button 103 and the enabled state of the byte controls.
    void Refresh();
    // "Install"/"Remove": toggles the flag and writes it to the registry.
    void ToggleInstalled();
    // "Send Byte": the low byte of field 101 read as hexadecimal.
    void SendByte();

    FieldSet& Fields() { return fields_; }

  private:
    FieldSet fields_;
    QLineEdit* hex_;
    QPushButton* install_;
    QPushButton* send_;
};

// Writes the installed flag as the registry value "bufAmp Installed" (one
// byte) under the program's System key, creating the key if needed.
bool StoreBufferAmplifierInstalled(bool installed);
