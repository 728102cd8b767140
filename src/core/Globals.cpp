#include "CoreState.h"
#include "CoreRecords.h"
#include "MathLibrary.h"
#include "MeasurementResults.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "RunConfig.h"
#include "RunLock.h"
#include "SpecimenData.h"
#include "StatusFields.h"

namespace {
CoreRecords*& Installed() {
    static CoreRecords* installed = nullptr;
    return installed;
}
}  // namespace

CoreRecords& CurrentCoreRecords() {
    if (CoreRecords* installed = Installed()) return *installed;
    static CoreRecords own;
    return own;
}

CoreRecords* InstallCoreRecords(CoreRecords* records) {
    CoreRecords* before = Installed();
    Installed() = records;
    return before;
}

RunConfig& Config() {
    return CurrentCoreRecords().config;
}
MeasurementSettings& Settings() {
    return CurrentCoreRecords().settings;
}
SpecimenData& Specimen() {
    return CurrentCoreRecords().specimen;
}
MeasurementState& State() {
    return CurrentCoreRecords().state;
}
MeasurementResults& Results() {
    return CurrentCoreRecords().results;
}
StatusFields& Status() {
    return CurrentCoreRecords().status;
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
