#include "measure/TResBar.h"

#include <QGridLayout>
#include <QLabel>
#include <memory>

#include "views/FieldViews.h"

TResBar::TResBar(ProgramState& program, QWidget* parent)
    : MeasurementWindow(std::make_unique<BarRun>(program), "Resistivity", parent) {
    // One heading per column, "Vm" over the two voltage columns.
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->addWidget(ColumnHeading("Vm", this), 0, 1, 1, 2);
    const char* headings[] = {"Meas", "+++", "- - -"};
    for (int column = 0; column < 3; ++column)
        grid->addWidget(ColumnHeading(headings[column], this), 1, column);
    for (int i = 0; i < 2; ++i) {
        grid->addWidget(FieldLabel(Fields(), 1 + i, this, Qt::AlignCenter), 2 + i, 0);
        grid->addWidget(
            FieldLabel(Fields(), BarRun::kPlus + i, this, Qt::AlignRight | Qt::AlignVCenter), 2 + i,
            1);
        grid->addWidget(
            FieldLabel(Fields(), BarRun::kMinus + i, this, Qt::AlignRight | Qt::AlignVCenter),
            2 + i, 2);
    }
}
