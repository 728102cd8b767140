#pragma once
// The current auto-set: the search for the measurement current that gives the
// wanted voltage (the target Vr of the specimen's shape) across the sample,
// and the rules the Current page shares with it: the unit table, the target
// ranges, the starting currents, the current limits' messages.
#include <optional>
#include <string>
#include <vector>

class FieldSet;
struct MeasurementSettings;
class ProgramState;
class QWidget;

namespace AutoSet {

// Fields of the Current page the search writes: the current edit (display
// unit), the try number, the last Vr (or "Over") and the outcome.
constexpr int kCurrentField = 103;
constexpr int kTryField = 110;
constexpr int kVrField = 111;
constexpr int kOutcomeField = 112;
constexpr int kMaxTries = 39;

// The display unit of the current (Iunits 0..3; other values are taken as
// the nearest unit): its screen text and the factor from microamperes.
const char* UnitText(int iunits);      // "mA", "µA" (UTF-8), "nA", "pA"
const char* UnitFileText(int iunits);  // the same, the micro sign as Latin-1 byte 0xB5
double DisplayFactor(int iunits);
// `Current` as the edit shows it: current x factor, "%.3g".
std::string CurrentText(double current, int iunits);
// The number an operator typed, back to microamperes (no number reads as 0).
double CurrentFromText(const std::string& text, int iunits);

// Where the search starts for a unit: mA 1000, uA 10, nA 0.1, pA 0.0001 (uA).
double StartingCurrent(int iunits);

// The target Vr of a shape (0 van der Pauw, 1 bar, others bridge) and its
// allowed range, both ends included.
struct TargetRange {
    unsigned low;
    unsigned high;
    const char* message;  // "Range is 4 - 200 mV" / "Range is 40 - 2000 mV"
};
TargetRange RangeFor(int shape);
int& TargetFor(MeasurementSettings& settings, int shape);
// The edit's text as an unsigned number within the shape's range.
std::optional<unsigned> ParseTarget(const std::string& text, int shape);
// Validates the text; shows "Invalid TargVr" with the range when it is not a
// number in range (false), else stores it as the shape's target (true).
bool TakeTarget(ProgramState& program, QWidget* owner, const std::string& text);

// The text of a LimitCurrent result 1..4 ("" for 0); caption "Can't Set Current".
const char* LimitMessage(int limit);

struct Report {
    std::string outcome;  // "Success", "Maximum", "Minimum", "aborted", "Failed"
    int tries = 0;
    double current = 0.0;  // microamperes, as the source reported it last
};

// The search itself, from the present current and the stored target of the
// specimen's shape: prepares the switches and gain, reads Vr at + and -
// current, scales the current by target / Vr until Vr is within 10 %, a
// limit of the electronics stops it, or 39 tries are used. Writes the fields
// above, shows other errors in an "Exception:" box, disconnects at the end,
// and records the report for the dump. Runs as a measurement: busy while it
// searches, the operator's abort ends it "aborted".
Report Search(ProgramState& program, FieldSet& fields, QWidget* owner);

// What "Set" does once the target is valid: starting current by unit, shown
// in the current field; unless there is no instrument, SetCurrent. False
// when SetCurrent raised (its text shown in an "Exception:" box) or when
// there is no instrument: then no search follows.
bool PrepareStart(ProgramState& program, FieldSet& fields, QWidget* owner);

// The whole auto-set without the page, for the automation: the stored target
// of the specimen's shape is validated, the current starts by the unit, and
// the search runs at once. Nothing happens while a measurement runs.
void AutoSetCommand(ProgramState& program, QWidget* owner);

// Every search of this run, in order.
const std::vector<Report>& Reports();
// Sets the switches and the voltmeter's gain for the Vr reading of the
// present shape and electronics; returns the hold scale the difference of the
// + and - readings is divided by (1.004 bar or bridge, 4 van der Pauw).
double PrepareVr(ProgramState& program);
// Tests: forget the searches of earlier runs.
void ClearHistory();
// One "autoset: <outcome> <tries> <current>" line per search.
void DumpAutoSet(std::vector<std::string>& lines);

}  // namespace AutoSet
