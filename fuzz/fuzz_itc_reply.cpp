// The byte-wise ITC5 link: a reply is the bytes before the first carriage
// return with the 0 fillers left out, at most one buffer long; a drain stops
// at the first 0 and never reads without bound. The fuzz input is the stream
// of bytes the link delivers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bus/ItcLink.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the operation. The link below ends a reply with
    // a carriage return once the input is used up, so the reply's one-second
    // window never runs out on the way.
    const bool drain = data[0] & 1;
    const std::uint8_t* stream = data + 1;
    const std::size_t length = size - 1;
    std::size_t pos = 0;
    std::size_t readsPastEnd = 0;
    const ItcLink::ByteReader reader = [&]() -> int {
        if (pos < length) return stream[pos++];
        ++readsPastEnd;
        // A well-behaved link ends with a carriage return when asked to; a
        // drain sees the filler.
        return drain ? 0 : '\r';
    };

    if (drain) {
        ItcLink::Drain(reader);
        std::size_t firstZero = 0;
        while (firstZero < length && stream[firstZero] != 0) ++firstZero;
        Check(pos <= 4096);
        if (firstZero < length && firstZero < 4096) Check(pos == firstZero + 1);
        return 0;
    }

    const std::string reply = ItcLink::ReadReply(reader);
    std::string expect;
    for (std::size_t i = 0; i < length && stream[i] != '\r'; ++i)
        if (stream[i] != 0 && expect.size() < static_cast<std::size_t>(ItcLink::kReplyBytes))
            expect += static_cast<char>(stream[i]);
    Check(reply.size() <= static_cast<std::size_t>(ItcLink::kReplyBytes));
    Check(reply.find('\r') == std::string::npos);
    Check(reply.find('\0') == std::string::npos);
    Check(reply == expect);
    Check(readsPastEnd <= 1);
    return 0;
}
