#include "measure/TResVdp.h"

#include <QGridLayout>
#include <QLabel>
#include <memory>

#include "views/FieldViews.h"

TResVdp::TResVdp(ProgramState& program, QWidget* parent)
    : MeasurementWindow(std::make_unique<VanDerPauwRun>(program), "Resistivity", parent) {
    // One heading per column, the words of the two header lines kept: "Vm"
    // over the two voltage columns, then each column's own.
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->addWidget(ColumnHeading("Vm", this), 0, 1, 1, 2);
    const char* headings[] = {"Meas", "+++", "- - -", "Sym", "Factor", "Sheet-R"};
    for (int column = 0; column < 6; ++column)
        grid->addWidget(ColumnHeading(headings[column], this), 1, column);
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(FieldLabel(Fields(), 1 + i, this, Qt::AlignCenter), 2 + i, 0);
        int column = 1;
        for (int field : VanDerPauwRun::kValueColumns)
            grid->addWidget(
                FieldLabel(Fields(), field + i, this, Qt::AlignRight | Qt::AlignVCenter), 2 + i,
                column++);
    }
}
