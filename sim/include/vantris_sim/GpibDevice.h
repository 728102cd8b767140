#pragma once
// What the rack's bus needs from an instrument: complete command texts in,
// reply texts (with their terminator) out, a status byte for serial polls.
#include <optional>
#include <string>

namespace vantris::sim {

class GpibDevice {
  public:
    virtual ~GpibDevice() = default;

    // The byte that ends a command text (EOI ends one as well).
    virtual char Terminator() const { return '\n'; }
    virtual void Command(int secondary, const std::string& text, double now) = 0;
    // The reply to a read at this secondary, terminator included; nothing
    // means the device does not talk there (the read times out).
    virtual std::optional<std::string> Reply(int secondary, double now) = 0;
    // Serial poll: the status byte, clearing a request for service.
    virtual int StatusByte(int secondary, double now) = 0;
    virtual bool RequestsService(double now) = 0;
    virtual void Clear(double /*now*/) {}
    // More input than the device can hold arrived.
    virtual void Overflow(double /*now*/) {}
};

}  // namespace vantris::sim
