#include "measure/CheckRun.h"

#include "records/ProgramState.h"

#include <algorithm>
#include <cstdint>

#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "measure/ResultComputations.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
constexpr const char* kLabels[CheckRun::kPairs] = {"12", "23", "34", "41", "13", "24"};
constexpr const char* kSwitches[CheckRun::kPairs] = {"S12M12", "S23M23", "S34M34",
                                                     "S41M41", "S13M13", "S24M24"};
constexpr std::uint8_t kBufferBytes[CheckRun::kPairs] = {133, 148, 176, 161, 146, 168};

// What a pair shows when its reading fails: saturation wins over over range.
std::string FailedPairText(const xmeas& error) {
    if (error.code() & 2) return "I Sat";
    if (error.code() & 1) return "V >6";
    return error.why();
}
}  // namespace

CheckRun::CheckRun(ProgramState& program, QObject* parent)
    : MeasurementRun("CHECK", program, parent) {
    for (int k = 0; k < kPairs; ++k) Fields().Set(1 + k, kLabels[k]);
    Fields().Set(kUnitField, "");
    for (int k = 0; k < kPairs; ++k) Fields().Set(kFirstValue + k, "");
}

CheckRun::Unit CheckRun::UnitFor(int iunits) {
    static constexpr Unit kUnits[4] = {
        {"ohms", 1e6}, {"K-ohms", 1e3}, {"M-ohms", 1.0}, {"G-ohms", 0.001}};
    return kUnits[std::clamp(iunits, 0, 3)];
}

void CheckRun::Measure() {
    Fields().Set(kUnitField, UnitFor(program_.Settings().Iunits).text);
    if (program_.Config().noInstrument) return;
    for (int k = 0; k < kPairs; ++k) Fields().Set(kFirstValue + k, "");
    ShowStatus("Check", "");
    Pump();
    const RunEnd end = RunSteps(program_, [this] {
        program_.Hall().SetCurrent();
        MeasurePairs();
        ShowStatus("Ready", "");
    });
    FinishRun(program_, end, 1, [this] { return LogBlock(); });
}

void CheckRun::MeasurePairs() {
    const bool buffered = program_.Settings().bufferAmplifierMode;
    const double scale = UnitFor(program_.Settings().Iunits).scale;
    double zero = 0.0;
    int gain = 1;
    if (buffered) {
        WriteHall(HallUnit::kSource, "DP");
        WriteHall(HallUnit::kMatrix, "S58M67");
        WriteHall(HallUnit::kVoltmeter, "G0H160O0");
        program_.Instruments().AmplifierLink().Send(131);
        Wait::Ms(110);
        program_.Hall().MeasureVoltage(zero);
    } else {
        WriteHall(HallUnit::kSource, "P");
        WriteHall(HallUnit::kVoltmeter, "H255O0");
    }
    for (int k = 0; k < kPairs; ++k) {
        CheckCancel(program_);
        std::string text;
        try {
            double volts = 0.0;
            if (buffered) {
                program_.Instruments().AmplifierLink().Send(kBufferBytes[k]);
                Wait::Ms(110);
                program_.Hall().MeasureVoltage(volts);
                text = Printf("%.1e", ResultMath::BufferedCheckResistance(
                                          scale, volts, zero, program_.Settings().Current));
            } else {
                WriteHall(HallUnit::kMatrix, kSwitches[k]);
                // The gain one pair ends with is where the next one starts.
                program_.Hall().MeasureVoltageAutoGain(volts, gain);
                text = Printf("%.0lf", ResultMath::CheckResistance(scale, volts, gain,
                                                                   program_.Settings().Current));
            }
        } catch (const xmeas& error) {
            text = FailedPairText(error);
        }
        Fields().Set(kFirstValue + k, text);
    }
}

std::string CheckRun::LogBlock() const {
    std::string block = "*** Check Contacts ***\r\n";
    block += Printf("Pair\t%s\r\n", Fields().Get(kUnitField).c_str());
    for (int k = 0; k < kPairs; ++k)
        block += Printf("%s\t%s\r\n", FieldText(Fields(), 1 + k, 9).c_str(),
                        FieldText(Fields(), kFirstValue + k, 9).c_str());
    return block;
}
