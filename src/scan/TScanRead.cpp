#include "scan/TScanRead.h"

#include <cmath>

TScanRead::TScanRead(QWidget* parent) : TScanBase(parent) {
    setObjectName("SCANREAD");
}

bool TScanRead::Load(std::istream& in) {
    ScanFileRead file = ReadScanFile(in);
    header_ = file.header;
    data_ = file.data;
    notes_ = file.Notes();
    if (data_.count == 0) return false;
    SetInverse(false);
    SetView(data_.resistivityOnly ? Resistivity : ConcMobility);
    AutoScale();
    // The viewer's own copy of the ranges, where the live window keeps the
    // scan settings: the set-scale dialog starts from them.
    SetTemperatureRange(static_cast<int>(std::trunc(temperatureScale_.automatic.minimum)),
                        static_cast<int>(std::trunc(temperatureScale_.automatic.maximum)));
    const bool sheet = header_.Sheet();
    TLogScale& res = sheet ? sheetResistance_ : bulkResistivity_;
    res.set = res.automatic;
    if (!data_.resistivityOnly) {
        TLogScale& conc = sheet ? sheetConcentration_ : bulkConcentration_;
        conc.set = conc.automatic;
        mobilityScale_.set = mobilityScale_.automatic;
        hallScale_.set = hallScale_.automatic;
    }
    return true;
}
