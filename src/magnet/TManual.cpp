#include "magnet/TManual.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "views/FieldViews.h"
#include "magnet/MagnetStatus.h"

TManual::TManual(Instruments& instruments, QWidget* parent)
    : EngineeringPage(parent), magnet_(instruments) {
    setObjectName("MAGNET");
    magnet_.SetOwner(this);
    auto* layout = new QVBoxLayout(this);

    auto* move = new QGroupBox("Move", this);
    auto* moveGrid = new QGridLayout(move);
    moveGrid->addWidget(new QLabel("Magnet", move), 0, 0);
    const struct {
        const char* text;
        int id;
        const char* command;
        int row, column;
    } moves[] = {{"->", 102, "+R", 0, 1},
                 {"<-", 103, "-R", 0, 2},
                 {"Init", 101, "I", 0, 3},
                 {"In", 104, "-F", 1, 1},
                 {"Out", 105, "+F", 1, 2}};
    moveGrid->addWidget(new QLabel("Stage", move), 1, 0);
    for (const auto& m : moves) {
        auto* button = PushButton(m.text, m.id, move);
        moveGrid->addWidget(button, m.row, m.column);
        const std::string command = m.command;
        connect(button, &QPushButton::clicked, this, [this, command] { Move(command); });
    }
    layout->addWidget(move);

    auto* status = new QGroupBox("Status", this);
    auto* statusGrid = new QGridLayout(status);
    const std::pair<const char*, int> rows[] = {
        {"Stage", kStageField}, {"Magnet", kMagnetField}, {"Interlock", kInterlockField}};
    int row = 0;
    for (const auto& [label, id] : rows) {
        statusGrid->addWidget(new QLabel(label, status), row, 0);
        statusGrid->addWidget(FieldReadOut(Fields(), id, status), row, 1);
        ++row;
    }
    auto* update = PushButton("Update", 106, status);
    statusGrid->addWidget(update, row, 1, Qt::AlignRight);
    connect(update, &QPushButton::clicked, this, &TManual::UpdateStatus);
    layout->addWidget(status);

    auto* strength = new QGroupBox("Field Strength", this);
    auto* strengthRow = new QHBoxLayout(strength);
    fieldStrength_ = FieldEdit(Fields(), kFieldStrength, strength);
    strengthRow->addWidget(fieldStrength_);
    strengthRow->addWidget(new QLabel("Tesla", strength));
    strengthRow->addStretch();
    layout->addWidget(strength);
    layout->addStretch();
}

bool TManual::Apply() {
    if (magnet_.Apply()) return true;
    fieldStrength_->setFocus();
    fieldStrength_->selectAll();
    return false;
}
