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

// The one bus object of the process; the application installs it.
GpibBus& Bus();
bool HasBus();
void SetBus(std::unique_ptr<GpibBus> bus);
// Where Bus() and SetBus() keep the bus: the program state's slot once it is
// installed (nullptr: the bus module's own again). Returns the slot before.
std::unique_ptr<GpibBus>* InstallBusSlot(std::unique_ptr<GpibBus>* slot);

// Made by the back-end the program was built with.
std::unique_ptr<GpibBus> MakeGpibBus();
