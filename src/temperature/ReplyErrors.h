#pragma once
// A controller reply that carries no value is a failed transfer: the caller
// shows it like a bus error, with what came back.
#include <string>

[[noreturn]] void ThrowUnreadable(const char* device, const std::string& reply);
// A reply as a message shows it: printable characters only ('?' for the
// others), at most 24 of them.
std::string ShownReply(const std::string& reply);
