#include "temperature/HotFunc.h"

#include <cmath>
#include <limits>

#include "core/Printf.h"
#include "platform/Prompt.h"
#include "temperature/ReplyErrors.h"
#include "core/RunConfig.h"
#include "platform/SerialLink.h"

namespace {
// A line that never stops sending still ends a reply: nothing the stage says
// is anywhere near this long.
constexpr int kMostBytesPerReply = 4096;

std::string Framed(const std::string& text) {
    return "\x02" + text + "\x03\r\n";
}
}  // namespace

HotFunc::HotFunc(BusSlot& bus, const RunConfig& config)
    : TTempCon(ControllerKind::HotStage, bus, config) {
    if (config.noInstrument) return;
    const std::string port = config.hotStagePort;
    auto link = std::make_unique<SerialLink>();
    const auto mode = ParseSerialMode(Printf("%s:9600,n,8,2", port.c_str()));
    if (port.empty() || !mode || !link->Open(port, *mode)) {
        Prompt::Message(nullptr, port, "Can't Open Serial Port:", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
        return;
    }
    link->SetTimeouts(kTimeoutMs, kTimeoutMs);
    link_ = std::move(link);
}

HotFunc::HotFunc(BusSlot& bus, const RunConfig& config, std::unique_ptr<SerialLink> link)
    : TTempCon(ControllerKind::HotStage, bus, config), link_(std::move(link)) {
    if (link_) link_->SetTimeouts(kTimeoutMs, kTimeoutMs);
}

HotFunc::~HotFunc() {
    if (link_) link_->Close();
}

bool HotFunc::HasPort() const {
    return link_ && link_->IsOpen();
}

bool HotFunc::Sending() const {
    return HasPort() && !config_.noInstrument;
}

std::string HotFunc::SetPointMessage(double kelvin) {
    // Whole kelvin, truncated; a value no int holds is sent as its nearest end.
    const double whole = std::trunc(kelvin);
    long value = 0;
    if (std::isfinite(whole))
        value = whole > 1e9 ? 1000000000L : whole < -1e9 ? -1000000000L : static_cast<long>(whole);
    return Framed(Printf("0100XWS,1002W,%ld", value));
}

std::string HotFunc::RunMessage(bool run) {
    return Framed(Printf("0100XWS,508W,%d", run ? kRun : kStop));
}

std::string HotFunc::ReadMessage() {
    return Framed("0100XRS,504W,1");
}

void HotFunc::ReadReply() {
    reply_.Clear();
    for (int i = 0; i < kMostBytesPerReply; ++i) {
        const auto byte = link_->ReadByte();
        if (!byte) return;
        if (!reply_.Add(static_cast<char>(*byte))) return;
    }
}

void HotFunc::Purge() {
    // What the stage said unasked (or too late) is not the answer to the
    // read about to be sent.
    link_->SetTimeouts(0, kTimeoutMs);
    for (int i = 0; i < kMostBytesPerReply && link_->ReadByte(); ++i) {
    }
    link_->SetTimeouts(kTimeoutMs, kTimeoutMs);
}

void HotFunc::SetTemperature(double kelvin) {
    setPoint_ = kelvin;
    NotifyChanged();
    if (!Sending()) return;
    if (link_->Write(SetPointMessage(kelvin))) ReadReply();
}

void HotFunc::ReadTemperature() {
    if (config_.noInstrument) return;
    const std::string failure = TryReading();
    if (!failure.empty()) {
        SetReadingText("Error");
        present_ = 0.0;
        ReadingFailed(failure);
    }
    NotifyChanged();
}

std::string HotFunc::TryReading() {
    if (!HasPort()) return "The hot stage's serial port is not open.";
    Purge();
    if (!link_->Write(ReadMessage())) return "The read message could not be sent to the hot stage.";
    ReadReply();
    if (reply_.Empty())
        return Printf("The hot stage did not answer within %d s.", kTimeoutMs / 1000);
    const auto reading = ReadHotTemperature(reply_.Raw());
    if (!reading)
        return Printf("The hot stage's reply \"%s\" carries no temperature.",
                      ShownReply(reply_.Raw()).c_str());
    // A number the stage cannot be at is a reply gone wrong, not a reading.
    if (!(reading->kelvin >= minimum && reading->kelvin <= maximum))
        return Printf("The hot stage's reading %s K lies outside %d to %d K.",
                      reading->text.c_str(), static_cast<int>(minimum), static_cast<int>(maximum));
    SetReadingText(reading->text);
    present_ = reading->kelvin;
    ReadingSucceeded();
    return {};
}

void HotFunc::SetControl(int mode, int flag) {
    if (mode != 1 || !Sending()) return;
    if (link_->Write(RunMessage(flag == 0))) ReadReply();
}
