#include "vantris_sim/Rack.h"
#include "vantris_sim/Trace.h"

#include <cstdio>
#include <cstring>

namespace vantris::sim {
namespace {

constexpr int kAmbientK = 293;
constexpr int kNoSecondaryKey = 31;
constexpr std::size_t kMaxPorts = 16;

std::string Trimmed(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
    return text.substr(0, end);
}

}  // namespace

Rack::Rack(const RackConfig& config)
    : config_(config),
      specimen_(config_.specimen),
      noise_(config_.seed),
      faults_(config_.faults, config_.seed) {
    const double now = clock_.Now();
    ln2_ = std::make_unique<Ln2Controller>(config_.ln2, now,
                                           [this] { MarkSetPoint(StageChoice::Ln2); });
    itc5_ = std::make_unique<Itc5Controller>(config_.itc5, now,
                                             [this] { MarkSetPoint(StageChoice::Itc5); });
    hot_ = std::make_unique<HotStage>(config_.hot, now, [this] { MarkSetPoint(StageChoice::Hot); });
    hall_ = std::make_unique<HallElectronics>(
        config_, specimen_, buffer_, [this](double) { return SpecimenTemperature(); }, noise_);
    stations_[0] = Station{hall_.get(), FaultDevice::Hall, {}, {}};
    stations_[1] = Station{ln2_.get(), FaultDevice::Ln2, {}, {}};
    stations_[2] = Station{itc5_.get(), FaultDevice::Itc5, {}, {}};
}

bool Rack::Present(int primary) const {
    return primary == kHallPrimary || primary == kLn2Primary || primary == kItc5Primary;
}

Rack::Station* Rack::Find(int primary) {
    switch (primary) {
        case kHallPrimary:
            return &stations_[0];
        case kLn2Primary:
            return &stations_[1];
        case kItc5Primary:
            return &stations_[2];
        default:
            return nullptr;
    }
}

std::optional<FaultKind> Rack::ApplyFaults(FaultDevice id,
                                           const std::vector<const FaultConfig*>& fired,
                                           double now) {
    std::optional<FaultKind> replyFault;
    for (const FaultConfig* f : fired) {
        switch (f->kind) {
            case FaultKind::Timeout:
            case FaultKind::Garbage:
            case FaultKind::LongReply:
                replyFault = f->kind;
                break;
            case FaultKind::NoSrq:
                hall_->ArmNextMotion(MotionFlags{true, 0});
                break;
            case FaultKind::MotionFault:
                hall_->ArmNextMotion(MotionFlags{false, f->status});
                break;
            case FaultKind::LidOpen:
                hall_->OpenLid(now, f->seconds);
                break;
            case FaultKind::Silence:
                StateOf(id).silentFrom = now;
                StateOf(id).silentUntil = now + f->seconds;
                break;
        }
    }
    return replyFault;
}

std::optional<std::string> Rack::Spoil(std::optional<FaultKind> kind,
                                       std::optional<std::string> reply, char terminator) {
    if (!kind || !reply) return reply;
    if (*kind == FaultKind::Timeout) return std::nullopt;
    const std::size_t length =
        *kind == FaultKind::LongReply ? kLongReply : std::max<std::size_t>(reply->size(), 8) - 1;
    std::string text;
    auto& random = faults_.Random();
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>(0x21 + random() % 94);  // printable, never a terminator
    }
    return text + terminator;
}

void Rack::Deliver(Station& station, int secondary, const std::string& text, double now) {
    TransferEvent event;
    event.device = station.id;
    event.secondary = secondary;
    event.write = true;
    const std::string command = Trimmed(text);
    event.text = command;
    event.motion = station.id == FaultDevice::Hall && (secondary == 12 || secondary == 25);
    const auto replyFault = ApplyFaults(station.id, faults_.Check(event), now);
    FaultState& state = StateOf(station.id);
    if (replyFault) state.armedReply = replyFault;
    if (state.Silent(now)) return;
    const int primary = station.id == FaultDevice::Hall  ? kHallPrimary
                        : station.id == FaultDevice::Ln2 ? kLn2Primary
                                                         : kItc5Primary;
    Trace("W " + std::to_string(primary) + " " + std::to_string(secondary) + " " +
          TraceText(command));
    station.device->Command(secondary, text, now);
}

BusStatus Rack::Write(int primary, int secondary, std::string_view data, bool eoi) {
    Station* station = Find(primary);
    if (!station) return BusStatus::NoListener;
    const double now = Now();
    if (StateOf(station->id).Silent(now)) return BusStatus::NoListener;
    station->output.clear();  // a new command discards an unread reply
    const int key = secondary < 0 ? kNoSecondaryKey : secondary;
    std::string& input = station->input[key];
    const char terminator = station->device->Terminator();
    for (char c : data) {
        if (c == terminator) {
            const std::string text = input;
            input.clear();
            if (!text.empty()) Deliver(*station, secondary, text, now);
            continue;
        }
        if (input.size() >= kMaxInput) {
            input.clear();
            station->device->Overflow(now);
        }
        input += c;
    }
    if (eoi && !input.empty()) {
        const std::string text = input;
        input.clear();
        Deliver(*station, secondary, text, now);
    }
    return BusStatus::Ok;
}

ReadResult Rack::Read(int primary, int secondary, std::size_t max, int terminator) {
    ReadResult result;
    Station* station = Find(primary);
    if (!station) {
        result.status = BusStatus::Timeout;
        return result;
    }
    const double now = Now();
    FaultState& state = StateOf(station->id);
    const int key = secondary < 0 ? kNoSecondaryKey : secondary;
    std::string& output = station->output[key];
    if (output.empty()) {
        TransferEvent event;
        event.device = station->id;
        event.secondary = secondary;
        std::optional<FaultKind> kind = ApplyFaults(station->id, faults_.Check(event), now);
        if (!kind) kind = state.armedReply;
        state.armedReply.reset();
        if (state.Silent(now)) kind = FaultKind::Timeout;
        auto reply =
            Spoil(kind, station->device->Reply(secondary, now), station->device->Terminator());
        if (!reply || reply->empty()) {
            result.status = BusStatus::Timeout;
            return result;
        }
        output = *reply;
    }
    std::size_t n = 0;
    while (n < output.size() && n < max) {
        const char c = output[n++];
        if (terminator >= 0 && static_cast<unsigned char>(c) == terminator) {
            result.end = true;
            break;
        }
    }
    result.data = output.substr(0, n);
    output.erase(0, n);
    if (output.empty()) result.end = true;
    return result;
}

std::optional<int> Rack::SerialPoll(int primary, int secondary) {
    Station* station = Find(primary);
    if (!station) return std::nullopt;
    const double now = Now();
    if (StateOf(station->id).Silent(now)) return std::nullopt;
    return station->device->StatusByte(secondary, now);
}

bool Rack::ServiceRequest() {
    const double now = Now();
    for (Station& station : stations_) {
        if (!StateOf(station.id).Silent(now) && station.device->RequestsService(now)) return true;
    }
    return false;
}

bool Rack::DeviceClear(int primary) {
    const double now = Now();
    for (Station& station : stations_) {
        if (primary >= 0 && Find(primary) != &station) continue;
        station.input.clear();
        station.output.clear();
        station.device->Clear(now);
    }
    return primary < 0 || Find(primary) != nullptr;
}

BusStatus Rack::Command(int primary, int secondary, const std::string& text) {
    const char terminator = Find(primary) ? Find(primary)->device->Terminator() : '\n';
    return Write(primary, secondary, text + terminator, true);
}

std::optional<std::string> Rack::Query(int primary, int secondary) {
    std::string text;
    for (int part = 0; part < 64; ++part) {
        const ReadResult r = Read(primary, secondary, 256, -1);
        if (r.status != BusStatus::Ok) return std::nullopt;
        text += r.data;
        if (r.end) break;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

int Rack::SerialOpen(const std::string& name) {
    const auto it = config_.serial.find(name);
    if (it == config_.serial.end()) return -1;
    Port port;
    port.open = true;
    port.hot = it->second == "hot";
    port.empty = it->second == "none";
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        if (!ports_[i].open) {
            ports_[i] = port;
            return static_cast<int>(i);
        }
    }
    if (ports_.size() >= kMaxPorts) return -1;
    ports_.push_back(port);
    return static_cast<int>(ports_.size() - 1);
}

Rack::Port* Rack::FindPort(int handle) {
    if (handle < 0 || handle >= static_cast<int>(ports_.size()) || !ports_[handle].open) {
        return nullptr;
    }
    return &ports_[handle];
}

long Rack::SerialWrite(int handle, const void* data, long count) {
    Port* port = FindPort(handle);
    if (!port || !data || count <= 0) return port ? 0 : -1;
    if (port->empty) return count;  // nothing on the line hears it
    const double now = Now();
    const char* bytes = static_cast<const char*>(data);
    if (!port->hot) {
        for (long i = 0; i < count; ++i) {
            char text[4];
            std::snprintf(text, sizeof text, "%02X", static_cast<unsigned char>(bytes[i]));
            TransferEvent event{FaultDevice::Buffer, -1, true, false, text};
            ApplyFaults(FaultDevice::Buffer, faults_.Check(event), now);
            if (!StateOf(FaultDevice::Buffer).Silent(now)) {
                buffer_.WriteByte(static_cast<std::uint8_t>(bytes[i]));
            }
        }
        return count;
    }
    FaultState& state = StateOf(FaultDevice::Hot);
    for (const std::string& message : hot_->Frame(bytes, static_cast<std::size_t>(count))) {
        TransferEvent event{FaultDevice::Hot, -1, true, false, message};
        if (auto kind = ApplyFaults(FaultDevice::Hot, faults_.Check(event), now)) {
            state.armedReply = kind;
        }
        if (state.Silent(now)) continue;
        Trace("H " + TraceText(message));
        std::string reply = hot_->Answer(message, now);
        TransferEvent answer{FaultDevice::Hot, -1, false, false, reply};
        std::optional<FaultKind> kind = ApplyFaults(FaultDevice::Hot, faults_.Check(answer), now);
        if (!kind) kind = state.armedReply;
        state.armedReply.reset();
        if (state.Silent(now)) continue;
        const auto spoiled = Spoil(kind, reply, '\n');
        if (spoiled && port->output.size() + spoiled->size() <= kMaxSerialOutput) {
            port->output += *spoiled;
        }
    }
    return count;
}

long Rack::SerialRead(int handle, void* data, long max) {
    Port* port = FindPort(handle);
    if (!port || !data || max < 0) return -1;
    const std::size_t n = std::min<std::size_t>(port->output.size(), static_cast<std::size_t>(max));
    std::memcpy(data, port->output.data(), n);
    port->output.erase(0, n);
    return static_cast<long>(n);
}

void Rack::SerialSetRts(int handle, bool on) {
    Port* port = FindPort(handle);
    if (!port) return;
    port->rts = on;
    if (!port->hot && !port->empty) buffer_.SetRts(on);
}

bool Rack::SerialCts(int handle) {
    Port* port = FindPort(handle);
    if (!port || port->hot || port->empty) return false;
    return port->rts && buffer_.Cts() && !StateOf(FaultDevice::Buffer).Silent(Now());
}

void Rack::SerialClose(int handle) {
    if (Port* port = FindPort(handle)) *port = Port{};
}

double Rack::SpecimenTemperature() {
    const double now = Now();
    StageChoice stage = config_.stage == StageChoice::Auto ? lastSetPoint_ : config_.stage;
    switch (stage) {
        case StageChoice::Ln2:
            return ln2_->Thermal().SampleK(now);
        case StageChoice::Itc5:
            return itc5_->Thermal().SampleK(now);
        case StageChoice::Hot:
            return hot_->Thermal().SampleK(now);
        default:
            return kAmbientK;
    }
}

SpecimenTruth Rack::Truth() {
    const double kelvin = SpecimenTemperature();
    SpecimenTruth truth = specimen_.Truth(kelvin);
    const auto pair = [&](int a, int b) {
        if (!specimen_.HasContact(a) || !specimen_.HasContact(b)) return 0.0;
        constexpr double kAmps = 1e-4;
        const Drive drive{a, b, kAmps};
        return (specimen_.Potential(a, drive, kelvin, 0.0) -
                specimen_.Potential(b, drive, kelvin, 0.0)) /
               kAmps;
    };
    truth.pair12 = pair(1, 2);
    truth.pair34 = pair(3, 4);
    return truth;
}

}  // namespace vantris::sim
