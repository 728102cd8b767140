#pragma once
// The core's part of the program's state: the run configuration, the live
// settings and specimen, the run state and its lock, the results and the
// status fields. The application owns one (inside its ProgramState) and
// installs it; the accessors Config(), Settings(), Specimen(), State(),
// Results() and Status() reach the installed records. A process that
// installs none (a unit test of a lower module) uses the core's own.
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

// The records the accessors reach: the installed ones, else the core's own.
CoreRecords& CurrentCoreRecords();
// Makes `records` the ones the accessors reach (nullptr: the core's own
// again) and returns the ones installed before. The caller keeps them alive
// while installed.
CoreRecords* InstallCoreRecords(CoreRecords* records);
