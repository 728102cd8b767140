#include "records/Tsort.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "views/Controls.h"
#include "platform/FileNames.h"
#include "platform/Prompt.h"
#include "records/RecordText.h"
#include "core/RunConfig.h"

namespace {
constexpr int kSortString = 105;
constexpr int kDestination = 201;
constexpr int kMaxSortString = 15;

QLineEdit* Edit(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("field%1").arg(id));
    return edit;
}
}  // namespace

Tsort::Tsort(QWidget* parent, std::string archivePath, const RunConfig& config)
    : QDialog(parent), archivePath_(std::move(archivePath)) {
    setObjectName("SORT");
    setWindowTitle("Sort Archive");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;

    auto* by = new QGroupBox("Sort by", this);
    auto* byLayout = new QVBoxLayout(by);
    const QString labels[4] = {FromRecordText(config.ID1), FromRecordText(config.ID2), "Material",
                               "Date"};
    for (int i = 0; i < 4; ++i) {
        keys_[i] = RadioButton(labels[i], 101 + i, by);
        byLayout->addWidget(keys_[i]);
    }
    keys_[0]->setChecked(true);
    top->addWidget(by);

    auto* include = new QGroupBox("Include", this);
    auto* includeLayout = new QVBoxLayout(include);
    const char* names[5] = {"Resistivity", "Hall Coef.", "Mobility", "Carrier Conc.", "Bulk"};
    for (int i = 0; i < 5; ++i) {
        include_[i] = CheckBox(names[i], 202 + i, include);
        include_[i]->setChecked(i < 4);
        includeLayout->addWidget(include_[i]);
    }
    top->addWidget(include);
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Sort String", this), 0, 0);
    sortString_ = Edit(kSortString, this);
    sortString_->setMaxLength(kMaxSortString);
    grid->addWidget(sortString_, 0, 1);
    grid->addWidget(new QLabel("Destination File", this), 1, 0);
    destinationEdit_ = Edit(kDestination, this);
    destinationEdit_->setText("Sorted.txt");
    grid->addWidget(destinationEdit_, 1, 1);
    layout->addLayout(grid);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("IDCANCEL");
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &Tsort::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    sortString_->setFocus();
}

ArchiveFormat::SortOptions Tsort::Options() const {
    ArchiveFormat::SortOptions o;
    o.key = 0;
    for (int i = 0; i < 4; ++i)
        if (keys_[i]->isChecked()) {
            o.key = i;
            break;
        }
    o.sortString = ToRecordText(sortString_->text(), kMaxSortString + 1);
    o.resistivity = include_[0]->isChecked();
    o.hall = include_[1]->isChecked();
    o.mobility = include_[2]->isChecked();
    o.concentration = include_[3]->isChecked();
    o.bulk = include_[4]->isChecked();
    return o;
}

void Tsort::OnOk() {
    // Only a regular file is read: a device or a FIFO would never end.
    std::FILE* in = FileNames::OpenForReading(FileNames::FromStored(archivePath_));
    if (!in) {
        Prompt::Message(this, "Can't open archive", "File Error");
        return;
    }
    // A relative destination is taken from the current folder, as typed.
    const QString typed = QDir::toNativeSeparators(destinationEdit_->text());
    const std::string destination = FileNames::Encode(typed);
    // Nor is the table written into anything but a file: a FIFO would block
    // in its open.
    const bool writable = !typed.isEmpty() && FileNames::KindOf(typed) != FileNames::Kind::Other;
    std::FILE* out = writable ? std::fopen(destination.c_str(), "wb") : nullptr;
    if (!out) {
        std::fclose(in);
        Prompt::Message(this, "Can't create sort file", "File Error");
        return;
    }
    const ArchiveFormat::SortOptions options = Options();
    if (options.sortString.empty()) {
        std::fclose(in);
        std::fclose(out);
        Prompt::Message(this, "No sort string", "Error");
        return;
    }
    const bool assembled = ArchiveFormat::WriteSortTable(in, out, options) >= 0;
    std::fclose(in);
    const bool failed = std::ferror(out) != 0 || !assembled;
    const bool written = std::fclose(out) == 0 && !failed;
    if (!written) {
        // A full disc would otherwise leave a cut table that looks whole.
        Prompt::Message(this, "Can't create sort file", "File Error");
        return;
    }
    destination_ = destination;
    accept();
}
