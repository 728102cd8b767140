#pragma once
// The records module's part of the program's state: the scan values, the
// graph style, the page set-up, the archive's settings, the names of the
// current sets, the links to the modules above and the set-point of a stage
// without a controller. The application owns one (inside its ProgramState)
// and hands it, or the part of it they use, to whatever reads or writes it.
#include "records/ArchiveSettings.h"
#include "records/CurrentSets.h"
#include "records/GraphStyle.h"
#include "records/PageSetup.h"
#include "records/RecordsLinks.h"
#include "records/ScanSettings.h"

struct RecordParts {
    ScanSettings scan;
    GraphStyle style;
    PageSetup page;
    ArchiveSettings archive;
    CurrentSets sets;
    RecordsLinks links;
    // A stage without a controller sits at room temperature.
    double ownSetPoint = 293.0;
};

// Set-point and reading text through the links, or the values of a stage
// without a controller (293 K, "AMB") kept in the parts.
double ControllerSetPoint(const RecordParts& parts);
void SetControllerSetPoint(RecordParts& parts, double kelvin);
std::string ControllerText(const RecordParts& parts);
// Opens a file in the desktop's text editor, through the links when set.
bool OpenInEditor(const RecordParts& parts, const std::string& path);
