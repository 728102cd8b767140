#include "TResVdp.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdint>

#include "BufferAmplifierLink.h"
#include "FieldViews.h"
#include "GpibBus.h"
#include "HallReadings.h"
#include "HallUnit.h"
#include "MeasurementResults.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "Printf.h"
#include "ResultComputations.h"
#include "Results.h"
#include "RunConfig.h"
#include "RunFrame.h"
#include "StatusFields.h"
#include "Wait.h"

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
constexpr int kPlus = 10, kMinus = 20, kRatio = 30, kFactor = 40, kSheet = 50;
constexpr int kValueColumns[] = {kPlus, kMinus, kRatio, kFactor, kSheet};

void Write(int secondary, const std::string& text) {
    Bus().Write(HallUnit::kPrimary, secondary, text);
}

double Reading() {
    double value = 0.0;
    HallUnit::MeasureVoltage(value);
    return value;
}
}  // namespace

TResVdp::TResVdp(QWidget* parent) : MeasurementWindow("VDPRESIST", "Resistivity", parent) {
    for (int i = 0; i < 4; ++i) Fields().Set(1 + i, kConfigurations[i].label);
    for (int column : kValueColumns)
        for (int i = 0; i < 4; ++i) Fields().Set(column + i, "");

    // One heading per column, the words of the two header lines kept: "Vm"
    // over the two voltage columns, then each column's own.
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->addWidget(ColumnHeading("Vm", this), 0, 1, 1, 2);
    const char* headings[] = {"Meas", "+++", "- - -", "Sym", "Factor", "Sheet-R"};
    for (int column = 0; column < 6; ++column)
        grid->addWidget(ColumnHeading(headings[column], this), 1, column);
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(FieldLabel(Fields(), 1 + i, this, Qt::AlignCenter), 2 + i, 0);
        int column = 1;
        for (int field : kValueColumns)
            grid->addWidget(
                FieldLabel(Fields(), field + i, this, Qt::AlignRight | Qt::AlignVCenter), 2 + i,
                column++);
    }
}

void TResVdp::Measure() {
    if (Config().noInstrument) return;
    for (int column : kValueColumns)
        for (int i = 0; i < 4; ++i) Fields().Set(column + i, "");
    State().measurementStatus = 1;
    Status().SetText("Resistivity");
    Status().SetDetail("");
    Pump();
    const RunEnd end = RunSteps([this] {
        HallUnit::SetCurrent();
        Wait::Ms(110);
        ChooseGainConfiguration();
        SetHold();
        MeasureConfigurations();
        Compute();
        State().measurementStatus = 0;
        Status().SetText("Ready");
        Status().SetDetail("");
    });
    FinishRun(
        end, 4, [this] { return LogBlock(); }, ResultsUpdateResistivity);
}

// The hold value is set on whichever of the first two configurations gives
// the larger signed reading; the switch is left there.
void TResVdp::ChooseGainConfiguration() {
    Write(HallUnit::kVoltmeter, "G0H64O0");
    if (Settings().bufferAmplifierMode) {
        Write(HallUnit::kSource, "DP");
        Write(HallUnit::kMatrix, "S58");
        SelectConfiguration(0);
        const double first = Reading();
        SelectConfiguration(1);
        const double second = Reading();
        if (first > second) SelectConfiguration(0);
    } else {
        Write(HallUnit::kSource, "P");
        SelectConfiguration(0);
        const double first = Reading();
        SelectConfiguration(1);
        const double second = Reading();
        if (first > second) SelectConfiguration(0);
    }
}

void TResVdp::SetHold() {
    Write(HallUnit::kVoltmeter, "H128");
    double value = 0.0;
    int gain = 1;
    HallUnit::MeasureVoltageAutoGain(value, gain);
    const int hold = ResultMath::HoldValue(value);
    Write(HallUnit::kVoltmeter, Printf("H%d", hold));
    gainScale_ = GainScale(gain, hold);
}

void TResVdp::SelectConfiguration(int i) {
    const Configuration& configuration = kConfigurations[i];
    if (Settings().bufferAmplifierMode) {
        Write(HallUnit::kMatrix, configuration.bufferPair);
        BufferAmplifierLink::Send(configuration.bufferByte);
        Wait::Ms(110);
    } else {
        Write(HallUnit::kMatrix, configuration.standardSwitch);
    }
}

void TResVdp::MeasureConfigurations() {
    for (int i = 0; i < 4; ++i) {
        CheckCancel();
        SelectConfiguration(i);
        Write(HallUnit::kSource, "P");
        const double plus = Reading() / gainScale_;
        Fields().Set(kPlus + i, Printf("%+.3le", plus));
        Write(HallUnit::kSource, "N");
        const double minus = Reading() / gainScale_;
        Fields().Set(kMinus + i, Printf("%+.3le", minus));
        vAvg_[i] = (plus - minus) * 0.5;
    }
}

// Skipped, leaving the record as it was, when any average is exactly 0. Two
// adjacent averages equal and opposite have no correction factor: the run
// ends through its error path with the rows before them shown and the record
// untouched.
void TResVdp::Compute() {
    for (double average : vAvg_)
        if (average == 0.0) return;
    double sheetSum = 0.0;
    double ratioSum = 0.0;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const ResultMath::VdpRow row =
            ResultMath::VanDerPauwRow(vAvg_[i], vAvg_[j], Settings().Current);
        Fields().Set(kRatio + i, Printf("%.2lf", row.ratio));
        Fields().Set(kFactor + i, Printf("%.2lf", row.factor));
        Fields().Set(kSheet + i, Printf("%.4lg", row.sheet));
        sheetSum += row.sheet;
        ratioSum += row.ratio;
    }
    Results().sheetResistance = sheetSum * 0.25;
    Results().symmetryFactor = ratioSum * 0.25;
}

std::string TResVdp::LogBlock() const {
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
