#include "records/InitRegistry.h"

#include "platform/DataFolder.h"
#include "records/GraphStyle.h"
#include "temperature/PidRegistry.h"
#include "platform/RegFile.h"
#include "records/RegValues.h"

namespace {
using RV = RegistryStore::Value;

std::string Relative(const std::string& key) {
    const std::string root = RegValues::Root() + "\\";
    return key.compare(0, root.size(), root) == 0 ? key.substr(root.size()) : key;
}

// Writes the values the key lacks, in the order given, in one step.
void Complete(RegistryStore& store, const std::string& key, const std::vector<RV>& values,
              InitRegistryResult& result) {
    const auto existing = store.EnumValues(key);
    std::vector<RV> missing;
    for (const auto& value : values) {
        bool found = false;
        for (const auto& e : existing) found = found || SameRegName(e.name, value.name);
        if (!found) missing.push_back(value);
    }
    if (missing.empty()) return;
    const std::string where = Relative(key);
    if (!store.Set(key, missing, true)) {
        result.failed.push_back(where);
        return;
    }
    for (const auto& value : missing) result.written.push_back(where + "\\" + value.name);
}

// A table that already has entries is the operator's: entries deleted on
// purpose are not brought back. The entries' value names are the
// temperature module's, the one layout the controllers read.
void PidTables(RegistryStore& store, InitRegistryResult& result) {
    const std::string ln2 = PidTableKey(ControllerKind::LN2);
    if (store.EnumKeys(ln2).empty()) {
        for (const Tpid& e : {Tpid{77, 25, 50, 50, 1, 10, 0}, Tpid{150, 30, 40, 40, 1, 10, 0},
                              Tpid{300, 40, 30, 30, 1, 15, 0}}) {
            Complete(store, ln2 + "\\" + std::to_string(e.T),
                     PidEntryValues(ControllerKind::LN2, e), result);
        }
    }
    const std::string itc = PidTableKey(ControllerKind::ITC5);
    if (store.EnumKeys(itc).empty()) {
        // The helium cryostat goes down to 2 K, so the table starts there.
        for (const Tpid& e : {Tpid{2, 10, 5, 0, 1, 1, 1}, Tpid{77, 15, 10, 0, 2, 2, 2},
                              Tpid{150, 20, 8, 0, 2, 2, 2}, Tpid{300, 25, 6, 0, 3, 3, 3}}) {
            Complete(store, itc + "\\" + std::to_string(e.T),
                     PidEntryValues(ControllerKind::ITC5, e), result);
        }
    }
    Complete(store, itc, {RegValues::Int(kTchangeName, 100)}, result);
}

std::vector<RV> DefaultSettingsSet() {
    return {RegistryStore::String("WaferID", ""), RegistryStore::String("BatchID", ""),
            RegistryStore::String("Description", ""), RegistryStore::String("Material", "GaAs"),
            RegValues::NumberText("Thickness", 1.0, 3), RegistryStore::String("Data Archive", ""),
            RegValues::Int("Shape", 0), RegValues::NumberText("Tesla", 0.5, 3),
            RegValues::NumberText("ScatFactor", 1.0, 2), RegValues::NumberText("Current", 100.0, 6),
            RegValues::NumberText("SetTemp", 293.0, 1), RegValues::Int("Iunits", 1),
            RegValues::Int("AC", 0), RegValues::Int("Delay", 0), RegValues::Int("Integrations", 0),
            RegValues::Int("Cycles", 1), RegValues::Int("TargVrVDP", 50),
            RegValues::Int("TargVrBar", 500), RegValues::Int("TargVrBridge", 500),
            RegValues::Byte("Log Include", 15), RegValues::NumberText("eVsurface", 0.70, 2),
            RegValues::NumberText("eVinner", 0.60, 2),
            // Scan values: axes that span typical semiconductor data, a
            // cool-down scan from room temperature to near LN2. The scan
            // data go to a folder of their own among the user's documents
            // (made by the first scan), not loose into the home folder.
            RegistryStore::String("Data Dir", DataFolder::DefaultStored()),
            RegValues::Int("Nmin", 12), RegValues::Int("Nmax", 20), RegValues::Int("Umin", 1),
            RegValues::Int("Umax", 5), RegValues::Int("Rmin", -3), RegValues::Int("Rmax", 4),
            RegValues::Int("RHmin", -2), RegValues::Int("RHmax", 5), RegValues::Int("Tscale1", 50),
            RegValues::Int("Tscale2", 400), RegValues::Byte("TscaleInverse", 0),
            RegValues::Int("ScanTstart", 300), RegValues::Int("ScanTstop", 80),
            RegValues::Int("ScanNpoints", 12), RegValues::Byte("ScanInverse", 0),
            RegValues::Byte("ReturnRoomTemp", 1), RegValues::Byte("AutoSetIm", 0),
            RegistryStore::Binary("Margins", {0xD0, 0x07, 0, 0, 0xD0, 0x07, 0, 0, 0xD0, 0x07, 0, 0,
                                              0xD0, 0x07, 0, 0})};
}

std::vector<RV> DefaultStyleSet() {
    auto rgb = [](unsigned r, unsigned g, unsigned b) { return (b << 16) | (g << 8) | r; };
    const PointStyle n{5, 3, rgb(0, 0, 128), rgb(0, 0, 255)};       // blue circle
    const PointStyle p{4, 3, rgb(128, 0, 0), rgb(255, 0, 0)};       // red square
    const PointStyle un{6, 3, rgb(0, 0, 255), rgb(255, 255, 255)};  // blue triangle
    const PointStyle up{8, 3, rgb(255, 0, 0), rgb(255, 255, 255)};  // red diamond
    return {RegValues::Int("FontHeight", -13),
            RegValues::Byte("FontItalic", 0),
            RegValues::Int("FontWeight", 400),
            RegistryStore::String("FontName", "Arial"),
            RegistryStore::Dword("FrameColor", rgb(192, 192, 192)),
            RegistryStore::Dword("SetColor", rgb(255, 0, 0)),
            RegistryStore::Dword("MeasColor", rgb(0, 0, 255)),
            RegistryStore::Dword("RubberColor", rgb(0, 0, 0)),
            RegistryStore::Binary("N", n.Pack()),
            RegistryStore::Binary("P", p.Pack()),
            RegistryStore::Binary("UN", un.Pack()),
            RegistryStore::Binary("UP", up.Pack())};
}
}  // namespace

std::string InitRegistryResult::Summary() const {
    std::string text;
    for (const auto& w : written) text += "written: " + w + "\n";
    for (const auto& f : failed) text += "not written: " + f + "\n";
    if (written.empty() && failed.empty()) text = "registry complete, nothing written\n";
    return text;
}

namespace {
void Fill(RegistryStore& store, InitRegistryResult& result) {
    Complete(
        store, RegValues::SystemKey(),
        {RegistryStore::String("bufAmp Port", "COM1"),
         RegistryStore::String("HotStage Port", "COM2"), RegistryStore::String("ID1", "Wafer ID"),
         RegistryStore::String("ID2", "Batch ID"), RegValues::Byte("bufAmp Installed", 0)},
        result);
    PidTables(store, result);
    Complete(store, RegValues::SettingsKey("default"), DefaultSettingsSet(), result);
    Complete(store, RegValues::StylesKey("default"), DefaultStyleSet(), result);
    // A Materials key that exists is the operator's list, complete as it is.
    if (!store.KeyExists(RegValues::MaterialsKey())) {
        Complete(store, RegValues::MaterialsKey(),
                 {RegistryStore::String("GaAs", "12.9"), RegistryStore::String("Si", "11.7"),
                  RegistryStore::String("Ge", "16.0"), RegistryStore::String("InP", "12.5"),
                  RegistryStore::String("InAs", "15.15"), RegistryStore::String("GaN", "8.9")},
                 result);
    }
}
}  // namespace

InitRegistryResult InitRegistry(RegistryStore& store) {
    // Everything is decided and written against one reading of the store and
    // committed in one step, so an installer stopped half-way leaves the old
    // state, never a PID table with some of its entries (which the next run
    // would take for the operator's and leave short).
    InitRegistryResult result;
    bool ran = false;
    const bool committed = store.Apply([&](RegistryStore& view) {
        ran = true;
        result = InitRegistryResult{};
        Fill(view, result);
        return result.failed.empty();
    });
    if (committed) return result;
    if (!ran) {
        result.failed.push_back(store.Location());
        return result;
    }
    for (auto& written : result.written) result.failed.push_back(std::move(written));
    result.written.clear();
    return result;
}
