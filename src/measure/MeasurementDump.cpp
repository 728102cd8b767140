#include "measure/MeasurementDump.h"

#include "records/ProgramState.h"

#include "core/MeasurementResults.h"
#include "core/MeasurementState.h"
#include "measure/MeasurementRun.h"
#include "core/Printf.h"
#include "measure/Results.h"

namespace {
// One dump entry per line: line breaks inside a text are written as \n.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}
}  // namespace

void DumpMeasurements(ProgramState& program, std::vector<std::string>& lines,
                      const std::vector<const MeasurementRun*>& runs) {
    std::string results = "results:";
    for (int id = 1; id <= 6; ++id)
        results += " " + std::to_string(id) + "=" + OneLine(ResultsFields().Get(id));
    lines.push_back(results);

    const MeasurementResults& record = program.Results();
    lines.push_back(
        Printf("record: sheetResistance=%.9g bulkResistivity=%.9g hallCoefficientRaw=%.9g "
               "sheetConcentration=%.9g bulkConcentration=%.9g mobility=%.9g symmetryFactor=%.9g",
               record.sheetResistance, record.bulkResistivity, record.hallCoefficientRaw,
               record.sheetConcentration, record.bulkConcentration, record.mobility,
               record.symmetryFactor));
    lines.push_back("flags: " + std::to_string(record.flags));
    lines.push_back("measurementStatus: " + std::to_string(program.State().measurementStatus));

    for (const MeasurementRun* run : runs) {
        if (!run) continue;
        std::string line = "window: " + run->ResourceName();
        for (const auto& [id, text] : run->Fields().All())
            line += " " + std::to_string(id) + "=" + OneLine(text);
        lines.push_back(line);
    }
}
