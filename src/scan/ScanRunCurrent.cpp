#include "scan/ScanRunCurrent.h"

#include <cmath>

#include "measure/AutoSet.h"
#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "records/ProgramState.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace ScanCurrent {
namespace {

void Write(ProgramState& program, int secondary, const char* text) {
    program.Bus().Write(HallUnit::kPrimary, secondary, text);
}

void ShowError(QWidget* owner, const xmsg& error) {
    Prompt::Message(owner, error.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
}

double ReadVr(ProgramState& program, double gain) {
    double positive = 0.0;
    double negative = 0.0;
    Write(program, HallUnit::kSource, "P");
    program.Hall().ReadVoltage(positive);
    Write(program, HallUnit::kSource, "N");
    program.Hall().ReadVoltage(negative);
    return (positive - negative) / (gain * 0.002);
}

bool OverRange(const xmeas& error) {
    return (error.code() & (HallUnit::kOverRangeCode | HallUnit::kSaturatingCode)) != 0;
}

// The tries of one search; the result that ended them.
Result Tries(ProgramState& program, double gain) {
    const double target =
        std::max(0, AutoSet::TargetFor(program.Settings(), program.Specimen().Shape));
    double& current = program.Settings().Current;
    for (int n = 1; n <= kLastTry; ++n) {
        CheckCancel(program);
        try {
            const double vr = ReadVr(program, gain);
            // No voltage at all says only "far too little": ten times the
            // current, as the configuration's auto-set steps. The size of Vr
            // is what the target is about; its sign only says which way
            // round the contacts are wired, and a negative ratio would ask
            // for a negative current.
            const double ratio = vr == 0.0 ? 10.0 : target / std::fabs(vr);
            if (0.9 < ratio && ratio < 1.1) return kFound;
            current *= ratio;
        } catch (const xmeas& error) {
            // A reading that could not be read says nothing about the current.
            if (!OverRange(error)) throw;
            current *= 0.5;
        }
        const int limit = program.Hall().LimitCurrent();
        program.Hall().SetCurrent();
        if (limit != 0) return static_cast<Result>(limit);
    }
    // Not "above the buffered maximum", which is what a search that starts
    // from that result would report: no switch of electronics follows.
    return kTriesUsed;
}

}  // namespace

Result Search(ProgramState& program, QWidget* owner) {
    Result result = kFailed;
    bool busError = false;
    try {
        result = Tries(program, AutoSet::PrepareVr(program));
    } catch (bool) {
        result = kAborted;
    } catch (const xgpib& error) {
        busError = true;
        ShowError(owner, error);
    } catch (const xmsg& error) {
        ShowError(owner, error);
    }
    try {
        program.Hall().Disconnect();
    } catch (const xmsg& error) {
        // After a bus error the same error would only be shown twice.
        if (!busError) ShowError(owner, error);
        if (result != kAborted) result = kFailed;
    }
    program.State().measurementStatus = result;
    return result;
}

Result SetCurrentForPoint(ProgramState& program, QWidget* owner) {
    program.Status().SetText("AutoSet I");
    MeasurementSettings& settings = program.Settings();
    bool toStandard = false;
    bool toBuffered = false;
    for (;;) {
        const Result result = Search(program, owner);
        const bool switchToStandard = result == kAboveBuffered && !toStandard;
        // Only an installed buffer amplifier can take over a current too
        // small for the standard electronics.
        const bool switchToBuffered =
            result == kBelowStandard && program.Config().bufferAmplifierInstalled && !toBuffered;
        if (!switchToStandard && !switchToBuffered) return result;
        toStandard = toStandard || switchToStandard;
        toBuffered = toBuffered || switchToBuffered;
        settings.Current = 1.0;
        settings.bufferAmplifierMode = switchToBuffered;
        settings.Iunits = switchToBuffered ? 2 : 0;
        // The next search's first reading must be taken at the current it
        // scales, not at the other electronics' limit.
        try {
            program.Hall().SetCurrent();
        } catch (const xmsg& error) {
            ShowError(owner, error);
            program.State().measurementStatus = kFailed;
            return kFailed;
        }
    }
}

std::string CurrentText(double i) {
    if (i > 1000.0) return Printf("%.1f mA", i * 0.001);
    if (i > 1.0) return Printf("%.1f \u00b5A", i);
    if (i > 0.001) return Printf("%.1f nA", i * 1000.0);
    return Printf("%.1f pA", i * 1000000.0);
}

}  // namespace ScanCurrent
