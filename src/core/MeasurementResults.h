#pragma once
// The result record the measurements fill and the panel, archive, printout
// and scan read.
struct MeasurementResults {
    double sheetResistance = 0.0;
    double bulkResistivity = 0.0;
    double hallCoefficientRaw = 0.0;
    double sheetConcentration = 0.0;
    double bulkConcentration = 0.0;
    double mobility = 0.0;
    double symmetryFactor = 0.0;
    unsigned flags = 0;
    // Which results a run of this program measured (or the archive gave
    // back). A value never measured is its initial 0, which the panel and
    // the printed page show empty rather than as a result.
    static constexpr unsigned kResistivityMeasured = 1, kHallMeasured = 2;
    unsigned measured = 0;
};
