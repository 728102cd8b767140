#include "PropertySheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Controls.h"

PropertySheet::PropertySheet(const char* resourceName, const QString& title, int buttons,
                             QWidget* parent, const QString& cancelText)
    : QDialog(parent), tabs_(new QTabWidget(this)) {
    setObjectName(resourceName);
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    tabs_->setObjectName("pages");
    layout->addWidget(tabs_);
    connect(tabs_, &QTabWidget::currentChanged, this, &PropertySheet::ShowPage);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = PushButton("OK", "IDOK", this);
    ok->setDefault(true);
    auto* cancel = PushButton(cancelText, "IDCANCEL", this);
    row->addWidget(ok);
    row->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    if (buttons & kApply) {
        auto* apply = PushButton("Apply", "IDAPPLY", this);
        row->addWidget(apply);
        connect(apply, &QPushButton::clicked, this, [this] { ApplyPages(); });
    }
    if (buttons & kHelp) {
        auto* help = PushButton("Help", "IDHELP", this);
        row->addWidget(help);
        connect(help, &QPushButton::clicked, this, [this] {
            const int index = tabs_->currentIndex();
            if (index >= 0 && onHelp) onHelp(Page(index)->HelpContext());
        });
    }
    layout->addLayout(row);
}

void PropertySheet::AddPage(PropertyPage* page, const QString& title) {
    pages_.push_back(page);
    shown_.push_back(false);
    // The first page is in front from the start.
    const bool first = pages_.size() == 1;
    const QSignalBlocker quiet(tabs_);
    tabs_->addTab(page, title);
    if (first) ShowPage(0);
}

void PropertySheet::ShowPage(int index) {
    if (index < 0 || index >= PageCount()) return;
    if (tabs_->currentIndex() != index) {
        tabs_->setCurrentIndex(index);  // comes back here through the signal
        return;
    }
    const auto i = static_cast<std::size_t>(index);
    if (shown_[i]) return;
    shown_[i] = true;
    pages_[i]->SetUp();
}

bool PropertySheet::ApplyPages() {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!shown_[i]) continue;
        if (!pages_[i]->Apply()) {
            tabs_->setCurrentIndex(static_cast<int>(i));
            return false;
        }
    }
    return true;
}

void PropertySheet::Ok() {
    if (ApplyPages()) accept();
}

QPushButton* PropertySheet::Button(const char* name) const {
    return findChild<QPushButton*>(name, Qt::FindDirectChildrenOnly);
}
