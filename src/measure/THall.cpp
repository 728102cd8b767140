#include "measure/THall.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "views/FieldViews.h"

THall::THall(ProgramState& program, QWidget* parent)
    : MeasurementWindow(std::make_unique<HallRun>(program), QStringLiteral("Hall Measurement"),
                        parent) {
    BuildView();
}

// The view only shows the fields and forwards the button.
void THall::BuildView() {
    setWindowTitle(QStringLiteral("Hall Measurement"));
    auto* grid = new QGridLayout;
    const auto valueField = [this](int id) {
        QLabel* label = FieldLabel(Fields(), id, this, Qt::AlignRight | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        // The digits keep clear of the frame.
        label->setMargin(3);
        label->setMinimumWidth(label->minimumWidth() + 2 * label->margin());
        return label;
    };

    // Each heading over its own column: the configuration's label across
    // its two columns, then "+++" over the positive and "- - -" over the
    // negative current's values.
    grid->addWidget(new QLabel(QStringLiteral("Measure"), this), 1, 0);
    for (int i = 0; i < 2; ++i) {
        grid->addWidget(FieldLabel(Fields(), kLabelField + i, this, Qt::AlignCenter), 0, 1 + 2 * i,
                        1, 2);
        grid->addWidget(ColumnHeading(QStringLiteral("+++"), this), 1, 1 + 2 * i);
        grid->addWidget(ColumnHeading(QStringLiteral("- - -"), this), 1, 2 + 2 * i);
    }

    // Rows: title, field base of configuration 0, whether it has a value per polarity.
    const struct {
        const char* title;
        int base;
        bool pair;
    } kRows[] = {{"Misalignment", HallRun::kMisalignmentField, true},
                 {"Offset applied", HallRun::kOffsetField, false},
                 {"V-hall North", HallRun::kFieldReadingField, true},
                 {"V-hall South", HallRun::kFieldReadingField + 2, true},
                 {"V-hall [mean]", HallRun::kMeanField, false}};
    int row = 2;
    for (const auto& each : kRows) {
        grid->addWidget(new QLabel(QString::fromUtf8(each.title), this), row, 0);
        for (int i = 0; i < 2; ++i) {
            const int column = 1 + 2 * i;
            if (each.pair) {
                grid->addWidget(valueField(HallRun::FieldId(each.base, i, 0)), row, column);
                grid->addWidget(valueField(HallRun::FieldId(each.base, i, 1)), row, column + 1);
            } else {
                grid->addWidget(valueField(HallRun::FieldId(each.base, i, 0)), row, column, 1, 2);
            }
        }
        ++row;
    }

    cycleList_ = new QListWidget(this);
    cycleList_->setObjectName(QStringLiteral("field%1").arg(kCycleList));
    stopButton_ = new QPushButton(QStringLiteral("Stop this cycle"), this);
    stopButton_->setObjectName(QStringLiteral("button%1").arg(kStopButton));
    stopButton_->setEnabled(false);

    // Which cycle of how many the run is in: a long integrated run shows progress.
    QLabel* progress = FieldLabel(Fields(), HallRun::kCycleProgress, this, Qt::AlignLeft);
    progress->setMinimumWidth(progress->fontMetrics().horizontalAdvance("Cycle 999 of 999"));
    auto* side = new QVBoxLayout;
    side->addWidget(stopButton_);
    side->addWidget(progress);
    side->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cycleList_, 1);
    bottom->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);

    connect(&Fields(), &FieldSet::changed, this, &THall::ShowField);
    connect(&Run(), &HallRun::stopEnabledChanged, stopButton_, &QPushButton::setEnabled);
    connect(stopButton_, &QPushButton::clicked, &Run(), &HallRun::StopThisCycle);
}

void THall::ShowField(int id, const QString& text) {
    if (id != kCycleList) return;
    cycleList_->clear();
    if (!text.isEmpty()) cycleList_->addItems(text.split(QLatin1Char('\n')));
    // The newest cycle's line on top.
    if (cycleList_->count() > 0) {
        cycleList_->scrollToItem(cycleList_->item(cycleList_->count() - 1),
                                 QAbstractItemView::PositionAtTop);
    }
}
