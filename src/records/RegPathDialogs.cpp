#include "records/RegPathDialogs.h"

#include "records/RecordParts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Printf.h"
#include "platform/Prompt.h"
#include "records/RecordsLinks.h"
#include "records/RegValues.h"
#include "platform/RegistryStore.h"

namespace {
constexpr std::size_t kMaxSetName = 31;

QPushButton* AddButtons(QDialog* dialog, QBoxLayout* layout, const char* okText) {
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton(okText, dialog);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", dialog);
    cancel->setObjectName("IDCANCEL");
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    return ok;
}

QString FromRegistryText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

std::vector<std::string> SetNames(const std::string& branch) {
    std::vector<std::string> names;
    for (const auto& name : Registry().EnumKeys(RegValues::Branch(branch)))
        if (name.size() <= kMaxSetName) names.push_back(name);
    return names;
}

std::string AcceptableSetName(const std::string& text) {
    const std::string name = text.substr(0, kMaxSetName);
    return name.size() >= 2 ? name : std::string();
}

TReadRegPath::TReadRegPath(QWidget* parent, const std::string& branch, std::string& name)
    : QDialog(parent), name_(name) {
    setObjectName("READREG");
    setWindowTitle(QString::fromStdString(Printf("Read %s", branch.c_str())));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("field101");
    for (const auto& set : SetNames(branch)) list_->addItem(FromRegistryText(set));
    layout->addWidget(list_);
    auto* ok = AddButtons(this, layout, "Select");
    connect(ok, &QPushButton::clicked, this, &TReadRegPath::Select);
    connect(list_, &QListWidget::itemDoubleClicked, this, &TReadRegPath::Select);
}

void TReadRegPath::Select() {
    const auto* item = list_->currentItem();
    if (!item) return;
    const std::string chosen = AcceptableSetName(item->text().toLatin1().toStdString());
    if (chosen.empty()) return;
    name_ = chosen;
    accept();
}

TSaveRegPath::TSaveRegPath(QWidget* parent, const std::string& branch, std::string& name)
    : QDialog(parent), name_(name) {
    setObjectName("SAVEREG");
    setWindowTitle(QString::fromStdString(Printf("Save %s", branch.c_str())));
    auto* layout = new QVBoxLayout(this);
    auto* hints = new QHBoxLayout;
    hints->addWidget(new QLabel("To Create New Key:\nEnter key name.", this));
    hints->addWidget(new QLabel("To Modify Existing Key:\nSelect from list.", this));
    layout->addLayout(hints);
    combo_ = new QComboBox(this);
    combo_->setObjectName("field101");
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& set : SetNames(branch)) combo_->addItem(FromRegistryText(set));
    combo_->setCurrentIndex(-1);
    combo_->lineEdit()->setMaxLength(static_cast<int>(kMaxSetName));
    layout->addWidget(combo_);
    auto* ok = AddButtons(this, layout, "Select");
    connect(ok, &QPushButton::clicked, this, &TSaveRegPath::Select);
}

void TSaveRegPath::Select() {
    const std::string chosen = AcceptableSetName(combo_->currentText().toLatin1().toStdString());
    if (chosen.empty()) return;
    name_ = chosen;
    accept();
}

TEditReg::TEditReg(QWidget* parent, const std::string& subkey, const RecordParts& parts)
    : QDialog(parent), parts_(parts) {
    setObjectName("EDITREG");
    setWindowTitle("Edit Registry Entries");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        "This data is held in the Windows Registry.\nYou must use the RegEdit program to "
        "modify.\nDo not change any other sections of the Registry!",
        this));
    auto* group = new QGroupBox("Go To Path", this);
    auto* path = new QVBoxLayout(group);
    for (const char* part : {"HKEY_LOCAL_MACHINE", "SOFTWARE", "Brisel", "Hall"})
        path->addWidget(new QLabel(part, group));
    auto* last = new QLabel(FromRegistryText(subkey), group);
    last->setObjectName("field101");
    path->addWidget(last);
    layout->addWidget(group);
    auto* ok = AddButtons(this, layout, "Run RegEdit");
    connect(ok, &QPushButton::clicked, this, &TEditReg::RunEditor);
}

void TEditReg::RunEditor() {
#ifdef _WIN32
    if (!parts_.links.openEditor) {
        if (QProcess::startDetached("regedit", {})) accept();
        return;
    }
#endif
    // Off Windows the registry is one text file: it is opened in the desktop's editor.
    const std::string file = Registry().Location();
    if (!OpenInEditor(parts_, file)) {
        Prompt::Message(this, file, "Can't Open File:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        reject();
        return;
    }
    accept();
}
