#pragma once
// The bus over the Personal488 library, linked. Devices are opened by the
// names of the driver's own configuration; their terminators and time-outs
// come from there.
#include <string>

#include "bus/GpibBus.h"
#include "bus/iotech/iot488.h"

struct RunConfig;

class IotGpibBus : public GpibBus {
  public:
    explicit IotGpibBus(const RunConfig& config) : config_(config) {}
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

  private:
    const RunConfig& config_;
    // The driver signals every failure with -1; its own text is not fetched.
    long Check(long result);
    void Address(int primary, int secondary);
    int ReadItcByte();

    DevHandleT board_ = 0;
    DevHandleT hall_ = 0;
    DevHandleT itc_ = 0;
    bool remote_ = false;  // the REN command alternates, starting with Remote
    std::string message_;
};
