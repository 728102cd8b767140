#pragma once
// The hot stage: its temperature controller on a serial port. Every message
// is STX text ETX CR LF and is answered by one reply, read byte by byte up to
// a line feed or two seconds of silence.
#include <memory>
#include <string>

#include "temperature/ControllerReplies.h"
#include "temperature/TTemp.h"

#include "platform/SerialLink.h"

class HotFunc : public TTempCon {
    Q_OBJECT
  public:
    static constexpr int kTimeoutMs = 2000;
    static constexpr int kRun = 18;
    static constexpr int kStop = 17;

    // Opens the port named by "HotStage Port" (not in demo mode); a port
    // that will not open is shown ("Can't Open Serial Port:") and the stage
    // then works without one.
    HotFunc(BusSlot& bus, const RunConfig& config);
    // A link opened by the caller (tests); nullptr for none.
    HotFunc(BusSlot& bus, const RunConfig& config, std::unique_ptr<SerialLink> link);
    ~HotFunc() override;

    void SetTemperature(double kelvin) override;
    // Without a port, when the message cannot be sent, without a reply, or
    // with one that is no whole frame or reads outside the stage's limits:
    // "Error" and 0 K, and the reason kept (ReadingFailure).
    void ReadTemperature() override;
    // Mode 1 runs the stage (flag 0) or stops it (flag 1).
    void SetControl(int mode, int flag) override;

    bool HasPort() const;

    // The three messages, framed.
    static std::string SetPointMessage(double kelvin);
    static std::string RunMessage(bool run);
    static std::string ReadMessage();

  private:
    bool Sending() const;
    void ReadReply();
    // One reading into present and the text; the reason it failed, or empty.
    std::string TryReading();
    void Purge();

    std::unique_ptr<SerialLink> link_;
    HotReply reply_;
};
