#include "measure/TCheck.h"

#include <QGridLayout>
#include <QLabel>
#include <memory>

#include "views/FieldViews.h"

TCheck::TCheck(ProgramState& program, QWidget* parent)
    : MeasurementWindow(std::make_unique<CheckRun>(program), "Check", parent) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(StaticText("Pair", this), 0, 0);
    grid->addWidget(
        FieldLabel(Fields(), CheckRun::kUnitField, this, Qt::AlignRight | Qt::AlignVCenter), 0, 1);
    for (int k = 0; k < CheckRun::kPairs; ++k) {
        grid->addWidget(FieldLabel(Fields(), 1 + k, this), 1 + k, 0);
        grid->addWidget(FieldLabel(Fields(), CheckRun::kFirstValue + k, this,
                                   Qt::AlignRight | Qt::AlignVCenter),
                        1 + k, 1);
    }
}
