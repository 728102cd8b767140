// The NI-488.2 C interface over the virtual rack, in the flavour of the NI
// driver: status in the exported variables user_ibsta, user_iberr and
// user_ibcntl, end modes NULLend 0, NLend 1, DABend 2.
#include <cstring>
#include <string>

#include "vantris_sim/RackInstance.h"

namespace {

using vantris::sim::BusStatus;
using vantris::sim::Rack;

constexpr int kErr = 0x8000;
constexpr int kTimo = 0x4000;
constexpr int kEnd = 0x2000;
constexpr int kSrqi = 0x1000;
constexpr int kCmpl = 0x100;

constexpr int kEnol = 2;
constexpr int kEarg = 4;
constexpr int kEabo = 6;
constexpr int kEneb = 7;

constexpr unsigned short kNoAddress = 0xFFFF;
constexpr int kNlEnd = 1;
constexpr int kDabEnd = 2;
constexpr int kStopEnd = 0x100;

constexpr short kLinesValid = 0x00FF;
constexpr short kBusRen = 0x1000;
constexpr short kBusSrq = 0x2000;

int g_timeout = 11;

}  // namespace

extern "C" {
int user_ibsta = 0;
int user_iberr = 0;
long user_ibcntl = 0;
}

namespace {

// Sets the status variables after a call; returns user_ibsta.
int Finish(Rack* rack, int error, long count, int extra = 0) {
    int status = kCmpl | extra;
    if (error >= 0) {
        status |= kErr;
        user_iberr = error;
    }
    if (rack && rack->ServiceRequest()) status |= kSrqi;
    user_ibsta = status;
    user_ibcntl = count;
    return status;
}

// The rack when the board exists; otherwise sets ENEB and returns null.
Rack* Board(int board) {
    Rack* rack = board == 0 ? vantris::sim::TheRack() : nullptr;
    if (!rack) Finish(nullptr, kEneb, 0);
    return rack;
}

bool Decode(unsigned short address, int& primary, int& secondary) {
    primary = address & 0xFF;
    const int high = address >> 8;
    if (primary > 30) return false;
    if (high == 0) {
        secondary = -1;
        return true;
    }
    if ((high & 0x60) != 0x60 || (high & 0x1F) > 30) return false;
    secondary = high & 0x1F;
    return true;
}

}  // namespace

extern "C" {

int ibtmo(int ud, int v) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(ud);
    if (!rack) return user_ibsta;
    if (v < 0 || v > 17) return Finish(rack, kEarg, 0);
    g_timeout = v;
    return Finish(rack, -1, 0);
}

int iblines(int ud, short* result) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(ud);
    if (!rack) return user_ibsta;
    if (!result) return Finish(rack, kEarg, 0);
    short lines = kLinesValid;
    if (rack->RemoteEnable()) lines |= kBusRen;
    if (rack->ServiceRequest()) lines |= kBusSrq;
    *result = lines;
    return Finish(rack, -1, 0);
}

void SendIFC(int board) {
    std::lock_guard lock(vantris::sim::RackMutex());
    if (Rack* rack = Board(board)) Finish(rack, -1, 0);
}

void SendLLO(int board) {
    std::lock_guard lock(vantris::sim::RackMutex());
    if (Rack* rack = Board(board)) Finish(rack, -1, 0);
}

void SendCmds(int board, const void* cmds, long count) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    if (count < 0 || (!cmds && count > 0)) {
        Finish(rack, kEarg, 0);
        return;
    }
    Finish(rack, -1, count);
}

void Send(int board, unsigned short address, const void* buffer, long count, int eotMode) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    int primary = 0, secondary = 0;
    if (count < 0 || (!buffer && count > 0) || !Decode(address, primary, secondary)) {
        Finish(rack, kEarg, 0);
        return;
    }
    std::string data(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
    if (eotMode == kNlEnd) data += '\n';
    const bool eoi = eotMode == kNlEnd || eotMode == kDabEnd;
    if (rack->Write(primary, secondary, data, eoi) != BusStatus::Ok) {
        Finish(rack, kEnol, 0);
        return;
    }
    Finish(rack, -1, count);
}

void Receive(int board, unsigned short address, void* buffer, long count, int termination) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    int primary = 0, secondary = 0;
    if (count < 0 || (!buffer && count > 0) || !Decode(address, primary, secondary)) {
        Finish(rack, kEarg, 0);
        return;
    }
    const int terminator = termination == kStopEnd ? -1 : (termination & 0xFF);
    const auto result = rack->Read(primary, secondary, static_cast<std::size_t>(count), terminator);
    if (result.status != BusStatus::Ok) {
        Finish(rack, kEabo, 0, kTimo);
        return;
    }
    std::memcpy(buffer, result.data.data(), result.data.size());
    Finish(rack, -1, static_cast<long>(result.data.size()), result.end ? kEnd : 0);
}

void ReadStatusByte(int board, unsigned short address, short* result) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    int primary = 0, secondary = 0;
    if (!result || !Decode(address, primary, secondary)) {
        Finish(rack, kEarg, 0);
        return;
    }
    const auto status = rack->SerialPoll(primary, secondary);
    if (!status) {
        Finish(rack, kEabo, 0, kTimo);
        return;
    }
    *result = static_cast<short>(*status);
    Finish(rack, -1, 0);
}

void TestSRQ(int board, short* result) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    if (!result) {
        Finish(rack, kEarg, 0);
        return;
    }
    *result = rack->ServiceRequest() ? 1 : 0;
    Finish(rack, -1, 0);
}

void DevClear(int board, unsigned short address) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    int primary = -1, secondary = 0;
    if (address != kNoAddress && !Decode(address, primary, secondary)) {
        Finish(rack, kEarg, 0);
        return;
    }
    Finish(rack, rack->DeviceClear(primary) ? -1 : kEnol, 0);
}

void EnableLocal(int board, const unsigned short* addressList) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    // Without a list (or an empty one) REN is released; single devices going
    // to local leave the line alone.
    if (!addressList || addressList[0] == kNoAddress) rack->SetRemoteEnable(false);
    Finish(rack, -1, 0);
}

void EnableRemote(int board, const unsigned short* /*addressList*/) {
    std::lock_guard lock(vantris::sim::RackMutex());
    Rack* rack = Board(board);
    if (!rack) return;
    rack->SetRemoteEnable(true);
    Finish(rack, -1, 0);
}

}  // extern "C"
