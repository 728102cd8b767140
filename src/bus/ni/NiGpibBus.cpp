#include "bus/ni/NiGpibBus.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "bus/ItcLink.h"
#include "core/Printf.h"
#include "core/RunConfig.h"

namespace {
constexpr int kBoard = 0;
constexpr int kHallPrimary = GpibAddress::kHallElectronics;
constexpr int kHallStatusSecondary = 6;
constexpr int kItcPrimary = GpibAddress::kItc5Controller;
constexpr int kReplyBytes = 20;  // the electronics' replies fit in 19 characters
constexpr int kItcReplyBytes = ItcLink::kReplyBytes;
constexpr int kRequestService = 0x40;
constexpr int kRenLine = 0x1000;
constexpr NiDriver::Address kNoAddress = 0xFFFF;

const char* const kErrorTexts[] = {
    "EDVR: driver not installed",  "ECIC: not controller-in-charge",
    "ENOL: no listeners",          "EADR: not self-addressed",
    "EARG: bad agrument",          "ESAC: not system controller",
    "EABO: timeout on data",       "ENEB: no GPIB board",
    "EDMA: allocating DMA buffer",
};
}  // namespace

NiDriver::Address NiGpibBus::AddressWord(int primary, int secondary) {
    if (secondary == -1) return static_cast<NiDriver::Address>(primary);
    return static_cast<NiDriver::Address>((primary & 0xFF) | ((secondary | 0x60) & 0xFF) << 8);
}

std::string NiGpibBus::ErrorTextFor(int iberr, int ibsta) {
    if (iberr >= 0 && iberr <= 8) return kErrorTexts[iberr];
    if (iberr == 14) return "EBUS: timeout on command byte, no devices present";
    return Printf("Code %d (status x%X)", iberr, static_cast<unsigned>(ibsta));
}

std::string NiGpibBus::ErrorText() {
    message_ = ErrorTextFor(driver_.iberr, driver_.ibsta);
    return message_;
}

void NiGpibBus::Check() {
    if (driver_.ibsta & NiDriver::ERR) throw xgpib(ErrorText());
}

bool NiGpibBus::Open() {
    driver_.ibsta = NiDriver::ERR;
    driver_.iberr = 0;
    driver_.ibtmo(kBoard, 11);  // T1s
    driver_.SendIFC(kBoard);
    // Only a missing board keeps the program off the bus; a missing driver
    // shows itself at the first transfer.
    return driver_.iberr == 7;  // ENEB
}

void NiGpibBus::Write(int primary, int secondary, const std::string& text) {
    NoteWrite(primary);
    driver_.Send(kBoard, AddressWord(primary, secondary), text.data(),
                 static_cast<long>(text.size()), NiDriver::NLend);
    Check();
}

std::string NiGpibBus::Read(int primary, int secondary, int bufferSize) {
    char buffer[kReplyBytes + 1] = {};
    driver_.Receive(kBoard, AddressWord(primary, secondary), buffer, kReplyBytes, '\n');
    // The last byte received is the terminator, or the 20th byte of a reply
    // that did not fit: either way it goes.
    const long count = driver_.ibcntl;
    if (count != 0) buffer[(count > 0 && count <= kReplyBytes) ? count - 1 : kReplyBytes] = '\0';
    Check();
    std::string reply(buffer);
    const std::size_t limit = bufferSize > 0 ? static_cast<std::size_t>(bufferSize - 1) : 0;
    if (reply.size() > limit) reply.resize(limit);
    NoteReply(primary, reply.size(), std::min(bufferSize, kReplyBytes));
    return reply;
}

int NiGpibBus::SerialPoll(int primary, int secondary) {
    short result = 0;
    driver_.ReadStatusByte(kBoard, AddressWord(primary, secondary), &result);
    Check();
    return static_cast<unsigned short>(result);
}

int NiGpibBus::PollHall() {
    short srq = 0;
    driver_.TestSRQ(kBoard, &srq);
    Check();
    if (!srq) return 0;
    const int hall = SerialPoll(kHallPrimary, kHallStatusSecondary);
    if (hall & kRequestService) return hall;
    // The request was not the electronics': the ITC5 is the other device that
    // raises one, and it keeps SRQ asserted until it is polled.
    if (config_.controllerKind == ControllerKind::ITC5) SerialPoll(kItcPrimary, -1);
    return 0;
}

void NiGpibBus::RemoteOnly(bool on) {
    // An address list holding only the end mark: the REN line alone.
    const NiDriver::Address none[] = {kNoAddress};
    if (on)
        driver_.EnableRemote(kBoard, none);
    else
        driver_.EnableLocal(kBoard, none);
}

void NiGpibBus::SetRemote(bool on) {
    RemoteOnly(on);
}

int NiGpibBus::ReadItcByte() {
    unsigned char byte = 0;
    driver_.Receive(kBoard, kItcPrimary, &byte, 1, NiDriver::STOPend);
    Check();
    return driver_.ibcntl > 0 ? byte : 0;
}

void NiGpibBus::ItcWrite(const std::string& text) {
    if (config_.bytewiseItc) ItcLink::Drain([this] { return ReadItcByte(); });
    const std::string command = text + "\r";
    driver_.Send(kBoard, kItcPrimary, command.data(), static_cast<long>(command.size()),
                 NiDriver::NULLend);
    Check();
}

std::string NiGpibBus::ItcRead() {
    if (config_.bytewiseItc) return ItcLink::ReadReply([this] { return ReadItcByte(); });
    char buffer[kItcReplyBytes + 1] = {};
    driver_.Receive(kBoard, kItcPrimary, buffer, kItcReplyBytes, '\r');
    const long count = driver_.ibcntl;
    if (count != 0)
        buffer[(count > 0 && count <= kItcReplyBytes) ? count - 1 : kItcReplyBytes] = '\0';
    Check();
    return buffer;
}

GpibBus::PageResult NiGpibBus::InterfaceCommand(int kind, int primary, int secondary) {
    PageResult result;
    if (config_.noInstrument || kind < 0 || kind > 7) return result;
    switch (kind) {
        case 1:
            result.data = Printf("%d", SerialPoll(primary, secondary));
            break;
        case 2:
            driver_.DevClear(kBoard, AddressWord(primary, secondary));
            break;
        case 3:
            driver_.DevClear(kBoard, kNoAddress);
            break;
        case 4: {
            const unsigned char goToLocal = 0x01;
            driver_.SendCmds(kBoard, &goToLocal, 1);
            break;
        }
        case 5:
            driver_.SendLLO(kBoard);
            break;
        case 6:
            driver_.SendIFC(kBoard);
            break;
        case 7: {
            short lines = 0;
            driver_.iblines(kBoard, &lines);
            Check();
            RemoteOnly(!(lines & kRenLine));
            break;
        }
    }
    if (kind != 0) Check();
    short lines = 0;
    driver_.iblines(kBoard, &lines);
    Check();
    result.lines = (lines & kRenLine) ? "Remote" : "Local";
    return result;
}

std::unique_ptr<GpibBus> MakeGpibBus(const RunConfig& config) {
    return std::make_unique<NiGpibBus>(config);
}
