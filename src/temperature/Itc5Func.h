#pragma once
// The ITC5 controller of the helium cryostat: its own device on the bus,
// one command text per write. Two sensors, the cryostat's (heat exchanger)
// and the sample's; above Tchange the heater follows the sample sensor.
#include <string>

#include "temperature/ControllerReplies.h"
#include "temperature/TTemp.h"

class ITC5Func : public TTempCon {
    Q_OBJECT
  public:
    ITC5Func(BusSlot& bus, const RunConfig& config);

    // Switches the heater's sensor when the set-point crosses Tchange (not
    // with the byte-wise link), then sends the set-point and the PID entry's
    // factors. A set-point without a PID entry is refused before anything
    // is sent.
    void SetTemperature(double kelvin) override;
    // "R2": the sample temperature.
    void ReadTemperature() override;
    // 1: computer control and both automatic; 0: the "?" query of the
    // byte-wise link.
    void SetControl(int mode, int flag) override;

    // "R1": the cryostat temperature into `cryostat` and its text.
    void ReadCryostat();
    // The sensor switch: status, heater and gas to manual, the sensor, the
    // automatic modes restored. A status reply without its automatic-mode
    // digit is refused before anything changes.
    void SwitchSensor(bool sample);

    // The panel's transfers (xgpib on a bus error or an unreadable reply).
    std::string Identify();                  // "V"
    double ReadSetPoint();                   // "R0", kelvin
    ItcStatus ReadStatus();                  // "X"
    long ReadTenthsOf(const char* command);  // "R5", "R7": tenths of a percent
    void Send(const std::string& command);   // a command without a reply

    double cryostat = 0.0;  // kelvin
    double tchange = 999.0;
    bool sampleSensor = false;
    const std::string& CryostatText() const { return cryostatText_; }

  private:
    std::string Ask(const std::string& command);
    std::string cryostatText_;
};
