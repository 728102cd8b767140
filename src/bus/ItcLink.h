#pragma once
// The byte-wise link to the ITC5 (start-up switch /g), the same for both
// back-ends: only how one byte is read differs.
#include <functional>
#include <string>

namespace ItcLink {
// An ITC5 reply buffer holds 40 characters.
inline constexpr int kReplyBytes = 40;
// Reads one byte; 0 when the link holds nothing (a bus error is raised).
using ByteReader = std::function<int()>;

// Drains pending input until a byte 0. A filler-free stream would keep the
// drain going for ever; no sane ITC5 reply is anywhere near 4096 bytes.
void Drain(const ByteReader& readByte);
// One reply: for at most one second, bytes 0 are skipped, a carriage return
// ends it, every other byte is kept (up to the reply buffer's size).
std::string ReadReply(const ByteReader& readByte);
}  // namespace ItcLink
