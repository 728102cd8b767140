#include "vantris_sim/BufferAmplifier.h"

namespace vantris::sim {

void BufferAmplifier::WriteByte(std::uint8_t byte) {
    if (byte & 0x80) {
        // Pair byte: bit 0 puts contact 1 on the source side, bit 1 on the
        // sink side; bit 3 and bit 2 do the same for contact 2, bit 4 puts 3
        // on the source side and bit 5 puts 4 on the sink side. 128 alone
        // opens every switch; 1 on both sides (0x83) is the zero reference.
        from_ = to_ = 0;
        zeroReference_ = false;
        const int sources = (byte & 0x01 ? 1 : 0) + (byte & 0x08 ? 1 : 0) + (byte & 0x10 ? 1 : 0);
        const int sinks = (byte & 0x02 ? 1 : 0) + (byte & 0x04 ? 1 : 0) + (byte & 0x20 ? 1 : 0);
        if (sources != 1 || sinks != 1) return;
        const int from = byte & 0x01 ? 1 : byte & 0x08 ? 2 : 3;
        const int to = byte & 0x02 ? 1 : byte & 0x04 ? 2 : 4;
        if (from == to) {
            zeroReference_ = true;
            return;
        }
        from_ = from;
        to_ = to;
        return;
    }
    if (byte & 0x40) {
        multiplier_ = 1.0;  // no buffered range: the source current passes as it is
        return;
    }
    if (byte & 0x20) {
        if (byte & 0x10)
            multiplier_ = 2e6;
        else if (byte & 0x08)
            multiplier_ = 2e5;
        else if (byte & 0x04)
            multiplier_ = 2e4;
        else if (byte & 0x02)
            multiplier_ = 2e3;
        else if (byte & 0x01)
            multiplier_ = 2e2;
    }
}

}  // namespace vantris::sim
