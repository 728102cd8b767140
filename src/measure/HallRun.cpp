#include "measure/HallRun.h"

#include "records/ProgramState.h"

#include <algorithm>

#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"
#include "magnet/MagnetMotion.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "measure/ResultComputations.h"
#include "measure/Results.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
constexpr int kLastField = 27;  // configuration 1's mean, the last reading field

constexpr unsigned kLogIncludeHall = 8;
constexpr const char* kPolarity[2] = {"P", "N"};
constexpr int kFirstAutoGain = 3;
constexpr int kRelaySettleMs = 110;
constexpr const char* kErrorLine = "Error";
constexpr const char* kMotionError = "Motion Error";

// The magnet sequences: field one way, reversed, back, and the stage out.
constexpr const char* kNorth = "-F";
constexpr const char* kSouth = "+F+R-F";
constexpr const char* kBack = "+F-R";
constexpr const char* kStageOut = "+F";

std::string Volts(double value) {
    return Printf("%+.2le", value);
}

}  // namespace

HallRun::HallRun(ProgramState& program, QObject* parent)
    : MeasurementRun("HALL", program, parent), configurations_(HallConfigurations(0)) {}

// ---------------------------------------------------------------------------
// The run

void HallRun::Measure() {
    ChooseConfigurations();
    if (program_.Config().noInstrument) return;

    const RunEnd end = RunSteps(program_, [this] {
        StartRun();
        RunCycles();
        // Without one cycle's value there is no result: the run ends with
        // the last cycle's error rather than "Ready" over a list of errors.
        if (completed_ == 0 && cycleError_) throw *cycleError_;
    });
    if (end == RunEnd::BusError) {
        // The bus layer has reported it; nothing more goes to the instrument.
        SetStopEnabled(false);
        return;
    }
    const RunEnd closing = RunSteps(program_, [this, end] {
        if (end == RunEnd::Completed) {
            FinishRun();
        } else {
            DisconnectAndReturnMagnet();
        }
    });
    // An error while closing (a result that cannot be computed, a bus error)
    // is still an error for whoever reads the status.
    if (closing != RunEnd::Completed) program_.State().measurementStatus = 1;
    SetStopEnabled(false);
    emit focusBackRequested();
}

void HallRun::ChooseConfigurations() {
    configurations_ = HallConfigurations(program_.Specimen().Shape);
    Fields().Set(kLabelField, configurations_[0].label);
    Fields().Set(kLabelField + 1, configurations_[1].label);
}

void HallRun::StartRun() {
    for (int id = kMisalignmentField; id <= kLastField; ++id) {
        if (id % 10 <= 7) Fields().Set(id, "");
    }
    cycleLines_.clear();
    Fields().Set(kCycleList, "");
    Fields().Set(kCycleProgress, "");
    ShowStatus("Hall Meas.", "");
    Pump();

    // A cycle without integration is short; stopping only makes sense for long ones.
    SetStopEnabled(program_.Settings().Integrations > 0);
    hallOverAll_ = 0.0;
    sum_ = 0.0;
    completed_ = 0;
    cycleError_.reset();
    motionFailed_ = false;
    stopRequested_ = false;
    program_.State().measurementStatus = 1;
    program_.Hall().SetCurrent();
    // Only a bus error leaves the magnet where it was, so it may still be
    // reversed, or the stage in, from the last run. Starting so would read
    // "North" in the South field, or the misalignment inside the field, and
    // spoil every result of this run.
    ReturnToStart();
}

void HallRun::ReturnToStart() {
    if (magnetReversed_) {
        Move(kBack);
    } else if (stageIn_) {
        Move(kStageOut);
    }
    magnetReversed_ = false;
    stageIn_ = false;
}

void HallRun::RunCycles() {
    for (int n = 1; n <= program_.Settings().Cycles && !stopRequested_; ++n) {
        Fields().Set(kCycleProgress, Printf("Cycle %d of %d", n, program_.Settings().Cycles));
        std::string line;
        try {
            RunCycle();
            ++completed_;
            sum_ += cycleHall_;
            line = Printf("%d %+.2le", n, cycleHall_);
        } catch (const xmeas& error) {
            cycleError_ = error;
            line = kErrorLine;
            // Left reversed, the next cycle would read "North" and "South" in
            // the same field and its Hall voltage would cancel to nothing;
            // left in, it would take its misalignment inside the field.
            ReturnToStart();
        }
        AddCycleLine(line);
        AppendLogBlock(program_, kLogIncludeHall, LogBlock());
    }
}

void HallRun::RunCycle() {
    Misalignment();
    stageIn_ = true;  // from the moment the command may have reached the stage
    Move(kNorth);
    FieldReadings(0);
    Move(kSouth);
    magnetReversed_ = true;
    FieldReadings(1);
    Move(kBack);
    magnetReversed_ = false;
    stageIn_ = false;
    CombineCycle();
}

void HallRun::FinishRun() {
    // "Ready" is shown before the magnet goes back, but the run keeps its
    // lock through that move: a command served by the move's wait would
    // otherwise start in the middle of this run.
    program_.State().measurementStatus = 0;
    ShowStatus("Ready", "");
    DisconnectAndReturnMagnet();
    StoreResult();
}

void HallRun::DisconnectAndReturnMagnet() {
    program_.Hall().Disconnect();
    program_.MagnetUnit().MoveMagnet(Owner(), magnetReversed_ ? kBack : kStageOut);
    magnetReversed_ = false;
    stageIn_ = false;
}

void HallRun::Move(const char* command) {
    if (program_.MagnetUnit().MoveMagnet(Owner(), command) == MotionOutcome::Failed)
        motionFailed_ = true;
}

void HallRun::RequireMagnet() const {
    // Not an xmeas: a cycle's error would be listed and the run go on.
    if (motionFailed_) throw xmsg(kMotionError);
}

void HallRun::StoreResult() {
    if (completed_ == 0) {
        // No cycle ran at all: a caller that checks the status (the
        // temperature scan) must not take the previous result for this one.
        program_.State().measurementStatus = 1;
        return;
    }
    hallOverAll_ = sum_ / completed_;
    // Raises xmath for a zero field setting or current rather than storing an infinity.
    program_.Results().hallCoefficientRaw = ResultMath::HallCoefficientRaw(
        hallOverAll_, program_.Settings().Tesla, program_.Settings().Current);
    program_.Results().measured |= MeasurementResults::kHallMeasured;
    ResultsUpdateHall(program_);
}

// ---------------------------------------------------------------------------
// One cycle

void HallRun::SelectConfiguration(int configuration) {
    const HallConfiguration& selected = configurations_[configuration];
    if (program_.Settings().bufferAmplifierMode) {
        WriteHall(HallUnit::kMatrix, selected.voltagePair);
        program_.Instruments().AmplifierLink().Send(selected.bufferByte);
        Wait::Ms(kRelaySettleMs);
    } else {
        WriteHall(HallUnit::kMatrix, selected.command);
    }
}

void HallRun::SelectPolarity(int polarity) {
    CheckCancel(program_);
    WriteHall(HallUnit::kSource, kPolarity[polarity]);
}

void HallRun::Misalignment() {
    RequireMagnet();
    if (program_.Settings().bufferAmplifierMode) {
        WriteHall(HallUnit::kMatrix, "S58");
    }
    WriteHall(HallUnit::kVoltmeter, "H175O0");
    for (int i = 0; i < 2; ++i) {
        SelectConfiguration(i);
        double voltage[2] = {0.0, 0.0};
        int gain[2] = {kFirstAutoGain, kFirstAutoGain};
        for (int p = 0; p < 2; ++p) {
            SelectPolarity(p);
            double reading = 0.0;
            program_.Hall().MeasureVoltageAutoGain(reading, gain[p]);
            voltage[p] = MisalignmentVoltage(reading, gain[p]);
            Fields().Set(FieldId(kMisalignmentField, i, p), Volts(voltage[p]));
        }
        offsetGain_[i] = std::min(gain[0], gain[1]);
        offsetSteps_[i] = OffsetSteps(voltage[0], voltage[1], offsetGain_[i]);
        Fields().Set(FieldId(kOffsetField, i, 0),
                     Volts(OffsetApplied(offsetSteps_[i], offsetGain_[i])));
    }
}

void HallRun::FieldReadings(int position) {
    RequireMagnet();
    for (int i = 0; i < 2; ++i) {
        SelectConfiguration(i);
        for (int p = 0; p < 2; ++p) {
            SelectPolarity(p);
            WriteHall(HallUnit::kVoltmeter, "H170");
            // The offset reading decides the fine gain of the final reading.
            double held = 0.0;
            int gain = offsetGain_[i];
            int offset = offsetSteps_[i];
            program_.Hall().MeasureVoltageGainOffset(held, gain, offset);
            const int fineGain = FineGainNumber(held);
            WriteHall(HallUnit::kVoltmeter, Printf("H%d", fineGain));
            const double gainScale = GainScale(gain, fineGain);

            double reading = 0.0;
            if (program_.Settings().Integrations != 0) {
                program_.Hall().IntegrateVoltage(reading);
            } else {
                program_.Hall().ReadVoltage(reading);
            }
            vField_[i][p][position] = reading / gainScale;
            Fields().Set(FieldId(kFieldReadingField + 2 * position, i, p),
                         Volts(vField_[i][p][position]));
        }
    }
}

void HallRun::CombineCycle() {
    double hall[2] = {0.0, 0.0};
    for (int i = 0; i < 2; ++i) {
        const auto& v = vField_[i];
        hall[i] = ConfigurationHallVoltage(v[0][0], v[1][0], v[0][1], v[1][1]);
        Fields().Set(FieldId(kMeanField, i, 0), Volts(hall[i]));
    }
    cycleHall_ = (hall[0] + hall[1]) * 0.5;
}

void HallRun::AddCycleLine(const std::string& line) {
    cycleLines_.push_back(line);
    std::string list;
    for (const std::string& each : cycleLines_) {
        if (!list.empty()) list += '\n';
        list += each;
    }
    Fields().Set(kCycleList, list);
}

std::string HallRun::LogBlock() const {
    return HallLogBlock(Fields(), configurations_[0].label, configurations_[1].label);
}

// ---------------------------------------------------------------------------
// The stop button

void HallRun::StopThisCycle() {
    if (!stopEnabled_) return;
    stopRequested_ = true;
    SetStopEnabled(false);
    emit focusBackRequested();
}

void HallRun::SetStopEnabled(bool enabled) {
    if (stopEnabled_ == enabled) return;
    stopEnabled_ = enabled;
    emit stopEnabledChanged(enabled);
}
