#include "CoreState.h"
#include "MathLibrary.h"
#include "MeasurementResults.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "RunConfig.h"
#include "RunLock.h"
#include "SpecimenData.h"
#include "StatusFields.h"

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

void ResetCoreState() {
    Settings() = MeasurementSettings{};
    Specimen() = SpecimenData{};
    State() = MeasurementState{};
    Results() = MeasurementResults{};
    Config() = RunConfig{};
    RunLock::Reset();
    Status().SetText("Ready");
    Status().SetDetail("");
    for (int i = 0; i < 3; ++i) Status().SetReadout(i, "");
    MathLibrary::SetReporter(nullptr);
}
