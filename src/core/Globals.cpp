#include "MeasurementResults.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "SpecimenData.h"

MeasurementSettings& Settings() {
    static MeasurementSettings settings;
    return settings;
}
SpecimenData& Specimen() {
    static SpecimenData specimen;
    return specimen;
}
MeasurementState& State() {
    static MeasurementState state;
    return state;
}
MeasurementResults& Results() {
    static MeasurementResults results;
    return results;
}
