#include "ReplyErrors.h"

#include "Printf.h"
#include "xmsg.h"

void ThrowUnreadable(const char* device, const std::string& reply) {
    // Only printable characters, and not too many of them, reach the box.
    std::string shown;
    for (char c : reply) {
        if (shown.size() >= 24) {
            shown += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        shown += (u >= 0x20 && u < 0x7f) ? c : '?';
    }
    throw xgpib(Printf("The %s's reply \"%s\" carries no value.", device, shown.c_str()));
}
