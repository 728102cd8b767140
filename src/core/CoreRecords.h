#pragma once
// The core's part of the program's state: the run configuration, the live
// settings and specimen, the run state and its lock, the results and the
// status fields. The application owns one (inside its ProgramState) and
// hands it, or the parts of it they use, to whatever reads or writes them;
// a test of a lower module makes its own.
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/RunConfig.h"
#include "core/SpecimenData.h"
#include "core/StatusFields.h"

// How deep the run lock is held, and whether its holder granted one nested run.
struct RunLockState {
    int depth = 0;
    bool granted = false;
};

struct CoreRecords {
    RunConfig config;
    MeasurementSettings settings;
    SpecimenData specimen;
    MeasurementState state;
    MeasurementResults results;
    StatusFields status;
    RunLockState lock;
};
