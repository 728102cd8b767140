#pragma once
// The records module's part of the program's state: the scan values, the
// graph style, the page set-up, the archive's settings, the names of the
// current sets and the set-point of a stage without a controller. The
// application owns one (inside its ProgramState) and installs it; Scan(),
// Style(), PrinterPage(), Archive() and Sets() reach the installed part. A
// process that installs none uses the module's own.
#include "records/ArchiveSettings.h"
#include "records/CurrentSets.h"
#include "records/GraphStyle.h"
#include "records/PageSetup.h"
#include "records/ScanSettings.h"

struct RecordParts {
    ScanSettings scan;
    GraphStyle style;
    PageSetup page;
    ArchiveSettings archive;
    CurrentSets sets;
    // A stage without a controller sits at room temperature.
    double ownSetPoint = 293.0;
};

// The part the accessors reach: the installed one, else the module's own.
RecordParts& CurrentRecordParts();
// Makes `parts` the one the accessors reach (nullptr: the module's own
// again); returns the one before.
RecordParts* InstallRecordParts(RecordParts* parts);
