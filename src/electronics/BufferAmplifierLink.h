#pragma once
// The buffer amplifier's byte link: single bytes on its serial line, sent at
// once. The application attaches the port it opened at start-up; without an
// attached port nothing is sent.
#include <cstdint>
#include <functional>

class SerialLink;

class BufferAmplifierLink {
  public:
    using Writer = std::function<bool(std::uint8_t)>;

    // The port opened at start-up (nullptr detaches). The link does not own it.
    void Attach(SerialLink* link);
    SerialLink* Attached() const { return link_; }
    // Any other byte sink (tests, a simulated amplifier); replaces the port.
    void SetWriter(Writer writer);

    // One byte to the amplifier; false when no port is attached or the write failed.
    bool Send(std::uint8_t byte) const;

  private:
    SerialLink* link_ = nullptr;
    Writer writer_;
};
