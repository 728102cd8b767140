// A stand-in NI-488.2 driver library for the bus tests, built once per driver
// family (see CMakeLists.txt). It records every call and answers from a script
// set with fakegpib_script():
//
//   reply ADDR TEXT     queue reply bytes for ADDR (C escapes \n \r \0 \xHH)
//   idle ADDR           with nothing queued, Receive from ADDR gives one 0 byte
//   absent ADDR         Send to ADDR fails with ENOL
//   fail NAME ERR       the next call of NAME fails with error ERR
//   noboard             every call fails with ENEB
//   stb ADDR VALUE      status byte of ADDR
//   srq 0|1             TestSRQ's answer
//   lines VALUE         iblines' answer; EnableRemote/EnableLocal set/clear REN
//   always ADDR TEXT    with nothing queued, Receive from ADDR gives TEXT again
//   nolog               keep no log (benchmarks)
//
// ADDR is the 16-bit address word (decimal or 0x...). Receive from an address
// with nothing queued times out (EABO).
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <sstream>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#define FAKE_VARIABLE __attribute__((visibility("default")))

namespace {
constexpr int ERR = 0x8000, TIMO = 0x4000, END = 0x2000, CMPL = 0x100;
constexpr int ENOL = 2, EABO = 6, ENEB = 7;

struct Fake {
    std::map<unsigned, std::deque<char>> replies;
    std::set<unsigned> idle, absent;
    std::map<unsigned, std::string> always;
    bool logging = true;
    std::map<std::string, int> failNext;
    std::map<unsigned, int> statusBytes;
    bool noBoard = false;
    int srq = 0;
    int lines = 0;
    std::string log;
    int sta = 0, err = 0;
    long cnt = 0;
};
Fake& F() {
    static Fake fake;
    return fake;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        static const std::map<char, char> kEscapes{
            {'n', '\n'}, {'r', '\r'}, {'0', '\0'}, {'s', ' '}};
        const char c = text[++i];
        if (auto e = kEscapes.find(c); e != kEscapes.end())
            out += e->second;
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

std::string Escape(const char* data, long count) {
    std::string out;
    for (long i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (!F().logging) return;
    F().log += line;
    F().log += '\n';
}

void Publish();

// The status of a call failing with `error`; a time-out sets TIMO too.
void SetError(int error) {
    F().sta = ERR | (error == EABO ? TIMO : 0);
    F().err = error;
    F().cnt = 0;
    Publish();
}

// Whether the call fails by script; sets the status when it does.
bool Fails(const char* name) {
    Fake& f = F();
    int error = -1;
    if (f.noBoard)
        error = ENEB;
    else if (auto it = f.failNext.find(name); it != f.failNext.end()) {
        error = it->second;
        f.failNext.erase(it);
    }
    if (error < 0) return false;
    SetError(error);
    return true;
}

void Succeed(long count, int extra = 0) {
    F().sta = CMPL | extra;  // iberr keeps its old value, as real drivers do
    F().cnt = count;
    Publish();
}
}  // namespace

// ---- status, the way this family publishes it ----
#if defined(FAKE_FAMILY_NI)
extern "C" {
FAKE_VARIABLE int user_ibsta = 0;
FAKE_VARIABLE int user_iberr = 0;
FAKE_VARIABLE long user_ibcntl = 0;
}
namespace {
void Publish() {
    user_ibsta = F().sta;
    user_iberr = F().err;
    user_ibcntl = F().cnt;
}
}  // namespace
#elif defined(FAKE_FAMILY_LINUX)
extern "C" {
FAKE_VARIABLE int ibsta = 0;
FAKE_VARIABLE int iberr = 0;
FAKE_VARIABLE int ibcnt = 0;
FAKE_VARIABLE long ibcntl = 0;
}
namespace {
void Publish() {
    ibsta = F().sta;
    iberr = F().err;
    ibcnt = static_cast<int>(F().cnt);
    ibcntl = F().cnt;
}
}  // namespace
#else
// The families below publish nothing; their status functions read the fake.
namespace {
void Publish() {}
}  // namespace
// One status function: the fake's value in the function's type.
#define STATUS_FUNCTION(type, name, value)   \
    FAKE_EXPORT type name() {                \
        return static_cast<type>(F().value); \
    }
#if defined(FAKE_FAMILY_FUNCTIONS)
STATUS_FUNCTION(int, Ibsta, sta)
STATUS_FUNCTION(int, Iberr, err)
STATUS_FUNCTION(long, Ibcnt, cnt)
#elif defined(FAKE_FAMILY_THREAD)
STATUS_FUNCTION(int, ThreadIbsta, sta)
STATUS_FUNCTION(int, ThreadIberr, err)
STATUS_FUNCTION(int, ThreadIbcnt, cnt)
STATUS_FUNCTION(long, ThreadIbcntl, cnt)
#endif  // neither: no status at all, not a driver the bus can use
#endif

// ---- script and log ----
FAKE_EXPORT void fakegpib_script(const char* script) {
    Fake& f = F();
    f = Fake();
    Publish();
    std::istringstream lines(script ? script : "");
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        auto number = [&words]() {
            std::string text;
            words >> text;
            return static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 0));
        };
        auto text = [&words]() {
            std::string rest;
            std::getline(words >> std::ws, rest);
            return Unescape(rest);
        };
        if (word == "reply") {
            const unsigned address = number();
            for (char c : text()) f.replies[address].push_back(c);
        } else if (word == "always") {
            const unsigned address = number();
            f.always[address] = text();
        } else if (word == "nolog") {
            f.logging = false;
        } else if (word == "idle") {
            f.idle.insert(number());
        } else if (word == "absent") {
            f.absent.insert(number());
        } else if (word == "fail") {
            std::string name;
            words >> name;
            f.failNext[name] = static_cast<int>(number());
        } else if (word == "noboard") {
            f.noBoard = true;
        } else if (word == "stb") {
            const unsigned address = number();
            f.statusBytes[address] = static_cast<int>(number());
        } else if (word == "srq") {
            f.srq = static_cast<int>(number());
        } else if (word == "lines") {
            f.lines = static_cast<int>(number());
        }
    }
}

FAKE_EXPORT const char* fakegpib_log() {
    return F().log.c_str();
}

// ---- NI-488.2 entry points ----
FAKE_EXPORT int ibtmo(int ud, int value) {
    Log("ibtmo %d %d", ud, value);
    if (!Fails("ibtmo")) Succeed(0);
    return F().sta;
}

FAKE_EXPORT int iblines(int ud, short* result) {
    Log("iblines %d", ud);
    if (!Fails("iblines")) {
        *result = static_cast<short>(F().lines);
        Succeed(0);
    }
    return F().sta;
}

FAKE_EXPORT void SendIFC(int board) {
    Log("SendIFC %d", board);
    if (!Fails("SendIFC")) Succeed(0);
}

#ifndef FAKE_WITHOUT_SENDLLO
FAKE_EXPORT void SendLLO(int board) {
    Log("SendLLO %d", board);
    if (!Fails("SendLLO")) Succeed(0);
}
#endif

FAKE_EXPORT void SendCmds(int board, const void* commands, long count) {
    Log("SendCmds %d '%s'", board, Escape(static_cast<const char*>(commands), count).c_str());
    if (!Fails("SendCmds")) Succeed(count);
}

FAKE_EXPORT void Send(int board, unsigned short address, const void* buffer, long count,
                      int endMode) {
    Log("Send %d 0x%04X e=%d '%s'", board, address, endMode,
        Escape(static_cast<const char*>(buffer), count).c_str());
    if (Fails("Send")) return;
    if (F().absent.count(address))
        SetError(ENOL);
    else
        Succeed(count);
}

FAKE_EXPORT void Receive(int board, unsigned short address, void* buffer, long count,
                         int termination) {
    Log("Receive %d 0x%04X n=%ld t=0x%X", board, address, count, termination);
    if (Fails("Receive")) return;
    Fake& f = F();
    auto& queue = f.replies[address];
    if (queue.empty()) {
        if (auto it = f.always.find(address); it != f.always.end())
            queue.assign(it->second.begin(), it->second.end());
    }
    if (queue.empty()) {
        if (f.idle.count(address) && count > 0) {
            static_cast<char*>(buffer)[0] = '\0';
            Succeed(1, END);
            return;
        }
        SetError(EABO);
        return;
    }
    long n = 0;
    bool ended = false;
    while (n < count && !queue.empty()) {
        const char c = queue.front();
        queue.pop_front();
        static_cast<char*>(buffer)[n++] = c;
        if (termination < 0x100 && static_cast<unsigned char>(c) == (termination & 0xFF)) {
            ended = true;
            break;
        }
    }
    Succeed(n, (ended || queue.empty()) ? END : 0);
}

FAKE_EXPORT void ReadStatusByte(int board, unsigned short address, short* result) {
    Log("ReadStatusByte %d 0x%04X", board, address);
    if (Fails("ReadStatusByte")) return;
    *result = static_cast<short>(F().statusBytes[address]);
    Succeed(0);
}

FAKE_EXPORT void TestSRQ(int board, short* result) {
    Log("TestSRQ %d", board);
    if (Fails("TestSRQ")) return;
    *result = static_cast<short>(F().srq);
    Succeed(0);
}

FAKE_EXPORT void DevClear(int board, unsigned short address) {
    Log("DevClear %d 0x%04X", board, address);
    if (!Fails("DevClear")) Succeed(0);
}

namespace {
std::string List(const unsigned short* addresses) {
    if (!addresses) return "null";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        char item[16];
        std::snprintf(item, sizeof item, "%s0x%04X", i ? "," : "", addresses[i]);
        text += item;
        if (addresses[i] == 0xFFFF) break;
    }
    return text;
}
}  // namespace

FAKE_EXPORT void EnableLocal(int board, const unsigned short* addresses) {
    Log("EnableLocal %d %s", board, List(addresses).c_str());
    if (Fails("EnableLocal")) return;
    F().lines &= ~0x1000;
    Succeed(0);
}

FAKE_EXPORT void EnableRemote(int board, const unsigned short* addresses) {
    Log("EnableRemote %d %s", board, List(addresses).c_str());
    if (Fails("EnableRemote")) return;
    F().lines |= 0x1000;
    Succeed(0);
}
