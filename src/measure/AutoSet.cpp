#include "measure/AutoSet.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "electronics/BufferAmplifierLink.h"
#include "core/FieldSet.h"
#include "bus/GpibBus.h"
#include "electronics/HallReadings.h"
#include "electronics/HallUnit.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "measure/RunFrame.h"
#include "core/SpecimenData.h"
#include "measure/MeasureState.h"
#include "records/ProgramState.h"
#include "measure/RunFrame.h"
#include "core/RunLock.h"
#include "core/StatusFields.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace AutoSet {
namespace {

struct Unit {
    const char* text;
    const char* fileText;
    double factor;
    double start;
};
constexpr Unit kUnits[4] = {{"mA", "mA", 0.001, 1000.0},
                            {"\u00b5A",
                             "\xB5"
                             "A",
                             1.0, 10.0},
                            {"nA", "nA", 1000.0, 0.1},
                            {"pA", "pA", 1e6, 0.0001}};

const Unit& UnitOf(int iunits) {
    return kUnits[std::clamp(iunits, 0, 3)];
}

bool UpperLimit(int limit) {
    return limit == 1 || limit == 3;
}
bool LowerLimit(int limit) {
    return limit == 2 || limit == 4;
}

void Write(ProgramState& program, int secondary, const char* text) {
    program.Bus().Write(HallUnit::kPrimary, secondary, text);
}

void ShowException(QWidget* owner, const xmsg& error) {
    Prompt::Message(owner, error.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
}

std::vector<Report>& History() {
    static std::vector<Report> reports;
    return reports;
}

// Half the difference of the readings at + and - current, in millivolts at
// the voltmeter's input.
double ReadVr(ProgramState& program, double holdScale) {
    double positive = 0.0;
    double negative = 0.0;
    Write(program, HallUnit::kSource, "P");
    program.Hall().MeasureVoltage(positive);
    Write(program, HallUnit::kSource, "N");
    program.Hall().MeasureVoltage(negative);
    return (positive - negative) / (holdScale * 0.002);
}

// Programs the (possibly clamped) current and shows what the source took.
void SetAndShow(ProgramState& program, FieldSet& fields) {
    const MeasurementSettings& settings = program.Settings();
    program.Hall().SetCurrent();
    fields.Set(kCurrentField, CurrentText(settings.Current, settings.Iunits));
}

// The tries. Returns the outcome, or nothing when all tries are used.
std::optional<std::string> Tries(ProgramState& program, FieldSet& fields, double holdScale,
                                 unsigned target, int& tries) {
    int limitHit = 0;
    for (int n = 1; n <= kMaxTries; ++n) {
        tries = n;
        CheckCancel(program);
        fields.Set(kTryField, std::to_string(n));
        try {
            const double vr = ReadVr(program, holdScale);
            fields.Set(kVrField, Printf("%.1f", vr));
            // The size of Vr is what the target is about; its sign only says
            // which way round the contacts are wired.
            const double ratio = vr == 0.0 ? 10.0 : target / std::fabs(vr);
            if (0.9 < ratio && ratio < 1.1) return "Success";
            // At a limit only a step back inside it is worth another try.
            if (UpperLimit(limitHit) && ratio > 1.0) return "Maximum";
            if (LowerLimit(limitHit) && ratio < 1.0) return "Minimum";
            program.Settings().Current *= ratio;
            limitHit = program.Hall().LimitCurrent();
            SetAndShow(program, fields);
        } catch (const xmeas& error) {
            // Only over range or saturation says the current is too high; a
            // reading that could not be read says nothing about the current.
            if ((error.code() & (HallUnit::kOverRangeCode | HallUnit::kSaturatingCode)) == 0) throw;
            if (LowerLimit(limitHit)) return "Minimum";
            fields.Set(kVrField, "Over");
            program.Settings().Current *= 0.25;
            limitHit = program.Hall().LimitCurrent();
            SetAndShow(program, fields);
        }
    }
    return std::nullopt;
}

}  // namespace

const char* UnitText(int iunits) {
    return UnitOf(iunits).text;
}
const char* UnitFileText(int iunits) {
    return UnitOf(iunits).fileText;
}
double DisplayFactor(int iunits) {
    return UnitOf(iunits).factor;
}
double StartingCurrent(int iunits) {
    return UnitOf(iunits).start;
}

std::string CurrentText(double current, int iunits) {
    return Printf("%.3g", current * DisplayFactor(iunits));
}

double CurrentFromText(const std::string& text, int iunits) {
    return ParseDecimal(text) / DisplayFactor(iunits);
}

TargetRange RangeFor(int shape) {
    if (shape == 0) return {4, 200, "Range is 4 - 200 mV"};
    return {40, 2000, "Range is 40 - 2000 mV"};
}

int& TargetFor(MeasurementSettings& settings, int shape) {
    if (shape == 0) return settings.TargVrVDP;
    if (shape == 1) return settings.TargVrBar;
    return settings.TargVrBridge;
}

std::optional<unsigned> ParseTarget(const std::string& text, int shape) {
    // An unsigned decimal, blanks around it allowed; nothing else.
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    if (begin < end && text[begin] == '+') ++begin;
    if (begin == end) return std::nullopt;
    unsigned long long value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 1000000) return std::nullopt;  // far outside every range
    }
    const TargetRange range = RangeFor(shape);
    if (value < range.low || value > range.high) return std::nullopt;
    return static_cast<unsigned>(value);
}

bool TakeTarget(ProgramState& program, QWidget* owner, const std::string& text) {
    const int shape = program.Specimen().Shape;
    const auto target = ParseTarget(text, shape);
    if (!target) {
        Prompt::Message(owner, RangeFor(shape).message, "Invalid TargVr");
        return false;
    }
    TargetFor(program.Settings(), shape) = static_cast<int>(*target);
    return true;
}

// The switches and the voltmeter's gain for the Vr reading; returns the hold
// scale the difference is divided by.
double PrepareVr(ProgramState& program) {
    if (program.Specimen().Shape != 0) {
        Write(program, HallUnit::kMatrix, "S56M14");
        Write(program, HallUnit::kVoltmeter, "G0H255O0");
        return 1.004;
    }
    Write(program, HallUnit::kVoltmeter, "G0H64O0");
    if (program.Settings().bufferAmplifierMode) {
        Write(program, HallUnit::kMatrix, "S58M43");
        program.Instruments().AmplifierLink().Send(133);
        Wait::Ms(110);
    } else {
        Write(program, HallUnit::kMatrix, "S12M43");
    }
    return 4.0;
}

const char* LimitMessage(int limit) {
    switch (limit) {
        case 1:
            return "Max. current 5000 nA.\nSelect standard electronics.";
        case 2:
            return "Min. current 1 pA";
        case 3:
            return "Max. current 19.9 mA";
        case 4:
            return "Min. current 0.1 \u00b5A\nSelect buffer amplifier";
        default:
            return "";
    }
}

Report Search(ProgramState& program, FieldSet& fields, QWidget* owner) {
    Report report;
    report.outcome = "Failed";
    fields.Set(kOutcomeField, "");
    program.State().cancelRequested = false;
    // The search runs as a measurement: the abort button is live and no
    // other run starts inside its waits.
    const RunLock lock = RunLock::TryAcquire(program.Core());
    if (!lock) return report;

    bool busError = false;
    try {
        const int shape = program.Specimen().Shape;
        const unsigned target =
            static_cast<unsigned>(std::max(0, TargetFor(program.Settings(), shape)));
        const double holdScale = PrepareVr(program);
        if (auto outcome = Tries(program, fields, holdScale, target, report.tries))
            report.outcome = *outcome;
    } catch (bool) {
        report.outcome = "aborted";
    } catch (const xgpib& error) {
        busError = true;
        ShowException(owner, error);
    } catch (const xmsg& error) {
        ShowException(owner, error);
    }
    fields.Set(kOutcomeField, report.outcome);
    // After a bus failure the electronics cannot be reached to disconnect.
    if (!busError) {
        try {
            program.Hall().Disconnect();
        } catch (const xmsg& error) {
            ShowException(owner, error);
        }
    }
    report.current = program.Settings().Current;
    History().push_back(report);
    return report;
}

bool PrepareStart(ProgramState& program, FieldSet& fields, QWidget* owner) {
    MeasurementSettings& settings = program.Settings();
    settings.Current = StartingCurrent(settings.Iunits);
    fields.Set(kCurrentField, CurrentText(settings.Current, settings.Iunits));
    if (program.Config().noInstrument) return false;
    try {
        program.Hall().SetCurrent();
    } catch (const xmsg& error) {
        ShowException(owner, error);
        return false;
    }
    return true;
}

void AutoSetCommand(ProgramState& program, QWidget* owner) {
    if (!RunLock::CanStart(program.Core())) return;
    const int shape = program.Specimen().Shape;
    if (!TakeTarget(program, owner, std::to_string(TargetFor(program.Settings(), shape)))) return;
    FieldSet fields;
    if (!PrepareStart(program, fields, owner)) return;
    Search(program, fields, owner);
}

const std::vector<Report>& Reports() {
    return History();
}

void ClearHistory() {
    History().clear();
}

void DumpAutoSet(std::vector<std::string>& lines) {
    for (const Report& report : History())
        lines.push_back(
            Printf("autoset: %s %d %.6g", report.outcome.c_str(), report.tries, report.current));
}

}  // namespace AutoSet

void ResetMeasureState() {
    ResetRecordsState();
    AutoSet::ClearHistory();
    SetScanRunningQuery(nullptr);
}
