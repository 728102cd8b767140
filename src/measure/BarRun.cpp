#include "measure/BarRun.h"

#include "records/ProgramState.h"

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
#include "core/SpecimenData.h"
#include "core/StatusFields.h"
#include "core/xmsg.h"

namespace {
constexpr const char* kSwitches[2] = {"S56M14", "S56M23"};
constexpr const char* kLabels[2] = {"14", "23"};

// The bar reads at once: it never waits the configured delay.
double Reading(HallUnit& hall) {
    double value = 0.0;
    hall.ReadVoltage(value);
    return value;
}
}  // namespace

BarRun::BarRun(ProgramState& program, QObject* parent)
    : MeasurementRun("BARRESIST", program, parent) {
    for (int i = 0; i < 2; ++i) {
        Fields().Set(1 + i, kLabels[i]);
        Fields().Set(kPlus + i, "");
        Fields().Set(kMinus + i, "");
    }
}

void BarRun::Measure() {
    if (program_.Config().noInstrument) return;
    for (int i = 0; i < 2; ++i) {
        Fields().Set(kPlus + i, "");
        Fields().Set(kMinus + i, "");
    }
    program_.State().measurementStatus = 1;
    program_.Status().SetText("Resistivity");
    RunResistivity([this] { Steps(); }, [this] { return LogBlock(); });
}

void BarRun::Steps() {
    WriteHall(HallUnit::kVoltmeter, "G0H255O0");
    WriteHall(HallUnit::kSource, "P");
    WriteHall(HallUnit::kMatrix, kSwitches[0]);
    const double first = Reading(program_.Hall());
    WriteHall(HallUnit::kMatrix, kSwitches[1]);
    const double second = Reading(program_.Hall());
    if (first > second) WriteHall(HallUnit::kMatrix, kSwitches[0]);

    WriteHall(HallUnit::kVoltmeter, "H128");
    double value = 0.0;
    int gain = 0;
    program_.Hall().ReadVoltageAutoGain(value, gain);
    const int hold = ResultMath::HoldValue(value);
    WriteHall(HallUnit::kVoltmeter, Printf("H%d", hold));
    gainScale_ = GainScale(gain, hold);

    vSum_ = 0.0;
    for (int i = 0; i < 2; ++i) {
        CheckCancel(program_);
        WriteHall(HallUnit::kMatrix, kSwitches[i]);
        WriteHall(HallUnit::kSource, "P");
        const double plus = Reading(program_.Hall()) / gainScale_;
        vSum_ += plus;
        Fields().Set(kPlus + i, Printf("%+.3le", plus));
        WriteHall(HallUnit::kSource, "N");
        const double minus = Reading(program_.Hall()) / gainScale_;
        vSum_ -= minus;
        Fields().Set(kMinus + i, Printf("%+.3le", minus));
    }
    const double sheet = ResultMath::BarSheetResistance(
        vSum_, program_.Specimen().Width, program_.Specimen().Length, program_.Settings().Current);
    // No bar has a sheet resistance that is not positive: the record keeps its value.
    if (!(sheet > 0.0)) throw xmath(ResultMath::kSheetNotPositive);
    program_.Results().sheetResistance = sheet;
    program_.Results().symmetryFactor = 0.0;
}

std::string BarRun::LogBlock() const {
    std::string block = "*** Bar Resistivity ***\r\nMeas.\t+Vm+\t-Vm-\r\n";
    for (int i = 0; i < 2; ++i)
        block += Printf("%s\t%s\t%s\r\n", FieldText(Fields(), 1 + i, 11).c_str(),
                        FieldText(Fields(), kPlus + i, 11).c_str(),
                        FieldText(Fields(), kMinus + i, 11).c_str());
    return block;
}
