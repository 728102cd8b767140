#include "temperature/PidEditor.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>

#include "views/Controls.h"
#include "views/FieldViews.h"
#include "temperature/PidFile.h"
#include "temperature/PidRegistry.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"

namespace {
constexpr const char* kCaption = "Temperature Control Settings";

std::optional<std::int32_t> WholeNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    std::int32_t value = 0;
    const char* first = s.data();
    const char* last = first + s.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) return std::nullopt;
    return value;
}

std::int32_t Tpid::*const kEditFields[] = {&Tpid::P,  &Tpid::I,  &Tpid::D,
                                           &Tpid::M1, &Tpid::M2, &Tpid::M3};
}  // namespace

TEditPIDDlg::TEditPIDDlg(QWidget* parent, TTempCon& controller)
    : TempPanel(parent, "PIDEDIT", kCaption), controller_(controller) {
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

    const char* names[] = {"Gain (P)",    "Reset (I)",         "Rate (D)",
                           "Margin (dT)", "Stabilizing (Sec)", ""};
    for (int i = 0; i < 6; ++i) {
        QLabel* label = StaticText(names[i], this);
        if (i >= 3) {
            label->setObjectName(QString("label%1").arg(kM1Label + i - 3));
            labels_[i - 3] = label;
        }
        edits_[i] = FieldEdit(Fields(), kGain + i, this);
        edits_[i]->setAlignment(Qt::AlignRight);
        edits_[i]->setMaximumWidth(90);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(edits_[i], i + 1, 1);
    }
    if (Itc5()) {
        labels_[0]->setText("Cryostat Margin");
        labels_[1]->setText("Sample Margin");
        labels_[2]->setText("Drift Margin");
    } else {
        edits_[5]->hide();
    }

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
    connect(add, &QPushButton::clicked, this, [this] { AddUpdate(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(import, &QPushButton::clicked, this, [this] { Import(); });
    connect(help, &QPushButton::clicked, this,
            [this] { Help(Itc5() ? kItc5HelpContext : kLn2HelpContext); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    Refill();
}

bool TEditPIDDlg::Itc5() const {
    return controller_.Kind() == ControllerKind::ITC5;
}

std::string TEditPIDDlg::Key() const {
    return PidTableKey(controller_.Kind());
}

QStringList TEditPIDDlg::Lines() const {
    QStringList lines;
    for (int i = 0; i < combo_->count(); ++i) lines << combo_->itemText(i);
    return lines;
}

void TEditPIDDlg::Refill() {
    refilling_ = true;
    combo_->clear();
    for (const Tpid& e : controller_.Table()->Entries()) combo_->addItem(QString::number(e.T));
    combo_->setCurrentIndex(-1);
    combo_->setEditText("");
    refilling_ = false;
}

void TEditPIDDlg::Choose(int index) {
    if (index < 0) return;
    const auto t = WholeNumber(combo_->itemText(index));
    if (!t) return;
    const Tpid* entry = controller_.Table()->Find(*t);
    if (!entry) return;
    for (int i = 0; i < (Itc5() ? 6 : 5); ++i)
        Fields().Set(kGain + i, std::to_string(entry->*kEditFields[i]));
}

bool TEditPIDDlg::ReadEdits(Tpid& entry) {
    for (int i = 0; i < (Itc5() ? 6 : 5); ++i) {
        const auto value = WholeNumber(edits_[i]->text());
        if (!value) {
            Prompt::Message(this, "Enter a whole number in every field.", kCaption,
                            Prompt::Buttons::Ok, Prompt::Icon::Warning);
            edits_[i]->setFocus();
            return false;
        }
        entry.*kEditFields[i] = *value;
    }
    return true;
}

void TEditPIDDlg::AddUpdate() {
    const QString text = combo_->currentText().left(5);
    if (text.trimmed().isEmpty()) return;
    const auto t = WholeNumber(text);
    if (!t) {
        Prompt::Message(this, "The temperature must be a whole number of kelvin.", kCaption,
                        Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    Tpid entry;
    entry.T = *t;
    if (!ReadEdits(entry)) return;
    PidTable& table = *controller_.Table();
    if (Tpid* existing = table.Find(entry.T)) {
        *existing = entry;
    } else {
        // An entry the live table cannot hold would be listed and stored but
        // not used until some later start: refuse it instead.
        if (table.Full()) {
            Prompt::Message(this,
                            Printf("The table holds %zu entries at most. Delete one before adding "
                                   "another.",
                                   PidTable::kCapacity),
                            kCaption, Prompt::Buttons::Ok, Prompt::Icon::Warning);
            return;
        }
        table.Add(entry);
        refilling_ = true;
        combo_->addItem(QString::number(entry.T));
        refilling_ = false;
    }
    Registry().Set(Key() + "\\" + std::to_string(entry.T),
                   PidEntryValues(controller_.Kind(), entry));
}

void TEditPIDDlg::DeleteSelected() {
    const QString text = combo_->currentText().left(23);
    if (text.isEmpty()) return;
    Registry().DeleteKey(Key() + "\\" + text.toStdString());
    // The line of that name goes, whichever line was chosen last.
    refilling_ = true;
    const int line = combo_->findText(text);
    if (line >= 0) combo_->removeItem(line);
    combo_->setCurrentIndex(-1);
    combo_->setEditText("");
    refilling_ = false;
    if (const auto t = WholeNumber(text)) controller_.Table()->Remove(*t);
}

void TEditPIDDlg::Import() {
    const auto path = Prompt::OpenFile(
        this, "Import PID File", controller_.Configuration().programDirectory, "PID Files|*.pid|");
    if (!path) return;
    ImportFile(*path);
}

void TEditPIDDlg::ImportFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        Prompt::Message(this, "Can't open PID file", "Error");
        return;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(kPidFileReadLimit));
    const std::string keyword = FactsOf(controller_.Kind()).pidKey;
    const PidFileContents contents = ParsePidFile(bytes.toStdString(), keyword);
    if (!contents.keywordMatches) {
        Prompt::Message(this, "Wrong filetype", "Error");
        return;
    }
    PidTable& table = *controller_.Table();
    table.Clear();
    const std::string key = Key();
    const ControllerKind kind = controller_.Kind();
    // The old entries go and the file's arrive in one step: a program stopped
    // half-way leaves the old table or the new one, never a mixture.
    Registry().Apply([&](RegistryStore& store) {
        for (const std::string& subkey : store.EnumKeys(key)) store.DeleteKey(key + "\\" + subkey);
        for (const Tpid& entry : contents.entries)
            store.Set(key + "\\" + std::to_string(entry.T), PidEntryValues(kind, entry));
        return true;
    });
    for (Tpid entry : contents.entries) {
        if (kind != ControllerKind::ITC5) entry.M3 = 0;  // an LN2 line's M3 is not kept
        table.Add(entry);
    }
    Refill();
    Prompt::Message(this, "All PID entries have been copied to the registry", "Success");
}
