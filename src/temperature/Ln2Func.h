#pragma once
// The LN2 cryostat's controller on the GPIB bus at primary 12: each of its
// functions is a secondary address; every value crosses as ASCII text.
#include <string>

#include "temperature/ControllerReplies.h"
#include "temperature/TTemp.h"

class LN2Func : public TTempCon {
    Q_OBJECT
  public:
    // Secondary addresses of the controller's functions.
    enum Secondary : int {
        kGain = 2,
        kSetPoint = 3,
        kTemperature = 4,
        kMode = 5,
        kHeater = 6,
        kPump = 10,  // write: pump automatic; read: the vacuum
        kReset = 12,
        kRate = 13,
    };
    static constexpr int kAutomaticBit = 0x80;  // serial poll: automatic control
    static constexpr int kHeaterScale = 655;    // output units per percent

    LN2Func(BusSlot& bus, const RunConfig& config);

    // Nothing in demo mode. Refuses a set-point without a PID entry before
    // sending anything.
    void SetTemperature(double kelvin) override;
    // Nothing in demo mode; a bus error or an unreadable reply reads "Error"
    // and 0 K.
    void ReadTemperature() override;
    // 1: automatic control and pump automatic; 2: pump automatic off, pump off.
    void SetControl(int mode, int flag) override;

    // The panel's transfers; each raises xgpib on a bus error or a reply that
    // carries no value.
    TenthsReading ReadSetPoint();
    TenthsReading ReadPresent();
    int ReadHeater();             // 0 to 65535
    double ReadVacuum();          // mbar
    bool ReadAutomatic();         // serial poll bit 7
    void WriteMode(char letter);  // "C", "U", "O", "S", "F"
    void WritePumpAutomatic(bool on);
    void WriteHeaterPercent(int percent);
    void SetRemote();
};
