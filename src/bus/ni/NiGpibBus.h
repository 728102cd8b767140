#pragma once
// The bus over the NI-488.2 C API (the NI driver, linux-gpib or NI's status-
// function library), loaded at run time through NiDriver.
#include <string>

#include "bus/GpibBus.h"
#include "bus/ni/NiDriver.h"

struct RunConfig;

class NiGpibBus : public GpibBus {
  public:
    explicit NiGpibBus(const RunConfig& config) : config_(config), driver_(config) {}
    bool Open() override;
    void Write(int primary, int secondary, const std::string& text) override;
    std::string Read(int primary, int secondary, int bufferSize = 20) override;
    int SerialPoll(int primary, int secondary) override;
    int PollHall() override;
    void SetRemote(bool on) override;
    void ItcWrite(const std::string& text) override;
    std::string ItcRead() override;
    std::string ErrorText() override;
    PageResult InterfaceCommand(int kind, int primary, int secondary) override;

    // The 488.2 address word: the primary alone for secondary -1, else the
    // primary with (secondary | 0x60) in the high byte; (-1, -1) is 0xFFFF.
    static NiDriver::Address AddressWord(int primary, int secondary);
    // The text of a driver error code.
    static std::string ErrorTextFor(int iberr, int ibsta);

    NiDriver& Driver() { return driver_; }

  private:
    // Raises xgpib with the error text when the last call failed.
    void Check();
    int ReadItcByte();
    void RemoteOnly(bool on);

    const RunConfig& config_;
    NiDriver driver_;
    std::string message_;
};
