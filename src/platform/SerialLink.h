#pragma once
// A serial line by its Windows name ("COM1"). On Linux COMn opens
// /dev/ttyS(n-1) unless the registry's System\Ports key maps the name to another
// device. In simulation the line reaches the virtual rack's serial devices.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct SerialMode {
    int baud = 9600;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
};

// "COM1:1200,n,8,1" -> the settings; nothing when the text is not understood.
std::optional<SerialMode> ParseSerialMode(const std::string& text);

class SerialLink {
  public:
    class Backend;
    SerialLink();
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // The device a Windows port name stands for on this system.
    static std::string DeviceFor(const std::string& portName);
    // Routes every link opened afterwards to the virtual rack (or back).
    static void UseSimulation(bool on);

    bool Open(const std::string& portName, const SerialMode& mode);
    bool IsOpen() const;
    void Close();
    const std::string& Name() const { return name_; }

    // Time-outs of reads and writes as totals per call, in (unscaled) ms.
    void SetTimeouts(int readTotalMs, int writeTotalMs);
    bool WriteByte(std::uint8_t byte);
    bool Write(const std::string& bytes);
    // One byte, or nothing when the read time-out runs out.
    std::optional<std::uint8_t> ReadByte();
    void SetRts(bool on);
    bool Cts();

  private:
    std::unique_ptr<Backend> backend_;
    std::string name_;
    int readTimeoutMs_ = 2000;
    int writeTimeoutMs_ = 2000;
};
