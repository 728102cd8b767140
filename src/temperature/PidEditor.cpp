#include "temperature/PidEditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "views/FieldViews.h"

TEditPIDDlg::TEditPIDDlg(QWidget* parent, TTempCon& controller, RegistryStore& registry)
    : TempPanel(parent, "PIDEDIT", "Temperature Control Settings"), logic_(controller, registry) {
    ShowLogic(logic_);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    grid->addWidget(StaticText("Temperature (K)", this), 0, 0);
    combo_ = new QComboBox(this);
    combo_->setObjectName(QString("field%1").arg(kTemperature));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setMinimumWidth(90);
    grid->addWidget(combo_, 0, 1);
    grid->addWidget(StaticText("and higher to next value", this), 0, 2);

    const char* names[] = {"Gain (P)", "Reset (I)", "Rate (D)"};
    for (int i = 0; i < 6; ++i) {
        QLabel* label = StaticText(i < 3 ? names[i] : "", this);
        if (i >= 3) {
            label->setObjectName(QString("label%1").arg(kM1Label + i - 3));
            FollowField(Fields(), kM1Label + i - 3, label);
        }
        edits_[i] = FieldEdit(Fields(), kGain + i, this);
        edits_[i]->setAlignment(Qt::AlignRight);
        edits_[i]->setMaximumWidth(90);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(edits_[i], i + 1, 1);
    }
    if (logic_.FactorCount() < 6) edits_[5]->hide();

    auto* side = new QVBoxLayout;
    auto* add = PushButton("Add/Update Reg Key", kAddUpdate, this);
    auto* remove = PushButton("Delete Selected Key", kDelete, this);
    auto* import = PushButton("Import Old PID file", kImport, this);
    side->addWidget(add);
    side->addWidget(remove);
    side->addWidget(import);
    side->addStretch();
    grid->addLayout(side, 1, 2, 6, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* help = PushButton("Help", kHelp, this);
    auto* close = PushButton("Close", kClose, this);
    buttons->addWidget(help);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(combo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!refilling_) Choose(index);
    });
    connect(combo_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { Fields().Set(kTemperature, text.toStdString()); });
    connect(&Fields(), &FieldSet::changed, this, [this](int id, const QString& text) {
        if (id == kTemperature && combo_->currentText() != text) combo_->setEditText(text);
    });
    connect(add, &QPushButton::clicked, this, [this] { AddUpdate(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(import, &QPushButton::clicked, this, [this] { Import(); });
    connect(help, &QPushButton::clicked, this,
            [this] { Help(logic_.Itc5() ? kItc5HelpContext : kLn2HelpContext); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    connect(&logic_, &PidEditorLogic::lineAdded, this, [this](const QString& line) {
        refilling_ = true;
        combo_->addItem(line);
        refilling_ = false;
    });
    connect(&logic_, &PidEditorLogic::lineRemoved, this, [this](int index) {
        refilling_ = true;
        if (index >= 0) combo_->removeItem(index);
        combo_->setCurrentIndex(-1);
        combo_->setEditText("");
        refilling_ = false;
    });
    connect(&logic_, &PidEditorLogic::linesRefilled, this, [this] { Refill(); });
    connect(&logic_, &PidEditorLogic::refused, this, [this](int id) {
        if (id >= kGain && id < kGain + 6) edits_[id - kGain]->setFocus();
    });
    Refill();
}

QStringList TEditPIDDlg::Lines() const {
    QStringList lines;
    for (int i = 0; i < combo_->count(); ++i) lines << combo_->itemText(i);
    return lines;
}

void TEditPIDDlg::Refill() {
    refilling_ = true;
    combo_->clear();
    for (const QString& line : logic_.Lines()) combo_->addItem(line);
    combo_->setCurrentIndex(-1);
    combo_->setEditText("");
    refilling_ = false;
}
