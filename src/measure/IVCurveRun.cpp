#include "measure/IVCurveRun.h"

#include "records/ProgramState.h"

#include <cstdint>

#include "electronics/BufferAmplifierLink.h"
#include "bus/GpibBus.h"
#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementSettings.h"
#include "core/Printf.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
constexpr std::uint8_t kPairBytes[2] = {133, 176};
// The fine gain the curve is read at: the voltmeter's full 255 of 256.
constexpr int kCurveFineGain = 255;

}  // namespace

IVCurveRun::IVCurveRun(ProgramState& program, QObject* parent)
    : MeasurementRun("IV", program, parent) {
    // Without an instrument the panes show their demonstration lines from the start.
    data_.curveComplete = program_.Config().noInstrument;
    data_.demonstration = program_.Config().noInstrument;
    Fields().Set(kCurrentLabel, "0.5 mA");
    Fields().Set(kVoltageLabel, ".75 V");
}

void IVCurveRun::Measure() {
    if (program_.Config().noInstrument) return;
    ShowStatus("IV-Curve", "");
    for (auto& pair : data_.sweeps)
        for (auto& sweep : pair) sweep.clear();
    data_.curveComplete = false;
    emit dataChanged();
    Pump();
    const RunEnd end = RunSteps(program_, [this] { Sweeps(); });
    FinishRun(program_, end, 2, [this] { return LogBlock(); });
}

void IVCurveRun::Sweeps() {
    MeasurementSettings& settings = program_.Settings();
    const bool buffered = settings.bufferAmplifierMode;
    const CurrentUnit unit = CurrentUnitFor(settings.Iunits);
    Fields().Set(kCurrentLabel, Printf("%lg %s", settings.Current * unit.factor, unit.text));
    program_.Hall().SetCurrent();
    // The sweep steps the source itself; in buffered mode the amplifier divides
    // its value by the range multiplier, which the points are taken back from
    // so that they are microamps on either path.
    const double sourceFullScale = buffered ? settings.bufferSourceValue : settings.Current;
    microampsPerSourceUnit_ =
        buffered && sourceFullScale != 0.0 ? settings.Current / sourceFullScale : 1.0;
    data_.fullScaleCurrent = sourceFullScale * microampsPerSourceUnit_;

    WriteHall(HallUnit::kSource, "DP");
    WriteHall(HallUnit::kVoltmeter, Printf("H%dO0", kCurveFineGain));
    SelectPair(0, buffered);

    // The sweeps read at the gain this reading ends at; dividing by the scale
    // of that gain and of the fine gain, as every other reading of the
    // electronics is, makes the full scale, the label and every point volts.
    double reading = 0.0;
    gain_ = 0;
    program_.Hall().MeasureVoltageAutoGain(reading, gain_);
    data_.fullScaleVoltage = reading / GainScale(gain_, kCurveFineGain);
    Fields().Set(kVoltageLabel, Printf("%.2lf V", data_.fullScaleVoltage));
    xScale_ = IVMath::Scale(IVMath::kScreenHalfSize, data_.fullScaleVoltage);
    yScale_ = IVMath::Scale(IVMath::kScreenHalfSize, data_.fullScaleCurrent);
    stepCurrent_ = sourceFullScale * 0.1;

    Sweep(0, 0);
    WriteHall(HallUnit::kSource, "N");
    Sweep(0, 1);
    SelectPair(1, buffered);
    WriteHall(HallUnit::kSource, "P");
    Sweep(1, 0);
    WriteHall(HallUnit::kSource, "N");
    Sweep(1, 1);

    data_.curveComplete = true;
    emit dataChanged();
    ShowStatus("Ready", "");
}

void IVCurveRun::SelectPair(int pair, bool buffered) {
    if (buffered) {
        program_.Instruments().AmplifierLink().Send(kPairBytes[pair]);
        WriteHall(HallUnit::kMatrix, pair == 0 ? "S58M12" : "M34");
        Wait::Ms(110);
    } else {
        WriteHall(HallUnit::kMatrix, pair == 0 ? "S12M12" : "S34M34");
    }
}

void IVCurveRun::Sweep(int pair, int sweep) {
    std::vector<IVPoint>& points = data_.sweeps[pair][sweep];
    const double decade = GainScale(gain_, kCurveFineGain);
    for (int step = 0; step <= IVMath::kStepsPerSweep; ++step) {
        CheckCancel(program_);
        WriteHall(HallUnit::kSource, Printf("I%.1lf", step * stepCurrent_));
        // A reply with no number in it is a failed reading, never a point at 0.
        const double current = program_.Hall().ReadCurrent();
        double reading = 0.0;
        if (program_.Settings().Delay != 0) {
            program_.Hall().MeasureVoltage(reading);
        } else {
            const HallReading curve = HallUnit::ReadCurveVoltage(program_.Bus());
            // Over range ends the sweep without the point.
            if (curve.kind == HallReading::Kind::OverRange) return;
            reading = curve.value;
        }
        const IVPoint point{reading / decade,
                            (sweep == 0 ? -current : current) * microampsPerSourceUnit_};
        points.push_back(point);
        emit dataChanged();
        // A point beyond the pane is kept and drawn up to the frame; the sweep ends.
        if (IVMath::LeavesPane(IVMath::PaneCoordinate(point.voltage, xScale_),
                               IVMath::kScreenHalfSize))
            return;
    }
}

std::string IVCurveRun::LogBlock() const {
    return IVMath::LogBlock(data_.sweeps, program_.Settings().Iunits);
}

void DumpIVCurve(std::vector<std::string>& lines, const IVCurveRun& run) {
    const IVSweeps& sweeps = run.Data().sweeps;
    for (int pair = 0; pair < 2; ++pair)
        for (int sweep = 0; sweep < 2; ++sweep)
            for (const IVPoint& point : sweeps[pair][sweep])
                lines.push_back(Printf("iv: %d %d %.9g %.9g", pair, sweep,
                                       // + 0.0 writes the zero step as 0, not -0
                                       point.current + 0.0, point.voltage + 0.0));
}
