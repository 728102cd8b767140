#include "scan/TScanRead.h"

#include <cmath>

TScanRead::TScanRead(const RunConfig& config, StatusFields& status, GraphStyle& style,
                     QWidget* parent)
    : TScanBase(config, status, style, parent) {
    setObjectName("SCANREAD");
}

bool TScanRead::Load(std::istream& in) {
    if (!model_.Load(in)) return false;
    const ScanData& data = model_.Data();
    SetInverse(false);
    SetView(data.resistivityOnly ? Resistivity : ConcMobility);
    AutoScale();
    // The viewer's own copy of the ranges, where the live window keeps the
    // scan settings: the set-scale dialog starts from them.
    SetTemperatureRange(static_cast<int>(std::trunc(temperatureScale_.automatic.minimum)),
                        static_cast<int>(std::trunc(temperatureScale_.automatic.maximum)));
    const bool sheet = Header().Sheet();
    TLogScale& res = sheet ? sheetResistance_ : bulkResistivity_;
    res.set = res.automatic;
    if (!data.resistivityOnly) {
        TLogScale& conc = sheet ? sheetConcentration_ : bulkConcentration_;
        conc.set = conc.automatic;
        mobilityScale_.set = mobilityScale_.automatic;
        hallScale_.set = hallScale_.automatic;
    }
    return true;
}
