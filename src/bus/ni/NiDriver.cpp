#include "bus/ni/NiDriver.h"

#include <cerrno>
#include <cstdlib>

#include "core/RunConfig.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

const char* const kEntryNames[] = {
    "ibtmo",   "iblines",        "SendIFC", "SendLLO",  "SendCmds",    "Send",
    "Receive", "ReadStatusByte", "TestSRQ", "DevClear", "EnableLocal", "EnableRemote",
};

#ifdef _WIN32
void* OpenLibrary(const std::string& name) {
    return reinterpret_cast<void*>(LoadLibraryA(name.c_str()));
}
void* Symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void CloseLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
long SystemError() {
    return static_cast<long>(GetLastError());
}
#else
void* OpenLibrary(const std::string& name) {
    errno = 0;
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Symbol(void* library, const char* name) {
    return dlsym(library, name);
}
void CloseLibrary(void* library) {
    dlclose(library);
}
long SystemError() {
    return errno;
}
#endif

template <typename T>
T As(void* address) {
    return reinterpret_cast<T>(address);
}

}  // namespace

NiDriver::~NiDriver() {
    Unload();
}

std::string NiDriver::LibraryName(const RunConfig& config) {
    if (!config.gpibLibrary.empty()) return config.gpibLibrary;
    if (const char* env = std::getenv("VANTRIS_GPIB_LIBRARY"); env && *env) return env;
#ifdef _WIN32
    return "GPIB-32.DLL";
#else
    return "libgpib.so.0";
#endif
}

bool NiDriver::Load() {
    if (library_) return true;
    const std::string name = LibraryName(config_);
    void* library = OpenLibrary(name);
    if (!library) {
        MarkUnavailable(SystemError());
        return false;
    }

    // Tell the family by what it exports. The NI names come first: a library
    // that publishes user_ibsta is the NI driver whatever else it exports.
    Family family = Family::None;
    if (void* sta = Symbol(library, "user_ibsta")) {
        statusVar_ = As<volatile int*>(sta);
        errorVar_ = As<volatile int*>(Symbol(library, "user_iberr"));
        countLongVar_ = As<volatile long*>(Symbol(library, "user_ibcntl"));
        countVar_ = nullptr;
        if (errorVar_ && countLongVar_) family = Family::Ni;
    } else if (void* plain = Symbol(library, "ibsta")) {
        statusVar_ = As<volatile int*>(plain);
        errorVar_ = As<volatile int*>(Symbol(library, "iberr"));
        countVar_ = As<volatile int*>(Symbol(library, "ibcnt"));
        countLongVar_ = As<volatile long*>(Symbol(library, "ibcntl"));
        if (errorVar_ && (countVar_ || countLongVar_)) family = Family::LinuxGpib;
    } else {
        auto first = [library](std::initializer_list<const char*> names) -> IntFunction {
            for (const char* n : names)
                if (void* f = Symbol(library, n)) return As<IntFunction>(f);
            return nullptr;
        };
        statusFn_ = first({"Ibsta", "ThreadIbsta"});
        errorFn_ = first({"Iberr", "ThreadIberr"});
        countFn_ = first({"Ibcntl", "Ibcnt", "ThreadIbcntl", "ThreadIbcnt"});
        if (statusFn_ && errorFn_ && countFn_) family = Family::StatusFunctions;
    }

    if (family == Family::None) {
        // Not a driver we can read the status of: let it go and try again next call.
        CloseLibrary(library);
        statusVar_ = errorVar_ = countVar_ = nullptr;
        countLongVar_ = nullptr;
        statusFn_ = errorFn_ = countFn_ = nullptr;
        MarkUnavailable(0);
        return false;
    }
    library_ = library;
    family_ = family;
    loadedName_ = name;
    for (auto& entry : entries_) entry = nullptr;
    return true;
}

void NiDriver::Unload() {
    if (library_) CloseLibrary(library_);
    library_ = nullptr;
    family_ = Family::None;
    loadedName_.clear();
}

void NiDriver::MarkUnavailable(long systemError) {
    ibsta = ERR;
    iberr = EDVR;
    ibcnt = static_cast<int>(systemError);
    ibcntl = systemError;
}

void* NiDriver::Resolve(Entry entry) {
    if (!Load()) return nullptr;
    if (!entries_[entry]) entries_[entry] = Symbol(library_, kEntryNames[entry]);
    if (!entries_[entry]) MarkUnavailable(SystemError());
    return entries_[entry];
}

void NiDriver::CopyStatus() {
    switch (family_) {
        case Family::Ni:
            ibsta = *statusVar_;
            iberr = *errorVar_;
            ibcntl = *countLongVar_;
            ibcnt = static_cast<int>(ibcntl);
            break;
        case Family::LinuxGpib:
            ibsta = *statusVar_;
            iberr = *errorVar_;
            ibcntl = countLongVar_ ? *countLongVar_ : *countVar_;
            ibcnt = countVar_ ? *countVar_ : static_cast<int>(ibcntl);
            break;
        case Family::StatusFunctions:
            ibsta = statusFn_();
            iberr = errorFn_();
            ibcntl = countFn_();
            ibcnt = static_cast<int>(ibcntl);
            break;
        case Family::None:
            break;
    }
}

int NiDriver::DriverEndMode(int endMode) const {
    // linux-gpib numbers the two end modes the other way round.
    if (family_ != Family::LinuxGpib) return endMode;
    if (endMode == NLend) return DABend;
    if (endMode == DABend) return NLend;
    return endMode;
}

int NiDriver::ibtmo(int ud, int value) {
    auto fn = As<int(VANTRIS_GPIB_CALL*)(int, int)>(Resolve(kIbtmo));
    if (!fn) return ibsta;
    const int result = fn(ud, value);
    CopyStatus();
    return result;
}

int NiDriver::iblines(int ud, short* lines) {
    auto fn = As<int(VANTRIS_GPIB_CALL*)(int, short*)>(Resolve(kIblines));
    if (!fn) return ibsta;
    const int result = fn(ud, lines);
    CopyStatus();
    return result;
}

void NiDriver::SendIFC(int board) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int)>(Resolve(kSendIFC));
    if (!fn) return;
    fn(board);
    CopyStatus();
}

void NiDriver::SendLLO(int board) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int)>(Resolve(kSendLLO));
    if (!fn) return;
    fn(board);
    CopyStatus();
}

void NiDriver::SendCmds(int board, const void* commands, long count) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, const void*, long)>(Resolve(kSendCmds));
    if (!fn) return;
    fn(board, commands, count);
    CopyStatus();
}

void NiDriver::Send(int board, Address address, const void* buffer, long count, int endMode) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, Address, const void*, long, int)>(Resolve(kSend));
    if (!fn) return;
    fn(board, address, buffer, count, DriverEndMode(endMode));
    CopyStatus();
}

void NiDriver::Receive(int board, Address address, void* buffer, long count, int termination) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, Address, void*, long, int)>(Resolve(kReceive));
    if (!fn) return;
    fn(board, address, buffer, count, termination);
    CopyStatus();
}

void NiDriver::ReadStatusByte(int board, Address address, short* result) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, Address, short*)>(Resolve(kReadStatusByte));
    if (!fn) return;
    fn(board, address, result);
    CopyStatus();
}

void NiDriver::TestSRQ(int board, short* result) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, short*)>(Resolve(kTestSRQ));
    if (!fn) return;
    fn(board, result);
    CopyStatus();
}

void NiDriver::DevClear(int board, Address address) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, Address)>(Resolve(kDevClear));
    if (!fn) return;
    fn(board, address);
    CopyStatus();
}

void NiDriver::EnableLocal(int board, const Address* addressList) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, const Address*)>(Resolve(kEnableLocal));
    if (!fn) return;
    fn(board, addressList);
    CopyStatus();
}

void NiDriver::EnableRemote(int board, const Address* addressList) {
    auto fn = As<void(VANTRIS_GPIB_CALL*)(int, const Address*)>(Resolve(kEnableRemote));
    if (!fn) return;
    fn(board, addressList);
    CopyStatus();
}
