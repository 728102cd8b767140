#include "records/SampleSheet.h"

#include "records/SamplePages.h"

TSampleSheet::TSampleSheet(QWidget* parent)
    : PropertySheet("SAMPLE", "Sample", PropertySheet::kOkCancel, parent) {
    // Pages are made when the sheet is, so each shows the records as they
    // are now.
    AddPage(new TSpecimen(this), "Identifiers");
    AddPage(new TMaterial(this), "Material");
    AddPage(new TGeom(this), "Geometry");
    AddPage(new TLogFile(this), "Log File");
}
