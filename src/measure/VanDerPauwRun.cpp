#include "measure/VanDerPauwRun.h"

#include "records/ProgramState.h"

#include <cstdint>

#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "measure/ResultComputations.h"
#include "measure/Results.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
struct Configuration {
    const char* standardSwitch;
    const char* bufferPair;
    std::uint8_t bufferByte;
    const char* label;
};
constexpr Configuration kConfigurations[4] = {{"S12M43", "M43", 133, "43"},
                                              {"S32M41", "M41", 148, "41"},
                                              {"S34M21", "M21", 176, "21"},
                                              {"S14M23", "M23", 161, "23"}};

double Reading(HallUnit& hall) {
    double value = 0.0;
    hall.MeasureVoltage(value);
    return value;
}
}  // namespace

VanDerPauwRun::VanDerPauwRun(ProgramState& program, QObject* parent)
    : MeasurementRun("VDPRESIST", program, parent) {
    for (int i = 0; i < 4; ++i) Fields().Set(1 + i, kConfigurations[i].label);
    for (int column : kValueColumns)
        for (int i = 0; i < 4; ++i) Fields().Set(column + i, "");
}

void VanDerPauwRun::Measure() {
    if (program_.Config().noInstrument) return;
    for (int column : kValueColumns)
        for (int i = 0; i < 4; ++i) Fields().Set(column + i, "");
    program_.State().measurementStatus = 1;
    ShowStatus("Resistivity", "");
    Pump();
    RunResistivity(
        [this] {
            Wait::Ms(110);
            ChooseGainConfiguration();
            SetHold();
            MeasureConfigurations();
            Compute();
        },
        [this] { return LogBlock(); });
}

// The hold value is set on whichever of the first two configurations gives
// the larger signed reading; the switch is left there.
void VanDerPauwRun::ChooseGainConfiguration() {
    WriteHall(HallUnit::kVoltmeter, "G0H64O0");
    if (program_.Settings().bufferAmplifierMode) {
        WriteHall(HallUnit::kSource, "DP");
        WriteHall(HallUnit::kMatrix, "S58");
        SelectConfiguration(0);
        const double first = Reading(program_.Hall());
        SelectConfiguration(1);
        const double second = Reading(program_.Hall());
        if (first > second) SelectConfiguration(0);
    } else {
        WriteHall(HallUnit::kSource, "P");
        SelectConfiguration(0);
        const double first = Reading(program_.Hall());
        SelectConfiguration(1);
        const double second = Reading(program_.Hall());
        if (first > second) SelectConfiguration(0);
    }
}

void VanDerPauwRun::SetHold() {
    WriteHall(HallUnit::kVoltmeter, "H128");
    double value = 0.0;
    int gain = 1;
    program_.Hall().MeasureVoltageAutoGain(value, gain);
    const int hold = ResultMath::HoldValue(value);
    WriteHall(HallUnit::kVoltmeter, Printf("H%d", hold));
    gainScale_ = GainScale(gain, hold);
}

void VanDerPauwRun::SelectConfiguration(int i) {
    const Configuration& configuration = kConfigurations[i];
    if (program_.Settings().bufferAmplifierMode) {
        WriteHall(HallUnit::kMatrix, configuration.bufferPair);
        program_.Instruments().AmplifierLink().Send(configuration.bufferByte);
        Wait::Ms(110);
    } else {
        WriteHall(HallUnit::kMatrix, configuration.standardSwitch);
    }
}

void VanDerPauwRun::MeasureConfigurations() {
    for (int i = 0; i < 4; ++i) {
        CheckCancel(program_);
        SelectConfiguration(i);
        WriteHall(HallUnit::kSource, "P");
        const double plus = Reading(program_.Hall()) / gainScale_;
        Fields().Set(kPlus + i, Printf("%+.3le", plus));
        WriteHall(HallUnit::kSource, "N");
        const double minus = Reading(program_.Hall()) / gainScale_;
        Fields().Set(kMinus + i, Printf("%+.3le", minus));
        vAvg_[i] = (plus - minus) * 0.5;
    }
}

// Skipped, leaving the record as it was, when any average is exactly 0.
// Averages of both signs, or a mean sheet resistance that is not positive,
// come from no specimen: the run ends through its error path with the
// derived columns empty and the record untouched.
void VanDerPauwRun::Compute() {
    for (double average : vAvg_)
        if (average == 0.0) return;
    for (double average : vAvg_)
        if ((average > 0.0) != (vAvg_[0] > 0.0)) throw xmath(ResultMath::kMixedSigns);
    std::array<ResultMath::VdpRow, 4> rows;
    double sheetSum = 0.0;
    double ratioSum = 0.0;
    for (int i = 0; i < 4; ++i) {
        rows[i] =
            ResultMath::VanDerPauwRow(vAvg_[i], vAvg_[(i + 1) % 4], program_.Settings().Current);
        sheetSum += rows[i].sheet;
        ratioSum += rows[i].ratio;
    }
    if (!(sheetSum > 0.0)) throw xmath(ResultMath::kSheetNotPositive);
    for (int i = 0; i < 4; ++i) {
        Fields().Set(kRatio + i, Printf("%.2lf", rows[i].ratio));
        Fields().Set(kFactor + i, Printf("%.2lf", rows[i].factor));
        Fields().Set(kSheet + i, Printf("%.4lg", rows[i].sheet));
    }
    program_.Results().sheetResistance = sheetSum * 0.25;
    program_.Results().symmetryFactor = ratioSum * 0.25;
}

std::string VanDerPauwRun::LogBlock() const {
    std::string block = "*** VDP Resistivity ***\r\nMeas.\t+Vm+\t-Vm-\r\n";
    for (int i = 0; i < 4; ++i)
        block += Printf("%s\t%s\t%s\r\n", FieldText(Fields(), 1 + i, 11).c_str(),
                        FieldText(Fields(), kPlus + i, 11).c_str(),
                        FieldText(Fields(), kMinus + i, 11).c_str());
    block += "Symmetry\tFactor\tR-sheet\r\n";
    for (int i = 0; i < 4; ++i)
        block += Printf("%s\t%s\t%s\r\n", FieldText(Fields(), kRatio + i, 11).c_str(),
                        FieldText(Fields(), kFactor + i, 11).c_str(),
                        FieldText(Fields(), kSheet + i, 11).c_str());
    return block;
}
