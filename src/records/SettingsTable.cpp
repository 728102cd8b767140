#include "records/SettingsTable.h"

#include <QString>
#include <cctype>
#include <climits>
#include <cmath>

#include "records/ArchiveSettings.h"
#include "core/ControllerKind.h"
#include "platform/FileNames.h"
#include "records/Materials.h"
#include "core/MeasurementSettings.h"
#include "records/PageSetup.h"
#include "core/Printf.h"
#include "records/RecordText.h"
#include "records/RecordsLinks.h"
#include "records/RegValues.h"
#include "core/RunConfig.h"
#include "records/ScanSettings.h"
#include "core/SpecimenData.h"
#include "records/ProgramState.h"

namespace {
using RV = RegistryStore::Value;
constexpr double kInt = INT32_MAX;

// The electronics' current limits in microamperes: the buffer amplifier
// sources 1 pA to 5000 nA, the standard source 0.1 uA to 19.9 mA.
SettingRange CurrentRange(const MeasurementSettings& settings) {
    if (settings.bufferAmplifierMode) return {1e-6, 5.0};
    return {0.1, 19900.0};
}

// The set-point a controller accepts; without one, any temperature a
// specimen can be at by hand.
SettingRange SetPointRange(const RunConfig& config) {
    const ControllerFacts& facts = FactsOf(config.controllerKind);
    if (!HasController(facts.kind)) return {0.0, 1000.0};
    return {static_cast<double>(facts.minimum), static_cast<double>(facts.maximum)};
}

std::function<SettingRange()> Fixed(double low, double high, bool lowExclusive = false) {
    return [=] { return SettingRange{low, high, lowExclusive}; };
}

// A field of one of the program state's records; the table belongs to that
// state and lives no longer than it.
template <typename Record, typename T>
auto Field(Record& record, T Record::*member) {
    return [&record, member]() -> T& { return record.*member; };
}

template <typename Get>
SettingField Text(const char* name, const char* valueName, Get field, std::size_t size,
                  bool specimen, const char* installDefault = "") {
    SettingField f;
    f.name = name;
    f.valueName = valueName;
    f.type = SettingType::Text;
    f.size = static_cast<int>(size);
    f.specimen = specimen;
    f.installDefault = installDefault;
    f.text = [field]() -> std::string& { return field(); };
    return f;
}

// A text that names a file: the settings keep it whole or refuse it.
SettingField FileName(SettingField f) {
    f.fileName = true;
    return f;
}

template <typename Get>
SettingField Numeric(const char* name, const char* valueName, SettingType type, int size, Get field,
                     std::function<SettingRange()> range, bool specimen,
                     const char* installDefault) {
    using T = std::remove_reference_t<decltype(field())>;
    SettingField f;
    f.name = name;
    f.valueName = valueName;
    f.type = type;
    f.size = size;
    f.specimen = specimen;
    f.installDefault = installDefault;
    f.range = std::move(range);
    f.get = [field] { return static_cast<double>(field()); };
    f.put = [field](double v) { field() = static_cast<T>(v); };
    return f;
}

template <typename Get>
SettingField Real(const char* name, const char* valueName, int decimals, Get field,
                  std::function<SettingRange()> range, bool specimen, const char* installDefault) {
    return Numeric(name, valueName, SettingType::Number, decimals, field, std::move(range),
                   specimen, installDefault);
}

template <typename Get>
SettingField Whole(const char* name, const char* valueName, Get field, double low, double high,
                   bool specimen, const char* installDefault) {
    return Numeric(name, valueName, SettingType::Dword, 4, field, Fixed(low, high), specimen,
                   installDefault);
}

template <typename Get>
SettingField Flag(const char* name, const char* valueName, Get field, const char* installDefault) {
    return Numeric(name, valueName, SettingType::Flag, 1, field, Fixed(0, 1), false,
                   installDefault);
}

SettingField ControllerOnly(SettingField f) {
    f.controllerOnly = true;
    return f;
}

std::vector<std::uint8_t> Le32(const std::array<std::int32_t, 4>& values) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t m : values)
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(m) >> (8 * b)));
    return bytes;
}

SettingField Orientation(PageSetup& setup) {
    SettingField f;
    f.valueName = "Orientation";
    f.type = SettingType::Binary;
    f.size = 2;
    f.controllerOnly = true;
    // The orientation belongs to a device description; without one there is
    // nothing to put it into, and nothing to write.
    f.read = [&setup](RegistryStore& store, const std::string& key) {
        auto& page = setup;
        if (!page.orientation) return;
        if (const auto bytes = RegValues::Bytes(store, key, "Orientation", 2))
            page.orientation = static_cast<std::int16_t>((*bytes)[0] | ((*bytes)[1] << 8));
    };
    f.write = [&setup](std::vector<RV>& values) {
        const auto& page = setup;
        if (!page.orientation) return;
        const auto o = static_cast<std::uint16_t>(*page.orientation);
        values.push_back(RegistryStore::Binary(
            "Orientation", {static_cast<std::uint8_t>(o), static_cast<std::uint8_t>(o >> 8)}));
    };
    return f;
}

SettingField Margins(PageSetup& setup) {
    SettingField f;
    f.valueName = "Margins";
    f.type = SettingType::Binary;
    f.size = 16;
    f.controllerOnly = true;
    f.read = [&setup](RegistryStore& store, const std::string& key) {
        const auto bytes = RegValues::Bytes(store, key, "Margins", 16);
        if (!bytes) return;
        auto& page = setup;
        for (std::size_t i = 0; i < 4; ++i) {
            std::uint32_t v = 0;
            for (std::size_t b = 0; b < 4; ++b)
                v |= static_cast<std::uint32_t>((*bytes)[4 * i + b]) << (8 * b);
            page.margins[i] = static_cast<std::int32_t>(v);
        }
    };
    f.write = [&setup](std::vector<RV>& values) {
        values.push_back(RegistryStore::Binary("Margins", Le32(setup.margins)));
    };
    return f;
}

}  // namespace

std::vector<SettingField> BuildSettingsTable(ProgramState& program) {
    const bool S = true, G = false;
    SpecimenData& specimen = program.Specimen();
    MeasurementSettings& settings = program.Settings();
    ScanSettings& scan = program.Records().scan;
    ArchiveSettings& archive = program.Records().archive;
    std::vector<SettingField> t;
    t.push_back(Text("WaferID", "WaferID", Field(specimen, &SpecimenData::WaferID),
                     SpecimenData::kIdSize, S));
    t.push_back(Text("BatchID", "BatchID", Field(specimen, &SpecimenData::BatchID),
                     SpecimenData::kIdSize, S));
    t.push_back(Text("Description", "Description", Field(specimen, &SpecimenData::Description),
                     SpecimenData::kDescriptionSize, S));
    SettingField material = Text("Material", "Material", Field(specimen, &SpecimenData::Material),
                                 SpecimenData::kMaterialSize, S, "GaAs");
    // The permittivity is not part of the set; without the lookup the
    // depletion correction would work with whatever was there before.
    material.afterRead = [&specimen](RegistryStore& store) {
        specimen.MaterialConstant = MaterialPermittivity(store, specimen.Material);
    };
    t.push_back(material);
    // Micrometres; 0 means sheet results only. A negative thickness would
    // turn the bulk results and the carrier type around.
    t.push_back(Real("Thickness", "Thickness", 3, Field(specimen, &SpecimenData::Thickness),
                     Fixed(0, 10000), S, "1.0"));
    t.push_back(
        FileName(Text("DataArchive", "Data Archive", Field(archive, &ArchiveSettings::DataArchive),
                      ArchiveSettings::kPathSize, G)));
    t.push_back(Whole("Shape", "Shape", Field(specimen, &SpecimenData::Shape), 0, 2, S, "0"));
    t.push_back(Real("Tesla", "Tesla", 3, Field(settings, &MeasurementSettings::Tesla),
                     Fixed(0, 10, true), G, "0.5"));
    t.push_back(Real("ScatFactor", "ScatFactor", 2,
                     Field(settings, &MeasurementSettings::ScatFactor), Fixed(0, 10, true), G,
                     "1.0"));
    t.push_back(Real(
        "Current", "Current", 6, Field(settings, &MeasurementSettings::Current),
        [&settings] { return CurrentRange(settings); }, G, "100"));
    SettingField setTemp;
    setTemp.name = "SetTemp";
    setTemp.valueName = "SetTemp";
    setTemp.type = SettingType::Number;
    setTemp.size = 1;
    setTemp.installDefault = "293";
    setTemp.range = [&config = program.Config()] { return SetPointRange(config); };
    // Straight into the controller object's field, without commanding the stage.
    setTemp.get = [&parts = program.Records()] { return ControllerSetPoint(parts); };
    setTemp.put = [&parts = program.Records()](double v) { SetControllerSetPoint(parts, v); };
    t.push_back(setTemp);
    t.push_back(
        Whole("Iunits", "Iunits", Field(settings, &MeasurementSettings::Iunits), 0, 3, G, "1"));
    t.push_back(Whole("AC", "AC", Field(settings, &MeasurementSettings::AC), 0, 1, G, "0"));
    t.push_back(
        Whole("Delay", "Delay", Field(settings, &MeasurementSettings::Delay), 0, 100, G, "0"));
    t.push_back(Whole("Integrations", "Integrations",
                      Field(settings, &MeasurementSettings::Integrations), 0, 60, G, "0"));
    t.push_back(
        Whole("Cycles", "Cycles", Field(settings, &MeasurementSettings::Cycles), 1, 100, G, "1"));
    t.push_back(Whole("TargVrVDP", "TargVrVDP", Field(settings, &MeasurementSettings::TargVrVDP), 4,
                      200, G, "50"));
    t.push_back(Whole("TargVrBar", "TargVrBar", Field(settings, &MeasurementSettings::TargVrBar),
                      40, 2000, G, "500"));
    t.push_back(Whole("TargVrBridge", "TargVrBridge",
                      Field(settings, &MeasurementSettings::TargVrBridge), 40, 2000, G, "500"));
    SettingField logInclude =
        Whole("LogInclude", "Log Include", Field(settings, &MeasurementSettings::LogInclude), 0,
              255, G, "15");
    logInclude.type = SettingType::Byte;
    logInclude.size = 1;
    t.push_back(logInclude);
    t.push_back(Real("eVsurface", "eVsurface", 2, Field(settings, &MeasurementSettings::eVsurface),
                     Fixed(-100, 100), G, "0.70"));
    t.push_back(Real("eVinner", "eVinner", 2, Field(settings, &MeasurementSettings::eVinner),
                     Fixed(-100, 100), G, "0.60"));

    // With a temperature controller: the scan's data directory, the graph's
    // axes, the planned scan and the page set-up.
    t.push_back(
        ControllerOnly(FileName(Text("DataDir", "Data Dir", Field(scan, &ScanSettings::DataDir),
                                     ScanSettings::kDataDirSize, G, nullptr))));
    const std::pair<const char*, std::int32_t ScanSettings::*> axes[] = {
        {"Nmin", &ScanSettings::Nmin},       {"Nmax", &ScanSettings::Nmax},
        {"Umin", &ScanSettings::Umin},       {"Umax", &ScanSettings::Umax},
        {"Rmin", &ScanSettings::Rmin},       {"Rmax", &ScanSettings::Rmax},
        {"RHmin", &ScanSettings::RHmin},     {"RHmax", &ScanSettings::RHmax},
        {"Tscale1", &ScanSettings::Tscale1}, {"Tscale2", &ScanSettings::Tscale2}};
    const char* axisDefaults[] = {"12", "20", "1", "5", "-3", "4", "-2", "5", "50", "400"};
    for (std::size_t i = 0; i < std::size(axes); ++i)
        t.push_back(ControllerOnly(Whole(axes[i].first, axes[i].first, Field(scan, axes[i].second),
                                         -kInt, kInt, G, axisDefaults[i])));
    t.push_back(ControllerOnly(
        Flag("TscaleInverse", "TscaleInverse", Field(scan, &ScanSettings::TscaleInverse), "0")));
    t.push_back(
        ControllerOnly(Whole("ScanTstart", "ScanTstart", Field(scan, &ScanSettings::ScanTstart),
                             -kInt, kInt, G, "300")));
    t.push_back(ControllerOnly(Whole("ScanTstop", "ScanTstop",
                                     Field(scan, &ScanSettings::ScanTstop), -kInt, kInt, G, "80")));
    SettingField points = ControllerOnly(Whole(
        "ScanNpoints", "ScanNpoints", Field(scan, &ScanSettings::ScanNpoints), 0, 100, G, "12"));
    // Fewer than three points would divide by zero when the temperatures are planned.
    points.usable = [](double n) { return UsablePointCount(static_cast<std::int64_t>(n)); };
    points.rule = "0 or 3 to 100";
    t.push_back(points);
    t.push_back(ControllerOnly(
        Flag("ScanInverse", "ScanInverse", Field(scan, &ScanSettings::ScanInverse), "0")));
    t.push_back(ControllerOnly(
        Flag("ReturnRoomTemp", "ReturnRoomTemp", Field(scan, &ScanSettings::ReturnRoomTemp), "1")));
    t.push_back(
        ControllerOnly(Flag("AutoSetIm", "AutoSetIm", Field(scan, &ScanSettings::AutoSetIm), "0")));
    t.push_back(Orientation(program.Records().page));
    t.push_back(Margins(program.Records().page));

    // Not kept in a set: the Geometry page and the material list set these,
    // and the Current page's unit choice sets the buffer amplifier mode.
    t.push_back(Real("Length", nullptr, 3, Field(specimen, &SpecimenData::Length), Fixed(0, 1000),
                     S, nullptr));
    t.push_back(Real("Width", nullptr, 3, Field(specimen, &SpecimenData::Width), Fixed(0, 1000), S,
                     nullptr));
    t.push_back(Real("MaterialConstant", nullptr, 3,
                     Field(specimen, &SpecimenData::MaterialConstant), Fixed(0, 10000), S,
                     nullptr));
    SettingField buffered;
    buffered.name = "BufferAmplifierMode";
    buffered.type = SettingType::Flag;
    buffered.range = Fixed(0, 1);
    buffered.get = [&settings] { return settings.bufferAmplifierMode ? 1.0 : 0.0; };
    buffered.put = [&settings](double v) { settings.bufferAmplifierMode = v != 0; };
    t.push_back(buffered);
    // The scan set-up's "Resistivity Only" is chosen per scan, never stored.
    t.push_back(Flag("ResOnly", nullptr, Field(scan, &ScanSettings::ResOnly), nullptr));
    return t;
}

namespace {
bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

bool IsWhole(SettingType type) {
    return type == SettingType::Dword || type == SettingType::Byte || type == SettingType::Flag;
}

// A stored numeric value as the field's type reads it.
std::optional<double> StoredNumber(const SettingField& f, RegistryStore& store,
                                   const std::string& key) {
    switch (f.type) {
        case SettingType::Number:
            return RegValues::Number(store, key, f.valueName);
        case SettingType::Dword:
            if (auto v = RegValues::Dword(store, key, f.valueName)) return *v;
            return std::nullopt;
        case SettingType::Byte:
            if (auto b = RegValues::Bytes(store, key, f.valueName, 1)) return (*b)[0];
            return std::nullopt;
        case SettingType::Flag:
            if (auto v = RegValues::Flag(store, key, f.valueName)) return *v ? 1.0 : 0.0;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

RV StoredValue(const SettingField& f) {
    if (f.text) return RegistryStore::String(f.valueName, CutToField(f.text(), f.size));
    const double v = f.get();
    switch (f.type) {
        case SettingType::Number:
            return RegValues::NumberText(f.valueName, v, f.size);
        case SettingType::Byte:
        case SettingType::Flag:
            return RegValues::Byte(f.valueName, static_cast<std::uint8_t>(v));
        default:
            return RegValues::Int(f.valueName, static_cast<std::int32_t>(v));
    }
}
}  // namespace

std::string SettingRange::Text() const {
    const std::string high_ = RegValues::General(high, 9);
    if (lowExclusive) return "above " + RegValues::General(low, 9) + " up to " + high_;
    return "from " + RegValues::General(low, 9) + " to " + high_;
}

const std::vector<SettingField>& SettingsTable(ProgramState& program) {
    return program.SettingTable();
}

const SettingField* FindSetting(ProgramState& program, const std::string& name) {
    for (const SettingField& f : SettingsTable(program))
        if (f.name && SameName(name, f.name)) return &f;
    return nullptr;
}

std::optional<std::string> RefuseSetting(const SettingField& f, double value) {
    if (!f.range) return std::nullopt;
    const SettingRange range = f.range();
    const bool whole = IsWhole(f.type);
    // The range is checked before the value is made whole, so a huge number
    // never reaches an integer conversion.
    if (!std::isfinite(value) || !range.Contains(value) || (whole && value != std::trunc(value)))
        return std::string(whole ? "a whole number " : "a number ") + range.Text();
    if (f.usable && !f.usable(value)) return f.rule;
    return std::nullopt;
}

std::string SettingText(const SettingField& f) {
    if (f.text) return FromRecordText(f.text()).toStdString();
    const double v = f.get();
    if (IsWhole(f.type)) return std::to_string(static_cast<long long>(v));
    return RegValues::General(v, 9);
}

namespace {
// A file name (Unicode) as the field keeps it; nullopt with the reason in `error`.
std::optional<std::string> StoredFileName(const SettingField& f, const QString& name,
                                          std::string& error) {
    std::string reason;
    auto stored = FileNames::ToStored(name, &reason);
    if (stored && stored->size() >= static_cast<std::size_t>(f.size)) {
        reason = "the name is longer than " + std::to_string(f.size - 1) + " characters";
        stored.reset();
    }
    if (!stored) error = std::string(f.name ? f.name : f.valueName) + ": " + reason;
    return stored;
}
}  // namespace

bool AssignSetting(const SettingField& f, const std::string& value, std::string& error) {
    if (f.text && f.fileName) {
        // The name means the file the command line names, or nothing.
        const auto stored = StoredFileName(f, FileNames::FromArgument(value), error);
        if (!stored) return false;
        f.text() = *stored;
        return true;
    }
    if (f.text) {
        f.text() = ToRecordText(QString::fromStdString(value), f.size);
        return true;
    }
    if (!f.put) {
        error = std::string("not settable: ") + (f.name ? f.name : "");
        return false;
    }
    const auto n = RegValues::ParseNumber(value);
    const auto refused = n ? RefuseSetting(f, *n) : std::optional<std::string>("a number");
    if (refused) {
        error = std::string(f.name) + " must be " + *refused + ": " + value;
        return false;
    }
    f.put(*n);
    return true;
}

std::vector<RV> SettingsSetValues(ProgramState& program, bool withController) {
    std::vector<RV> values;
    for (const SettingField& f : SettingsTable(program)) {
        if (!f.valueName || (f.controllerOnly && !withController)) continue;
        if (f.write) {
            f.write(values);
        } else {
            values.push_back(StoredValue(f));
        }
    }
    return values;
}

void ReadSettingsValues(ProgramState& program, RegistryStore& store, const std::string& key,
                        bool withController) {
    for (const SettingField& f : SettingsTable(program)) {
        if (!f.valueName || (f.controllerOnly && !withController)) continue;
        if (f.read) {
            f.read(store, key);
        } else if (f.text) {
            const auto text = RegValues::Text(store, key, f.valueName, f.size);
            if (!text) continue;
            f.text() = CutToField(*text, f.size);
        } else {
            const auto n = StoredNumber(f, store, key);
            if (!n || RefuseSetting(f, *n)) continue;
            f.put(*n);
        }
        if (f.afterRead) f.afterRead(store);
    }
}
