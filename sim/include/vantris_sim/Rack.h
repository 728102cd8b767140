#pragma once
// The virtual instrument rack: every instrument on one GPIB bus (Hall
// electronics at 3, LN2 controller at 12, ITC5 at 24) and on serial lines
// (buffer amplifier, hot stage), the specimen and the clock. No threads and
// no timers: each call brings the state up to the present rack time.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "vantris_sim/BufferAmplifier.h"
#include "vantris_sim/FaultInjector.h"
#include "vantris_sim/HallElectronics.h"
#include "vantris_sim/HotStage.h"
#include "vantris_sim/Itc5Controller.h"
#include "vantris_sim/Ln2Controller.h"
#include "vantris_sim/RackClock.h"
#include "vantris_sim/RackConfig.h"
#include "vantris_sim/Specimen.h"

namespace vantris::sim {

enum class BusStatus { Ok, NoListener, Timeout };

struct ReadResult {
    BusStatus status = BusStatus::Ok;
    std::string data;
    bool end = false;  // the device ended its message (EOI or the terminator)
};

class Rack {
  public:
    static constexpr int kHallPrimary = 3;
    static constexpr int kLn2Primary = 12;
    static constexpr int kItc5Primary = 24;
    static constexpr std::size_t kMaxInput = 512;
    static constexpr std::size_t kMaxSerialOutput = 4096;
    static constexpr std::size_t kLongReply = 300;

    explicit Rack(const RackConfig& config = RackConfig{});
    Rack(const Rack&) = delete;
    Rack& operator=(const Rack&) = delete;

    RackClock& Clock() { return clock_; }
    double Now() { return clock_.Now(); }
    const RackConfig& Config() const { return config_; }

    // The bus. secondary -1: the primary address alone. terminator -1: none.
    bool Present(int primary) const;
    BusStatus Write(int primary, int secondary, std::string_view data, bool eoi);
    ReadResult Read(int primary, int secondary, std::size_t max, int terminator);
    std::optional<int> SerialPoll(int primary, int secondary);
    bool ServiceRequest();
    bool DeviceClear(int primary);  // -1: every device
    void SetRemoteEnable(bool on) { remoteEnable_ = on; }
    bool RemoteEnable() const { return remoteEnable_; }

    // Test conveniences: a command with a line feed and EOI, and a whole
    // reply without its terminator (nothing on a time-out).
    BusStatus Command(int primary, int secondary, const std::string& text);
    std::optional<std::string> Query(int primary, int secondary);

    // Serial lines by port name ("COM1"); handles are small integers.
    int SerialOpen(const std::string& name);
    long SerialWrite(int handle, const void* data, long count);
    long SerialRead(int handle, void* data, long max);
    void SerialSetRts(int handle, bool on);
    bool SerialCts(int handle);
    void SerialClose(int handle);

    double SpecimenTemperature();
    SpecimenTruth Truth();

    HallElectronics& Hall() { return *hall_; }
    Ln2Controller& Ln2() { return *ln2_; }
    Itc5Controller& Itc5() { return *itc5_; }
    HotStage& Hot() { return *hot_; }
    BufferAmplifier& Buffer() { return buffer_; }
    Specimen& TheSpecimen() { return specimen_; }

  private:
    struct FaultState {
        double silentFrom = 0.0;
        double silentUntil = 0.0;
        std::optional<FaultKind> armedReply;
        bool Silent(double now) const { return now >= silentFrom && now < silentUntil; }
    };
    struct Station {
        GpibDevice* device = nullptr;
        FaultDevice id = FaultDevice::Hall;
        std::map<int, std::string> input;   // by secondary
        std::map<int, std::string> output;  // the unread rest of a reply
    };
    struct Port {
        bool open = false;
        bool hot = false;    // else the buffer amplifier, unless empty
        bool empty = false;  // opens, but nothing is attached
        bool rts = false;
        std::string output;
    };

    Station* Find(int primary);
    FaultState& StateOf(FaultDevice id) { return faultStates_[static_cast<int>(id)]; }
    void Deliver(Station& station, int secondary, const std::string& text, double now);
    std::optional<FaultKind> ApplyFaults(FaultDevice id, const std::vector<const FaultConfig*>&,
                                         double now);
    std::optional<std::string> Spoil(std::optional<FaultKind> kind,
                                     std::optional<std::string> reply, char terminator);
    Port* FindPort(int handle);
    void MarkSetPoint(StageChoice stage) { lastSetPoint_ = stage; }

    RackConfig config_;
    RackClock clock_;
    Specimen specimen_;
    BufferAmplifier buffer_;
    std::mt19937_64 noise_;
    FaultInjector faults_;
    StageChoice lastSetPoint_ = StageChoice::Ambient;
    std::unique_ptr<Ln2Controller> ln2_;
    std::unique_ptr<Itc5Controller> itc5_;
    std::unique_ptr<HotStage> hot_;
    std::unique_ptr<HallElectronics> hall_;
    std::array<Station, 3> stations_;
    std::array<FaultState, 5> faultStates_;
    std::vector<Port> ports_;
    bool remoteEnable_ = false;
};

}  // namespace vantris::sim
