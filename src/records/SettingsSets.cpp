#include "records/SettingsSets.h"

#include "records/Materials.h"

#include "records/ArchiveSettings.h"
#include "records/GraphStyle.h"
#include "core/MeasurementSettings.h"
#include "records/PageSetup.h"
#include "core/Printf.h"
#include "records/RecordsLinks.h"
#include "records/RegValues.h"
#include "core/RunConfig.h"
#include "records/ScanSettings.h"
#include "records/SettingsTable.h"
#include "records/ProgramState.h"
#include "core/SpecimenData.h"

namespace {
using RV = RegistryStore::Value;

template <typename T, typename V>
void Take(const std::optional<V>& value, T& field) {
    if (value) field = static_cast<T>(*value);
}

void TakeText(const std::optional<std::string>& value, std::string& field, std::size_t size) {
    if (value) field = CutToField(*value, size);
}
}  // namespace

bool ReadSettingsSet(ProgramState& program, RegistryStore& store, const std::string& name) {
    const std::string key = RegValues::SettingsKey(name);
    if (name.empty() || !store.KeyExists(key)) return false;
    const bool withController = HasController(program.Config().controllerKind);
    ReadSettingsValues(program, store, key, withController);
    if (withController && program.Records().links.scanSettingsRead)
        program.Records().links.scanSettingsRead();
    return true;
}

bool SaveSettingsSet(ProgramState& program, RegistryStore& store, const std::string& name) {
    if (name.empty()) return false;
    return store.Set(RegValues::SettingsKey(name),
                     SettingsSetValues(program, HasController(program.Config().controllerKind)),
                     true);
}

bool ReadStyleSet(ProgramState& program, RegistryStore& store, const std::string& name) {
    const std::string key = RegValues::StylesKey(name);
    if (name.empty() || !store.KeyExists(key)) return false;
    auto& style = program.Records().style;
    // A value out of its range is read as missing: the style in use stays.
    auto within = [](std::optional<std::int32_t> v, std::int32_t low, std::int32_t high) {
        return v && *v >= low && *v <= high ? v : std::nullopt;
    };
    Take(within(RegValues::Dword(store, key, "FontHeight"), -GraphStyle::kFontHeightLimit,
                GraphStyle::kFontHeightLimit),
         style.FontHeight);
    Take(RegValues::Flag(store, key, "FontItalic"), style.FontItalic);
    Take(within(RegValues::Dword(store, key, "FontWeight"), 0, GraphStyle::kFontWeightLimit),
         style.FontWeight);
    TakeText(RegValues::Text(store, key, "FontName", GraphStyle::kFontNameSize), style.FontName,
             GraphStyle::kFontNameSize);
    Take(RegValues::Dword(store, key, "FrameColor"), style.FrameColor);
    Take(RegValues::Dword(store, key, "SetColor"), style.SetColor);
    Take(RegValues::Dword(store, key, "MeasColor"), style.MeasColor);
    Take(RegValues::Dword(store, key, "RubberColor"), style.RubberColor);
    const std::pair<const char*, PointStyle*> points[] = {
        {"N", &style.N}, {"P", &style.P}, {"UN", &style.UN}, {"UP", &style.UP}};
    for (const auto& [valueName, record] : points)
        if (const auto bytes = RegValues::Bytes(store, key, valueName, PointStyle::kBytes)) {
            PointStyle read;
            if (read.Unpack(*bytes) && read.Drawable()) *record = read;
        }
    if (program.Records().links.styleRead) program.Records().links.styleRead();
    return true;
}

bool SaveStyleSet(ProgramState& program, RegistryStore& store, const std::string& name) {
    if (name.empty()) return false;
    const auto& style = program.Records().style;
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

bool ReadSettingsSet(ProgramState& program, const std::string& name) {
    return ReadSettingsSet(program, Registry(), name);
}
bool SaveSettingsSet(ProgramState& program, const std::string& name) {
    return SaveSettingsSet(program, Registry(), name);
}
bool ReadStyleSet(ProgramState& program, const std::string& name) {
    return ReadStyleSet(program, Registry(), name);
}
bool SaveStyleSet(ProgramState& program, const std::string& name) {
    return SaveStyleSet(program, Registry(), name);
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
