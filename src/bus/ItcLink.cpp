#include "bus/ItcLink.h"

#include "platform/TimeScale.h"

namespace ItcLink {
namespace {
constexpr int kMaxDrainBytes = 4096;
}  // namespace

void Drain(const ByteReader& readByte) {
    for (int i = 0; i < kMaxDrainBytes; ++i)
        if (readByte() == 0) return;
}

std::string ReadReply(const ByteReader& readByte) {
    std::string text;
    const double start = TimeScale::Seconds();
    while (TimeScale::Seconds() - start < 1.0) {
        const int byte = readByte();
        if (byte == 0) continue;
        if (byte == '\r') break;
        if (text.size() < static_cast<std::size_t>(kReplyBytes)) text += static_cast<char>(byte);
    }
    return text;
}
}  // namespace ItcLink
