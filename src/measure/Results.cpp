#include "measure/Results.h"

#include "records/ProgramState.h"

#include "records/LogFile.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/Printf.h"
#include "measure/ResultComputations.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"
#include "core/xmsg.h"

namespace {
constexpr unsigned kResistivityShown = 1;
constexpr unsigned kHallShown = 2;

// Results are always logged, whatever LogInclude says.
void LogLine(ProgramState& program, const char* format, const std::string& text) {
    if (program.Log().IsOpen()) program.Log().Append(Printf(format, text.c_str()));
}

// The log takes the value as the run ends, measured or not; the panel
// shows only what was measured.
void Show(ProgramState& program, int id, const std::string& text, const char* logFormat,
          unsigned needs) {
    const unsigned measured = program.Results().measured;
    ResultsFields().Set(id, (measured & needs) == needs ? text : std::string());
    LogLine(program, logFormat, text);
}
constexpr unsigned kResistivity = MeasurementResults::kResistivityMeasured;
constexpr unsigned kHall = MeasurementResults::kHallMeasured;

void UpdateMobility(ProgramState& program) {
    MeasurementResults& results = program.Results();
    if (results.flags != (kResistivityShown | kHallShown)) return;
    const auto mobility = ResultMath::Mobility(results.hallCoefficientRaw, results.sheetResistance,
                                               program.Settings().ScatFactor);
    if (!mobility) return;  // field 4 keeps its text
    results.mobility = *mobility;
    Show(program, 4, Printf("%.3lg", *mobility), "Mobility: cm2/(V-sec)\t%s\r\n",
         kResistivity | kHall);
}

void UpdateBulkResistivity(ProgramState& program) {
    MeasurementResults& results = program.Results();
    const double thickness = program.Specimen().Thickness;
    if (thickness == 0.0) {
        ResultsFields().Set(2, "");
        return;
    }
    try {
        results.bulkResistivity = ResultMath::BulkResistivity(results.sheetResistance, thickness);
    } catch (const xmath&) {
        ResultsFields().Set(2, "");
        return;
    }
    Show(program, 2, Printf("%.4lg", results.bulkResistivity), "Bulk Res: (ohms-cm)\t%s\r\n",
         kResistivity);
}

void UpdateBulkConcentration(ProgramState& program) {
    MeasurementResults& results = program.Results();
    const double thickness = program.Specimen().Thickness;
    if (thickness == 0.0) {
        ResultsFields().Set(6, "");
        return;
    }
    try {
        results.bulkConcentration =
            ResultMath::BulkConcentration(results.sheetConcentration, thickness);
    } catch (const xmath&) {
        ResultsFields().Set(6, "");
        return;
    }
    Show(program, 6, Printf("%+.3le", results.bulkConcentration), "Bulk Conc: (cm-3)\t%s\r\n",
         kHall);
}

// A Hall result without a usable coefficient: no concentrations rather than
// infinities; the reason goes to the tool bar and the log.
void ConcentrationsFailed(ProgramState& program, const std::string& reason) {
    MeasurementResults& results = program.Results();
    results.sheetConcentration = 0.0;
    results.bulkConcentration = 0.0;
    ResultsFields().Set(5, "");
    ResultsFields().Set(6, "");
    program.Status().SetText("ERROR");
    program.Status().SetDetail(reason);
    if (program.Log().IsOpen()) program.Log().Append(reason + "\r\n");
}
}  // namespace

FieldSet& ResultsFields() {
    static FieldSet* fields = [] {
        auto* set = new FieldSet;  // lives as long as the program
        for (int id = 1; id <= 6; ++id) set->Set(id, "");
        return set;
    }();
    return *fields;
}

void ResultsClear(ProgramState& program) {
    for (int id = 1; id <= 6; ++id) ResultsFields().Set(id, "");
    program.Results().flags = 0;
}

void ResultsShowExamples() {
    ResultsFields().Set(1, "678");
    ResultsFields().Set(3, "-212");
    ResultsFields().Set(4, "3.3e+03");
    ResultsFields().Set(5, "-2.94e+12");
}

void ResultsUpdateResistivity(ProgramState& program) {
    MeasurementResults& results = program.Results();
    results.flags |= kResistivityShown;
    Show(program, 1, Printf("%.4lg", results.sheetResistance), "Sheet Res: (ohms/sq)\t%s\r\n",
         kResistivity);
    UpdateMobility(program);
    UpdateBulkResistivity(program);
}

void ResultsUpdateHall(ProgramState& program) {
    MeasurementResults& results = program.Results();
    const double scatFactor = program.Settings().ScatFactor;
    results.flags |= kHallShown;
    if (scatFactor > 0.0) {
        Show(program, 3, Printf("%+.3lg", results.hallCoefficientRaw / scatFactor),
             "Hall Coef: (m2/C)\t%s\r\n", kHall);
    } else {
        ResultsFields().Set(3, "");
    }
    UpdateMobility(program);
    try {
        results.sheetConcentration =
            ResultMath::SheetConcentration(results.hallCoefficientRaw, scatFactor);
    } catch (const xmath& error) {
        ConcentrationsFailed(program, error.why());
        return;
    }
    Show(program, 5, Printf("%+.3le", results.sheetConcentration), "Sheet Conc: (cm-2)\t%s\r\n",
         kHall);
    UpdateBulkConcentration(program);
}

void ScatteringChanged(ProgramState& program) {
    if (program.Results().flags & kHallShown) ResultsUpdateHall(program);
}

void ResultsThicknessChanged(ProgramState& program) {
    const unsigned flags = program.Results().flags;
    if (flags & kResistivityShown) UpdateBulkResistivity(program);
    if ((flags & kHallShown) && program.Results().hallCoefficientRaw != 0.0)
        UpdateBulkConcentration(program);
}
