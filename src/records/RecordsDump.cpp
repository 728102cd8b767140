#include "RecordsDump.h"

#include <QString>
#include <cctype>
#include <climits>
#include <cmath>
#include <functional>

#include "ArchiveSettings.h"
#include "CurrentSets.h"
#include "GraphStyle.h"
#include "LogFile.h"
#include "MeasurementSettings.h"
#include "Printf.h"
#include "RecordText.h"
#include "RecordsLinks.h"
#include "RegValues.h"
#include "ScanSettings.h"
#include "SpecimenData.h"

namespace {
enum class Group { Specimen, Settings };

// One named field: how to show it and how to set it from text.
struct Field {
    const char* name;
    Group group;
    std::function<std::string()> get;
    std::function<bool(const std::string&, std::string&)> set;
};

std::string Num(double v) {
    return RegValues::General(v, 9);
}

// Dump lines are UTF-8; the records keep Latin-1.
std::string Shown(const std::string& text) {
    return FromRecordText(text).toStdString();
}

Field Text(const char* name, Group group, std::string& field, std::size_t size) {
    return {name, group, [&field] { return Shown(field); },
            [&field, size](const std::string& v, std::string&) {
                field = ToRecordText(QString::fromStdString(v), size);
                return true;
            }};
}

Field Real(const char* name, Group group, double& field) {
    return {name, group, [&field] { return Num(field); },
            [&field](const std::string& v, std::string& error) {
                const auto n = RegValues::ParseNumber(v);
                if (!n) {
                    error = "not a number: " + v;
                    return false;
                }
                field = *n;
                return true;
            }};
}

template <typename T>
Field Integer(const char* name, Group group, T& field, long long low, long long high) {
    return {name, group, [&field] { return std::to_string(static_cast<long long>(field)); },
            [&field, low, high](const std::string& v, std::string& error) {
                const auto n = RegValues::ParseNumber(v);
                // The range is checked before the value is made whole.
                if (!n || *n < static_cast<double>(low) || *n > static_cast<double>(high) ||
                    *n != std::trunc(*n)) {
                    error =
                        Printf("not a whole number from %lld to %lld: %s", low, high, v.c_str());
                    return false;
                }
                field = static_cast<T>(*n);
                return true;
            }};
}

Field Bool(const char* name, Group group, bool& field) {
    return {name, group, [&field] { return std::string(field ? "1" : "0"); },
            [&field](const std::string& v, std::string& error) {
                if (v != "0" && v != "1") {
                    error = "not 0 or 1: " + v;
                    return false;
                }
                field = v == "1";
                return true;
            }};
}

// 0 or 3 to 100: the scan plan divides by the count less one.
Field PointCount(std::int32_t& field) {
    Field f = Integer("ScanNpoints", Group::Settings, field, 0, ScanSettings::kMaxPoints);
    auto set = f.set;
    f.set = [set](const std::string& v, std::string& error) {
        const auto n = RegValues::ParseNumber(v);
        if (n && *n >= 0 && *n <= 100 && !UsablePointCount(static_cast<std::int64_t>(*n))) {
            error = "the number of points is 0 or 3 to 100: " + v;
            return false;
        }
        return set(v, error);
    };
    return f;
}

std::vector<Field> Fields() {
    auto& sp = Specimen();
    auto& st = Settings();
    auto& sc = Scan();
    const auto S = Group::Specimen;
    const auto G = Group::Settings;
    constexpr long long kInt = INT32_MAX;
    std::vector<Field> f = {
        Text("WaferID", S, sp.WaferID, SpecimenData::kIdSize),
        Text("BatchID", S, sp.BatchID, SpecimenData::kIdSize),
        Text("Description", S, sp.Description, SpecimenData::kDescriptionSize),
        Text("Material", S, sp.Material, SpecimenData::kMaterialSize),
        Integer("Shape", S, sp.Shape, 0, 2),
        Real("Thickness", S, sp.Thickness),
        Real("Length", S, sp.Length),
        Real("Width", S, sp.Width),
        Real("MaterialConstant", S, sp.MaterialConstant),
        Real("Current", G, st.Current),
        Integer("Iunits", G, st.Iunits, 0, 3),
        Integer("AC", G, st.AC, 0, 1),
        Integer("Delay", G, st.Delay, 0, kInt),
        Integer("Integrations", G, st.Integrations, 0, kInt),
        Integer("Cycles", G, st.Cycles, 0, kInt),
        Integer("TargVrVDP", G, st.TargVrVDP, 0, kInt),
        Integer("TargVrBar", G, st.TargVrBar, 0, kInt),
        Integer("TargVrBridge", G, st.TargVrBridge, 0, kInt),
        Integer("LogInclude", G, st.LogInclude, 0, 255),
        Real("ScatFactor", G, st.ScatFactor),
        Real("Tesla", G, st.Tesla),
        Real("eVsurface", G, st.eVsurface),
        Real("eVinner", G, st.eVinner),
        // Not stored in a set: the Current page's unit choice sets it.
        Bool("BufferAmplifierMode", G, st.bufferAmplifierMode),
        {"SetTemp", G, [] { return Num(ControllerSetPoint()); },
         [](const std::string& v, std::string& error) {
             const auto n = RegValues::ParseNumber(v);
             if (!n) {
                 error = "not a number: " + v;
                 return false;
             }
             SetControllerSetPoint(*n);
             return true;
         }},
        Text("DataArchive", G, Archive().DataArchive, ArchiveSettings::kPathSize),
        Text("DataDir", G, sc.DataDir, ScanSettings::kDataDirSize),
        Integer("Nmin", G, sc.Nmin, -kInt, kInt),
        Integer("Nmax", G, sc.Nmax, -kInt, kInt),
        Integer("Umin", G, sc.Umin, -kInt, kInt),
        Integer("Umax", G, sc.Umax, -kInt, kInt),
        Integer("Rmin", G, sc.Rmin, -kInt, kInt),
        Integer("Rmax", G, sc.Rmax, -kInt, kInt),
        Integer("RHmin", G, sc.RHmin, -kInt, kInt),
        Integer("RHmax", G, sc.RHmax, -kInt, kInt),
        Integer("Tscale1", G, sc.Tscale1, -kInt, kInt),
        Integer("Tscale2", G, sc.Tscale2, -kInt, kInt),
        Bool("TscaleInverse", G, sc.TscaleInverse),
        Integer("ScanTstart", G, sc.ScanTstart, -kInt, kInt),
        Integer("ScanTstop", G, sc.ScanTstop, -kInt, kInt),
        PointCount(sc.ScanNpoints),
        Bool("ScanInverse", G, sc.ScanInverse),
        Bool("ReturnRoomTemp", G, sc.ReturnRoomTemp),
        Bool("AutoSetIm", G, sc.AutoSetIm),
    };
    return f;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Hex(std::uint32_t v) {
    return Printf("0x%08X", v);
}

std::string Points(const PointStyle& p) {
    return Printf("%d,%d,", p.shape, p.size) + Hex(p.lineColor) + "," + Hex(p.fillColor);
}
}  // namespace

void DumpRecords(std::vector<std::string>& lines) {
    for (const auto& field : Fields()) {
        lines.push_back(std::string(field.group == Group::Specimen ? "specimen: " : "settings: ") +
                        field.name + "=" + field.get());
    }
    const auto& style = Style();
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
    lines.push_back("sets: settings=" + Shown(Sets().currentSettingsName) +
                    " style=" + Shown(Sets().currentStyleName));
    lines.push_back(Log().IsOpen() ? "log: " + Shown(Log().Name()) : std::string("log: none"));
}

bool ApplySetting(const std::string& name, const std::string& value, std::string& error) {
    for (auto& field : Fields())
        if (SameName(field.name, name)) return field.set(value, error);
    error = "unknown setting: " + name;
    return false;
}

std::vector<std::string> SettingNames() {
    std::vector<std::string> names;
    for (const auto& field : Fields()) names.push_back(field.name);
    return names;
}
