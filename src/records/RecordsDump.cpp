#include "records/RecordsDump.h"

#include "records/ProgramState.h"

#include <QString>
#include <cctype>
#include <climits>
#include <cmath>
#include <functional>

#include "records/ArchiveSettings.h"
#include "records/CurrentSets.h"
#include "records/GraphStyle.h"
#include "records/LogFile.h"
#include "core/MeasurementSettings.h"
#include "core/Printf.h"
#include "records/RecordText.h"
#include "records/RecordsLinks.h"
#include "records/RegValues.h"
#include "records/ScanSettings.h"
#include "records/SettingsTable.h"
#include "core/SpecimenData.h"

namespace {
// Dump lines are UTF-8; the records keep Latin-1.
std::string Shown(const std::string& text) {
    return FromRecordText(text).toStdString();
}

std::string Hex(std::uint32_t v) {
    return Printf("0x%08X", v);
}

std::string Points(const PointStyle& p) {
    return Printf("%d,%d,", p.shape, p.size) + Hex(p.lineColor) + "," + Hex(p.fillColor);
}
}  // namespace

void DumpRecords(ProgramState& program, std::vector<std::string>& lines) {
    for (const SettingField& field : SettingsTable(program)) {
        if (!field.name) continue;
        lines.push_back(std::string(field.specimen ? "specimen: " : "settings: ") + field.name +
                        "=" + SettingText(field));
    }
    const auto& style = program.Records().style;
    lines.push_back("style: FontName=" + Shown(style.FontName));
    lines.push_back(Printf("style: FontHeight=%d", style.FontHeight));
    lines.push_back(Printf("style: FontWeight=%d", style.FontWeight));
    lines.push_back(Printf("style: FontItalic=%d", style.FontItalic ? 1 : 0));
    lines.push_back("style: FrameColor=" + Hex(style.FrameColor));
    lines.push_back("style: SetColor=" + Hex(style.SetColor));
    lines.push_back("style: MeasColor=" + Hex(style.MeasColor));
    lines.push_back("style: RubberColor=" + Hex(style.RubberColor));
    lines.push_back("style: N=" + Points(style.N));
    lines.push_back("style: P=" + Points(style.P));
    lines.push_back("style: UN=" + Points(style.UN));
    lines.push_back("style: UP=" + Points(style.UP));
    const CurrentSets& sets = program.Records().sets;
    lines.push_back("sets: settings=" + Shown(sets.currentSettingsName) +
                    " style=" + Shown(sets.currentStyleName));
    const LogFile& log = program.Log();
    lines.push_back(log.IsOpen() ? "log: " + Shown(log.Name()) : std::string("log: none"));
}

bool ApplySetting(ProgramState& program, const std::string& name, const std::string& value,
                  std::string& error) {
    if (const SettingField* field = FindSetting(program, name))
        return AssignSetting(*field, value, error);
    error = "unknown setting: " + name;
    return false;
}

std::vector<std::string> SettingNames(ProgramState& program) {
    std::vector<std::string> names;
    for (const SettingField& field : SettingsTable(program))
        if (field.name) names.push_back(field.name);
    return names;
}
