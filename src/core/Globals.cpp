#include "core/CoreState.h"
#include "core/CoreRecords.h"
#include "core/InstalledPart.h"
#include "core/MathLibrary.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"

namespace {
InstalledPart<CoreRecords>& Part() {
    static InstalledPart<CoreRecords> part;
    return part;
}
}  // namespace

CoreRecords& CurrentCoreRecords() {
    return Part().Current();
}

CoreRecords* InstallCoreRecords(CoreRecords* records) {
    return Part().Install(records);
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
    RunLock::Reset(CurrentCoreRecords());
    Status().SetText("Ready");
    Status().SetDetail("");
    for (int i = 0; i < 3; ++i) Status().SetReadout(i, "");
    MathLibrary::SetReporter(nullptr);
}
