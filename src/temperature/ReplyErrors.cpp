#include "temperature/ReplyErrors.h"

#include "core/Printf.h"
#include "core/xmsg.h"

std::string ShownReply(const std::string& reply) {
    std::string shown;
    for (char c : reply) {
        if (shown.size() >= 24) {
            shown += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        shown += (u >= 0x20 && u < 0x7f) ? c : '?';
    }
    return shown;
}

void ThrowUnreadable(const char* device, const std::string& reply) {
    throw xgpib(
        Printf("The %s's reply \"%s\" carries no value.", device, ShownReply(reply).c_str()));
}
