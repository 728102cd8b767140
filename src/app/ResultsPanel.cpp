#include "app/ResultsPanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "views/FieldViews.h"
#include "measure/Results.h"

namespace {
struct Entry {
    const char* label;
    int field;
    const char* unit;
};

QGroupBox* Group(const char* title, const Entry (&entries)[2], QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 2);
    for (int row = 0; row < 2; ++row) {
        const Entry& entry = entries[row];
        grid->addWidget(StaticText(entry.label, group), row, 0);
        QLabel* value =
            FieldLabel(ResultsFields(), entry.field, group, Qt::AlignRight | Qt::AlignVCenter);
        value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        value->setMinimumWidth(
            value->fontMetrics().horizontalAdvance(QStringLiteral("-8.888e+88")) + 12);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(value, row, 1);
        grid->addWidget(StaticText(QString::fromUtf8(entry.unit), group), row, 2);
    }
    return group;
}
}  // namespace

TResults::TResults(QWidget* parent, bool showExamples) : QWidget(parent) {
    setObjectName("RESULTS");
    if (showExamples) ResultsShowExamples();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    const Entry resistivity[2] = {{"Sheet", 1, "ohm/sq"}, {"Bulk", 2, "ohm-cm"}};
    const Entry hall[2] = {{"Coef.", 3, "m\u00b2/C"}, {"Mobility", 4, "cm\u00b2/V-s"}};
    const Entry concentration[2] = {{"Sheet", 5, "/cm\u00b2"}, {"Bulk", 6, "/cm\u00b3"}};
    layout->addWidget(Group("Resistivity", resistivity, this));
    layout->addWidget(Group("Hall", hall, this));
    layout->addWidget(Group("Concentration", concentration, this));
    layout->addStretch(1);
}
