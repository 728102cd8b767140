#include "magnet/ManualMagnet.h"

#include "electronics/HallReadings.h"
#include "magnet/Instruments.h"
#include "core/CoreRecords.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "core/xmsg.h"

void ManualMagnet::SetUp() {
    fields_.Set(kFieldStrength, Printf("%.3lf", instruments_.Records().settings.Tesla));
    UpdateStatus();
}

void ManualMagnet::UpdateStatus() {
    if (instruments_.Records().config.noInstrument) return;
    instruments_.MagnetUnit().ReadMagnetStatus(fields_, owner_.data());
}

void ManualMagnet::Move(const std::string& command) {
    if (instruments_.Records().config.noInstrument || moving_) return;
    moving_ = true;
    // The page, and this with it, may be gone when the motion's loops return.
    QPointer<ManualMagnet> self(this);
    QPointer<QWidget> owner(owner_);
    try {
        instruments_.MagnetUnit().MoveMagnet(owner.data(), command);
    } catch (const xmsg& e) {
        Prompt::Message(owner.data(), e.why(), "Exception:", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
    }
    if (!self) return;
    moving_ = false;
    UpdateStatus();
}

bool ManualMagnet::Apply() {
    const std::string text = fields_.Get(kFieldStrength).substr(0, 9);
    const double tesla = ParseDecimal(text);
    if (!(tesla > 0.0)) return false;
    instruments_.Records().settings.Tesla = tesla;
    return true;
}
