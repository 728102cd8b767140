#include "bus/iotech/IotGpibBus.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/Printf.h"
#include "bus/ItcLink.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"

namespace {
constexpr int kItcReplyBytes = ItcLink::kReplyBytes;
constexpr unsigned long kErrorBytes = 256;
}  // namespace

long IotGpibBus::Check(long result) {
    if (result == -1) throw xgpib("GPIB");
    return result;
}

void IotGpibBus::Address(int primary, int secondary) {
    Check(BusAddress(hall_, primary, secondary));
}

bool IotGpibBus::Open() {
    board_ = OpenName("IEEE0");
    hall_ = OpenName("Hall");
    itc_ = config_.controllerKind == ControllerKind::ITC5 ? OpenName("ITC502") : 0;
    if (board_ == -1 || hall_ == -1 || itc_ == -1) {
        Prompt::Message(nullptr, "Failed to open GPIB device", "System Error");
        return true;
    }
    // Clear a service request left pending from before.
    BusAddress(hall_, 3, 6);
    status = static_cast<int>(SPoll(hall_));
    return false;
}

void IotGpibBus::Write(int primary, int secondary, const std::string& text) {
    NoteWrite(primary);
    Address(primary, secondary);
    status = static_cast<int>(OutputX(hall_, text.data(), text.size(), 1, 1, nullptr, 0, nullptr));
    Check(status);
}

std::string IotGpibBus::Read(int primary, int secondary, int bufferSize) {
    if (bufferSize < 1) bufferSize = 1;
    Address(primary, secondary);
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
    const unsigned long count = static_cast<unsigned long>(bufferSize - 1);
    const long n = EnterX(hall_, buffer.data(), count, 1, nullptr, 0, nullptr);
    status = static_cast<int>(n);
    Check(n);
    const std::size_t length =
        n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), count);
    std::string reply(std::string(buffer.data(), length).c_str());
    NoteReply(primary, reply.size(), bufferSize);
    return reply;
}

int IotGpibBus::SerialPoll(int primary, int secondary) {
    // Without a request on the bus there is nothing to poll.
    if (Check(SPoll(board_)) == 0) return 0;
    Address(primary, secondary);
    status = static_cast<int>(SPoll(hall_));
    Check(status);
    return status;
}

int IotGpibBus::PollHall() {
    return SerialPoll(GpibAddress::kHallElectronics, 6);
}

void IotGpibBus::SetRemote(bool) {}

int IotGpibBus::ReadItcByte() {
    unsigned char byte = 0;
    const long n = Check(EnterX(itc_, reinterpret_cast<char*>(&byte), 1, 1, nullptr, 0, nullptr));
    return n > 0 ? byte : 0;
}

void IotGpibBus::ItcWrite(const std::string& text) {
    if (config_.bytewiseItc) ItcLink::Drain([this] { return ReadItcByte(); });
    status = static_cast<int>(OutputX(itc_, text.data(), text.size(), 1, 1, nullptr, 0, nullptr));
    Check(status);
}

std::string IotGpibBus::ItcRead() {
    if (config_.bytewiseItc) return ItcLink::ReadReply([this] { return ReadItcByte(); });
    char buffer[kItcReplyBytes + 1] = {};
    const long n = EnterX(itc_, buffer, kItcReplyBytes, 1, nullptr, 0, nullptr);
    status = static_cast<int>(n);
    Check(n);
    buffer[std::clamp<long>(n, 0, kItcReplyBytes)] = '\0';
    return buffer;
}

std::string IotGpibBus::ErrorText() {
    // The driver's text length is not bounded by its interface: give it room.
    std::vector<char> text(kErrorBytes * 4, '\0');
    GetError(hall_, text.data());
    text.back() = '\0';
    message_ = std::string(text.data()).substr(0, kErrorBytes - 1);
    return message_;
}

GpibBus::PageResult IotGpibBus::InterfaceCommand(int kind, int primary, int) {
    PageResult result;
    if (config_.noInstrument || kind < 0 || kind > 7) return result;
    // The page's own address is not used: the electronics is always 3/6 here.
    const DevHandleT device = primary == 3 ? hall_ : itc_;
    switch (kind) {
        case 1:
            Address(GpibAddress::kHallElectronics, 6);
            status = static_cast<int>(Check(SPoll(device)));
            result.data = Printf("%d", status);
            break;
        case 2:
            Address(GpibAddress::kHallElectronics, 6);
            Check(Clear(hall_));
            break;
        case 3:
            Check(Clear(board_));
            break;
        case 4:
            Address(GpibAddress::kHallElectronics, 6);
            Check(Local(device));
            break;
        case 5:
            Check(Lol(board_));
            break;
        case 6:
            Check(Abort(board_));
            break;
        case 7:
            remote_ = !remote_;
            Check(remote_ ? Remote(board_) : Local(board_));
            break;
    }
    result.lines = Printf("%lxX", Check(ControlLine(board_)));
    return result;
}

std::unique_ptr<GpibBus> MakeGpibBus(const RunConfig& config) {
    return std::make_unique<IotGpibBus>(config);
}
