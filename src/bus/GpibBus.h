#pragma once
// All instrument traffic on the GPIB bus passes through this one object. Two
// back-ends implement it, one per program: the NI-488.2 driver loaded at run
// time (vantrisNI) and the Personal488 library (vantrisIOT). Every failed
// transfer raises xgpib; an operation that returns has succeeded.
#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "core/xmsg.h"

class GpibBus {
  public:
    virtual ~GpibBus() = default;

    // Once, at start-up. True on failure (the program then runs in demo mode).
    virtual bool Open() = 0;
    // One command string to (primary, secondary); secondary -1 means none.
    virtual void Write(int primary, int secondary, const std::string& text) = 0;
    // One reply, without its terminator; at most bufferSize - 1 characters.
    virtual std::string Read(int primary, int secondary, int bufferSize = 20) = 0;
    virtual int SerialPoll(int primary, int secondary) = 0;
    // The Hall electronics' status byte when it requests service, else 0.
    virtual int PollHall() = 0;
    virtual void SetRemote(bool on) = 0;
    virtual void ItcWrite(const std::string& text) = 0;
    virtual std::string ItcRead() = 0;
    virtual std::string ErrorText() = 0;

    // The engineering page's bus-level commands (1 Spoll ... 7 REN) for the
    // page's address; kind 0 runs no command and only reads the bus lines. `data` receives the
    // status byte text of Spoll; the result is the bus-line field's new text.
    struct PageResult {
        std::string data;
        std::string lines;
    };
    virtual PageResult InterfaceCommand(int kind, int primary, int secondary) = 0;

    // The last driver result (IOtech: byte count, status byte or -1).
    int status = 0;

    // How the last reply read stands to what its device sent. A reply that
    // fills the caller's buffer was cut: the rest stays in the device and
    // comes with the following reads of that device until a write to it
    // discards it. Neither part is a reply of its own.
    enum class ReplyPart { Whole, Cut, Rest };
    ReplyPart LastReplyPart() const { return lastReplyPart_; }

  protected:
    // The back-ends tell every command written and every reply read.
    void NoteWrite(int primary);
    void NoteReply(int primary, std::size_t length, int bufferSize);

  private:
    static constexpr std::size_t kPrimaries = 32;
    std::array<bool, kPrimaries> restPending_{};
    ReplyPart lastReplyPart_ = ReplyPart::Whole;
};

// Where the program keeps its one bus. The bus is made after the program's
// state (the command line chooses the back-end) and a test may replace it;
// every instrument holds the slot it was given at construction, so the bus
// set later reaches all of them and none keeps a stale one.
class BusSlot {
  public:
    // The bus; xgpib "EDVR: driver not installed" while there is none.
    GpibBus& Get() const;
    bool Has() const { return bus_ != nullptr; }
    void Set(std::unique_ptr<GpibBus> bus) { bus_ = std::move(bus); }

  private:
    std::unique_ptr<GpibBus> bus_;
};

// Made by the back-end the program was built with.
struct RunConfig;
std::unique_ptr<GpibBus> MakeGpibBus(const RunConfig& config);
