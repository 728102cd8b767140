#include "records/SampleSheet.h"

#include "records/SamplePages.h"

TSampleSheet::TSampleSheet(ProgramState& program, QWidget* parent)
    : PropertySheet("SAMPLE", "Sample", PropertySheet::kOkCancel, parent) {
    // Pages are made when the sheet is, so each shows the records as they
    // are now.
    AddPage(new TSpecimen(program, this), "Identifiers");
    AddPage(new TMaterial(program, this), "Material");
    AddPage(new TGeom(program, this), "Geometry");
    AddPage(new TLogFile(program, this), "Log File");
}
