#pragma once
// The NI-488.2 driver library, reached at run time. The library is loaded on
// the first call of any entry point (and tried again on the next call after a
// failure); each entry point is looked up by name on its first use and kept.
// After every call the driver's status, error and count are copied into the
// four fields below, whichever way this driver family publishes them.
#include <string>

#ifdef _WIN32
#define VANTRIS_GPIB_CALL __stdcall
#else
#define VANTRIS_GPIB_CALL
#endif

struct RunConfig;

class NiDriver {
  public:
    using Address = unsigned short;  // Addr4882_t

    // How the loaded library publishes its status.
    enum class Family {
        None,             // not loaded
        Ni,               // user_ibsta, user_iberr, user_ibcntl variables
        LinuxGpib,        // ibsta, iberr, ibcnt, ibcntl variables; end modes swapped
        StatusFunctions,  // Ibsta(), Iberr(), Ibcnt() or ThreadIbsta() ... functions
    };

    // End modes and terminations as callers give them (the NI values).
    static constexpr int NULLend = 0;
    static constexpr int NLend = 1;
    static constexpr int DABend = 2;
    static constexpr int STOPend = 0x100;
    static constexpr int ERR = 0x8000;
    static constexpr int EDVR = 0;

    explicit NiDriver(const RunConfig& config) : config_(config) {}
    ~NiDriver();
    NiDriver(const NiDriver&) = delete;
    NiDriver& operator=(const NiDriver&) = delete;

    // The library tried on the next load: the configured one, else
    // VANTRIS_GPIB_LIBRARY, else the system's default driver.
    static std::string LibraryName(const RunConfig& config);

    Family LoadedFamily() const { return family_; }
    const std::string& LoadedName() const { return loadedName_; }

    int ibtmo(int ud, int value);
    int iblines(int ud, short* lines);
    void SendIFC(int board);
    void SendLLO(int board);
    void SendCmds(int board, const void* commands, long count);
    void Send(int board, Address address, const void* buffer, long count, int endMode);
    void Receive(int board, Address address, void* buffer, long count, int termination);
    void ReadStatusByte(int board, Address address, short* result);
    void TestSRQ(int board, short* result);
    void DevClear(int board, Address address);
    void EnableLocal(int board, const Address* addressList);
    void EnableRemote(int board, const Address* addressList);

    int ibsta = 0;
    int iberr = 0;
    int ibcnt = 0;
    long ibcntl = 0;

  private:
    const RunConfig& config_;
    enum Entry {
        kIbtmo,
        kIblines,
        kSendIFC,
        kSendLLO,
        kSendCmds,
        kSend,
        kReceive,
        kReadStatusByte,
        kTestSRQ,
        kDevClear,
        kEnableLocal,
        kEnableRemote,
        kEntryCount
    };

    bool Load();
    void Unload();
    // The entry point, or null after marking the call failed (EDVR).
    void* Resolve(Entry entry);
    void MarkUnavailable(long systemError);
    void CopyStatus();
    int DriverEndMode(int endMode) const;

    void* library_ = nullptr;
    Family family_ = Family::None;
    std::string loadedName_;
    void* entries_[kEntryCount] = {};

    // Status published as variables ...
    volatile int* statusVar_ = nullptr;
    volatile int* errorVar_ = nullptr;
    volatile int* countVar_ = nullptr;  // linux-gpib's int ibcnt, when present
    volatile long* countLongVar_ = nullptr;
    // ... or through functions.
    using IntFunction = int(VANTRIS_GPIB_CALL*)();
    IntFunction statusFn_ = nullptr;
    IntFunction errorFn_ = nullptr;
    IntFunction countFn_ = nullptr;
};
