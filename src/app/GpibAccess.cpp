#include "app/GpibAccess.h"

#include "core/CoreRecords.h"
#include "magnet/Instruments.h"

#include "bus/GpibBus.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "core/xmsg.h"

bool GpibAccess::Demo() const {
    return instruments_.Records().config.noInstrument;
}

GpibAccess::GpibAccess(Instruments& instruments)
    : instruments_(instruments),
      controllerSelectable_(
          FactsOf(instruments_.Records().config.controllerKind).gpibPrimary.has_value()) {}

void GpibAccess::SetUp() {
    if (Demo()) return;
    try {
        // Kind 0 runs no command and only reports the lines.
        fields_.Set(kLines,
                    instruments_.Bus().Get().InterfaceCommand(0, primary_, secondary_).lines);
    } catch (const xmsg&) {
        // The field stays empty; the buttons report errors when used.
    }
}

void GpibAccess::SelectHall() {
    primary_ = GpibAddress::kHallElectronics;
    secondary_ = 6;
    if (instruments_.Records().config.controllerKind == ControllerKind::ITC5)
        fields_.Set(kSecondary, "");
}

bool GpibAccess::SelectController() {
    if (!controllerSelectable_) return false;
    const ControllerKind kind = instruments_.Records().config.controllerKind;
    if (kind == ControllerKind::LN2) {
        primary_ = *FactsOf(kind).gpibPrimary;
        secondary_ = 0;
    } else if (kind == ControllerKind::ITC5) {
        primary_ = *FactsOf(kind).gpibPrimary;
        secondary_ = kNoSecondary;
        fields_.Set(kSecondary, "N/A");
    }
    return true;
}

bool GpibAccess::SecondaryFromField(int& secondary) const {
    const std::string text = fields_.Get(kSecondary);
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t start = i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 65535) return false;
    }
    if (i == start) return false;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return false;
    secondary = static_cast<int>(value);
    return true;
}

void GpibAccess::Receive() {
    if (Demo()) return;
    try {
        if (secondary_ == kNoSecondary) {
            fields_.Set(kData, instruments_.Bus().Get().ItcRead());
            return;
        }
        int secondary = 0;
        if (!SecondaryFromField(secondary)) return;
        fields_.Set(kData, instruments_.Bus().Get().Read(primary_, secondary));
    } catch (const xmsg&) {
        // A failed transfer leaves the data field as it was.
    }
}

void GpibAccess::Send() {
    if (Demo()) return;
    const std::string data = fields_.Get(kData).substr(0, 19);
    try {
        if (secondary_ == kNoSecondary) {
            instruments_.Bus().Get().ItcWrite(data);
            return;
        }
        int secondary = 0;
        if (!SecondaryFromField(secondary)) return;
        instruments_.Bus().Get().Write(primary_, secondary, data);
    } catch (const xmsg&) {
        // Dropped: the engineer sees no reply and tries again.
    }
}

void GpibAccess::Interface(int kind) {
    if (Demo()) return;
    try {
        const GpibBus::PageResult result =
            instruments_.Bus().Get().InterfaceCommand(kind, primary_, secondary_);
        if (kind == 1) fields_.Set(kData, result.data);
        fields_.Set(kLines, result.lines);
    } catch (const xmsg& e) {
        Prompt::Message(owner_.data(), e.why(), "Exception:", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
    }
}
