#include "SettingsSets.h"

#include "Materials.h"

#include "ArchiveSettings.h"
#include "GraphStyle.h"
#include "MeasurementSettings.h"
#include "PageSetup.h"
#include "Printf.h"
#include "RecordsLinks.h"
#include "RegValues.h"
#include "RunConfig.h"
#include "ScanSettings.h"
#include "SpecimenData.h"

namespace {
using RV = RegistryStore::Value;

template <typename T, typename V>
void Take(const std::optional<V>& value, T& field) {
    if (value) field = static_cast<T>(*value);
}

void TakeText(const std::optional<std::string>& value, std::string& field, std::size_t size) {
    if (value) field = CutToField(*value, size);
}

// A value outside the range a field can take is refused like a missing one.
void TakeInRange(const std::optional<std::int32_t>& value, int& field, int low, int high) {
    if (value && *value >= low && *value <= high) field = *value;
}

void ReadMainTable(RegistryStore& store, const std::string& key) {
    auto& specimen = Specimen();
    auto& settings = Settings();
    TakeText(RegValues::Text(store, key, "WaferID", SpecimenData::kIdSize), specimen.WaferID,
             SpecimenData::kIdSize);
    TakeText(RegValues::Text(store, key, "BatchID", SpecimenData::kIdSize), specimen.BatchID,
             SpecimenData::kIdSize);
    TakeText(RegValues::Text(store, key, "Description", SpecimenData::kDescriptionSize),
             specimen.Description, SpecimenData::kDescriptionSize);
    if (const auto material =
            RegValues::Text(store, key, "Material", SpecimenData::kMaterialSize)) {
        specimen.Material = CutToField(*material, SpecimenData::kMaterialSize);
        // The permittivity is not part of the set; without the lookup the
        // depletion correction would work with whatever was there before.
        specimen.MaterialConstant = MaterialPermittivity(store, specimen.Material);
    }
    Take(RegValues::Number(store, key, "Thickness"), specimen.Thickness);
    Take(RegValues::Number(store, key, "Current"), settings.Current);
    TakeText(RegValues::Text(store, key, "Data Archive", ArchiveSettings::kPathSize),
             Archive().DataArchive, ArchiveSettings::kPathSize);
    Take(RegValues::Number(store, key, "Tesla"), settings.Tesla);
    Take(RegValues::Number(store, key, "ScatFactor"), settings.ScatFactor);
    if (const auto setPoint = RegValues::Number(store, key, "SetTemp"))
        SetControllerSetPoint(*setPoint);
    TakeInRange(RegValues::Dword(store, key, "Iunits"), settings.Iunits, 0, 3);
    Take(RegValues::Dword(store, key, "AC"), settings.AC);
    TakeInRange(RegValues::Dword(store, key, "Shape"), specimen.Shape, 0, 2);
    Take(RegValues::Dword(store, key, "Delay"), settings.Delay);
    Take(RegValues::Dword(store, key, "Integrations"), settings.Integrations);
    Take(RegValues::Dword(store, key, "Cycles"), settings.Cycles);
    Take(RegValues::Dword(store, key, "TargVrVDP"), settings.TargVrVDP);
    Take(RegValues::Dword(store, key, "TargVrBar"), settings.TargVrBar);
    Take(RegValues::Dword(store, key, "TargVrBridge"), settings.TargVrBridge);
    if (const auto bits = RegValues::Bytes(store, key, "Log Include", 1))
        settings.LogInclude = (*bits)[0];
    Take(RegValues::Number(store, key, "eVsurface"), settings.eVsurface);
    Take(RegValues::Number(store, key, "eVinner"), settings.eVinner);
}

void ReadScanValues(RegistryStore& store, const std::string& key) {
    auto& scan = Scan();
    TakeText(RegValues::Text(store, key, "Data Dir", ScanSettings::kDataDirSize), scan.DataDir,
             ScanSettings::kDataDirSize);
    Take(RegValues::Dword(store, key, "Nmin"), scan.Nmin);
    Take(RegValues::Dword(store, key, "Nmax"), scan.Nmax);
    Take(RegValues::Dword(store, key, "Umin"), scan.Umin);
    Take(RegValues::Dword(store, key, "Umax"), scan.Umax);
    Take(RegValues::Dword(store, key, "Rmin"), scan.Rmin);
    Take(RegValues::Dword(store, key, "Rmax"), scan.Rmax);
    Take(RegValues::Dword(store, key, "RHmin"), scan.RHmin);
    Take(RegValues::Dword(store, key, "RHmax"), scan.RHmax);
    Take(RegValues::Dword(store, key, "Tscale1"), scan.Tscale1);
    Take(RegValues::Dword(store, key, "Tscale2"), scan.Tscale2);
    Take(RegValues::Flag(store, key, "TscaleInverse"), scan.TscaleInverse);
    Take(RegValues::Dword(store, key, "ScanTstart"), scan.ScanTstart);
    Take(RegValues::Dword(store, key, "ScanTstop"), scan.ScanTstop);
    // A point count the scan cannot plan with is refused.
    if (const auto n = RegValues::Dword(store, key, "ScanNpoints"); n && UsablePointCount(*n))
        scan.ScanNpoints = *n;
    Take(RegValues::Flag(store, key, "ScanInverse"), scan.ScanInverse);
    Take(RegValues::Flag(store, key, "ReturnRoomTemp"), scan.ReturnRoomTemp);
    Take(RegValues::Flag(store, key, "AutoSetIm"), scan.AutoSetIm);
}

void ReadPageSetup(RegistryStore& store, const std::string& key) {
    auto& page = PrinterPage();
    if (const auto bytes = RegValues::Bytes(store, key, "Margins", 16)) {
        for (std::size_t i = 0; i < 4; ++i) {
            std::uint32_t v = 0;
            for (std::size_t b = 0; b < 4; ++b)
                v |= static_cast<std::uint32_t>((*bytes)[4 * i + b]) << (8 * b);
            page.margins[i] = static_cast<std::int32_t>(v);
        }
    }
    // The orientation belongs to a device description; without one there is
    // nothing to put it into.
    if (page.orientation) {
        if (const auto bytes = RegValues::Bytes(store, key, "Orientation", 2))
            page.orientation = static_cast<std::int16_t>((*bytes)[0] | ((*bytes)[1] << 8));
    }
}

std::vector<RV> MainTableValues() {
    const auto& specimen = Specimen();
    const auto& settings = Settings();
    auto text = [](const char* name, const std::string& value, std::size_t size) {
        return RegistryStore::String(name, CutToField(value, size));
    };
    return {text("WaferID", specimen.WaferID, SpecimenData::kIdSize),
            text("BatchID", specimen.BatchID, SpecimenData::kIdSize),
            text("Description", specimen.Description, SpecimenData::kDescriptionSize),
            text("Material", specimen.Material, SpecimenData::kMaterialSize),
            RegValues::NumberText("Thickness", specimen.Thickness, 3),
            text("Data Archive", Archive().DataArchive, ArchiveSettings::kPathSize),
            RegValues::Int("Shape", specimen.Shape),
            RegValues::NumberText("Tesla", settings.Tesla, 3),
            RegValues::NumberText("ScatFactor", settings.ScatFactor, 2),
            RegValues::NumberText("Current", settings.Current, 6),
            RegValues::NumberText("SetTemp", ControllerSetPoint(), 1),
            RegValues::Int("Iunits", settings.Iunits),
            RegValues::Int("AC", settings.AC),
            RegValues::Int("Delay", settings.Delay),
            RegValues::Int("Integrations", settings.Integrations),
            RegValues::Int("Cycles", settings.Cycles),
            RegValues::Int("TargVrVDP", settings.TargVrVDP),
            RegValues::Int("TargVrBar", settings.TargVrBar),
            RegValues::Int("TargVrBridge", settings.TargVrBridge),
            RegValues::Byte("Log Include", settings.LogInclude),
            RegValues::NumberText("eVsurface", settings.eVsurface, 2),
            RegValues::NumberText("eVinner", settings.eVinner, 2)};
}

void AppendControllerValues(std::vector<RV>& values) {
    const auto& scan = Scan();
    values.push_back(
        RegistryStore::String("Data Dir", CutToField(scan.DataDir, ScanSettings::kDataDirSize)));
    values.push_back(RegValues::Int("Nmin", scan.Nmin));
    values.push_back(RegValues::Int("Nmax", scan.Nmax));
    values.push_back(RegValues::Int("Umin", scan.Umin));
    values.push_back(RegValues::Int("Umax", scan.Umax));
    values.push_back(RegValues::Int("Rmin", scan.Rmin));
    values.push_back(RegValues::Int("Rmax", scan.Rmax));
    values.push_back(RegValues::Int("RHmin", scan.RHmin));
    values.push_back(RegValues::Int("RHmax", scan.RHmax));
    values.push_back(RegValues::Int("Tscale1", scan.Tscale1));
    values.push_back(RegValues::Int("Tscale2", scan.Tscale2));
    values.push_back(RegValues::Byte("TscaleInverse", scan.TscaleInverse));
    values.push_back(RegValues::Int("ScanTstart", scan.ScanTstart));
    values.push_back(RegValues::Int("ScanTstop", scan.ScanTstop));
    values.push_back(RegValues::Int("ScanNpoints", scan.ScanNpoints));
    values.push_back(RegValues::Byte("ScanInverse", scan.ScanInverse));
    values.push_back(RegValues::Byte("ReturnRoomTemp", scan.ReturnRoomTemp));
    values.push_back(RegValues::Byte("AutoSetIm", scan.AutoSetIm));
    const auto& page = PrinterPage();
    if (page.orientation) {
        const auto o = static_cast<std::uint16_t>(*page.orientation);
        values.push_back(RegistryStore::Binary(
            "Orientation", {static_cast<std::uint8_t>(o), static_cast<std::uint8_t>(o >> 8)}));
    }
    std::vector<std::uint8_t> margins;
    for (std::int32_t m : page.margins)
        for (int b = 0; b < 4; ++b)
            margins.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(m) >> (8 * b)));
    values.push_back(RegistryStore::Binary("Margins", margins));
}
}  // namespace

bool ReadSettingsSet(RegistryStore& store, const std::string& name) {
    const std::string key = RegValues::SettingsKey(name);
    if (name.empty() || !store.KeyExists(key)) return false;
    ReadMainTable(store, key);
    if (Config().controllerKind != 0) {
        ReadScanValues(store, key);
        ReadPageSetup(store, key);
        if (Links().scanSettingsRead) Links().scanSettingsRead();
    }
    return true;
}

bool SaveSettingsSet(RegistryStore& store, const std::string& name) {
    if (name.empty()) return false;
    auto values = MainTableValues();
    if (Config().controllerKind != 0) AppendControllerValues(values);
    return store.Set(RegValues::SettingsKey(name), values, true);
}

bool ReadStyleSet(RegistryStore& store, const std::string& name) {
    const std::string key = RegValues::StylesKey(name);
    if (name.empty() || !store.KeyExists(key)) return false;
    auto& style = Style();
    Take(RegValues::Dword(store, key, "FontHeight"), style.FontHeight);
    Take(RegValues::Flag(store, key, "FontItalic"), style.FontItalic);
    Take(RegValues::Dword(store, key, "FontWeight"), style.FontWeight);
    TakeText(RegValues::Text(store, key, "FontName", GraphStyle::kFontNameSize), style.FontName,
             GraphStyle::kFontNameSize);
    Take(RegValues::Dword(store, key, "FrameColor"), style.FrameColor);
    Take(RegValues::Dword(store, key, "SetColor"), style.SetColor);
    Take(RegValues::Dword(store, key, "MeasColor"), style.MeasColor);
    Take(RegValues::Dword(store, key, "RubberColor"), style.RubberColor);
    const std::pair<const char*, PointStyle*> points[] = {
        {"N", &style.N}, {"P", &style.P}, {"UN", &style.UN}, {"UP", &style.UP}};
    for (const auto& [valueName, record] : points)
        if (const auto bytes = RegValues::Bytes(store, key, valueName, PointStyle::kBytes))
            record->Unpack(*bytes);
    if (Links().styleRead) Links().styleRead();
    return true;
}

bool SaveStyleSet(RegistryStore& store, const std::string& name) {
    if (name.empty()) return false;
    const auto& style = Style();
    auto color = [](const char* n, std::uint32_t c) { return RegistryStore::Dword(n, c); };
    const std::vector<RV> values = {
        RegValues::Int("FontHeight", style.FontHeight),
        RegValues::Byte("FontItalic", style.FontItalic),
        RegValues::Int("FontWeight", style.FontWeight),
        RegistryStore::String("FontName", CutToField(style.FontName, GraphStyle::kFontNameSize)),
        color("FrameColor", style.FrameColor),
        color("SetColor", style.SetColor),
        color("MeasColor", style.MeasColor),
        color("RubberColor", style.RubberColor),
        RegistryStore::Binary("N", style.N.Pack()),
        RegistryStore::Binary("P", style.P.Pack()),
        RegistryStore::Binary("UN", style.UN.Pack()),
        RegistryStore::Binary("UP", style.UP.Pack())};
    return store.Set(RegValues::StylesKey(name), values, true);
}

bool ReadSettingsSet(const std::string& name) {
    return ReadSettingsSet(Registry(), name);
}
bool SaveSettingsSet(const std::string& name) {
    return SaveSettingsSet(Registry(), name);
}
bool ReadStyleSet(const std::string& name) {
    return ReadStyleSet(Registry(), name);
}
bool SaveStyleSet(const std::string& name) {
    return SaveStyleSet(Registry(), name);
}

WindowPositions ReadWindowPositions(RegistryStore& store) {
    WindowPositions positions;
    for (std::size_t i = 0; i < kWindowPositionNames.size(); ++i) {
        const auto bytes = RegValues::Bytes(store, RegValues::Root(), kWindowPositionNames[i], 8);
        if (!bytes) continue;
        auto le = [&](std::size_t at) {
            std::uint32_t v = 0;
            for (std::size_t b = 0; b < 4; ++b)
                v |= static_cast<std::uint32_t>((*bytes)[at + b]) << (8 * b);
            return static_cast<std::int32_t>(v);
        };
        positions[i] = WindowPosition{le(0), le(4)};
    }
    return positions;
}

bool SaveWindowPositions(RegistryStore& store, const WindowPositions& positions) {
    const std::string root = RegValues::Root();
    if (!store.KeyExists(root)) return false;
    std::vector<RV> values;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (!positions[i]) continue;
        std::vector<std::uint8_t> data;
        for (std::int32_t v : {positions[i]->left, positions[i]->top})
            for (int b = 0; b < 4; ++b)
                data.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * b)));
        values.push_back(RegistryStore::Binary(kWindowPositionNames[i], data));
    }
    if (values.empty()) return true;
    return store.Set(root, values, true);
}
