#pragma once
// The logic of the engineering sheet's buffer amplifier page, without any
// widget: whether the amplifier counts as installed (kept in the registry)
// and single bytes sent to it. TBuffer is its view.
#include "core/FieldSet.h"

class Instruments;

class BufferAmplifierAccess {
  public:
    explicit BufferAmplifierAccess(Instruments& instruments) : instruments_(instruments) {}

    static constexpr int kHexField = 101;
    static constexpr int kStatusField = 104;

    // Field 104 from the installed flag.
    void Refresh();
    // "Install"/"Remove": toggles the flag and writes it to the registry.
    void ToggleInstalled();
    // "Send Byte": the low byte of field 101 read as hexadecimal.
    void SendByte();
    // The amplifier counts as installed: the byte controls can be used.
    bool Installed() const;

    FieldSet& Fields() { return fields_; }

  private:
    Instruments& instruments_;
    FieldSet fields_;
};

// Writes the installed flag as the registry value "bufAmp Installed" (one
// byte) under the program's System key, creating the key if needed.
bool StoreBufferAmplifierInstalled(bool installed);
