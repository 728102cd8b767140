#include "platform/PropertySheet.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "views/Controls.h"

PropertySheet::PropertySheet(const char* resourceName, const QString& title, int buttons,
                             QWidget* parent, const QString& cancelText)
    : QDialog(parent), tabs_(new QTabWidget(this)) {
    setObjectName(resourceName);
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    tabs_->setObjectName("pages");
    // The tab bar is no stop for Tab (Ctrl+Tab and the mouse change pages):
    // keys typed after the sheet opens belong in its first field.
    tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);
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
    if (!shown_[i]) {
        shown_[i] = true;
        pages_[i]->SetUp();
    }
    if (isVisible()) FocusPage(index);
}

void PropertySheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FocusPage(tabs_->currentIndex());
}

std::vector<QWidget*> PropertySheet::ReadingOrder(QWidget* page) {
    struct Place {
        QWidget* widget;
        QRect at;
    };
    std::vector<Place> places;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(page))
            continue;
        // A control's own parts (a spin box's or a combo box's edit) go with their control.
        bool part = false;
        for (QWidget* a = w->parentWidget(); a && a != page && !part; a = a->parentWidget())
            part = qobject_cast<QAbstractSpinBox*>(a) || qobject_cast<QComboBox*>(a);
        if (part) continue;
        places.push_back({w, QRect(w->mapTo(page, QPoint(0, 0)), w->size())});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return a.at.center().y() < b.at.center().y();
    });
    // Rows: what stands beside the row's first control (its middle within
    // half that control's height) reads with it, left to right.
    std::vector<QWidget*> order;
    for (std::size_t first = 0; first < places.size();) {
        const QRect lead = places[first].at;
        std::size_t end = first + 1;
        while (end < places.size() && std::abs(places[end].at.center().y() - lead.center().y()) <=
                                          std::max(lead.height() / 2, 1))
            ++end;
        std::stable_sort(places.begin() + static_cast<std::ptrdiff_t>(first),
                         places.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const Place& a, const Place& b) { return a.at.x() < b.at.x(); });
        for (std::size_t k = first; k < end; ++k) order.push_back(places[k].widget);
        first = end;
    }
    return order;
}

void PropertySheet::FocusPage(int index) {
    if (index < 0 || index >= PageCount()) return;
    std::vector<QWidget*> chain = ReadingOrder(Page(index));
    for (const char* name : {"IDOK", "IDCANCEL", "IDAPPLY", "IDHELP"})
        if (QPushButton* b = Button(name)) chain.push_back(b);
    for (std::size_t k = 1; k < chain.size(); ++k) setTabOrder(chain[k - 1], chain[k]);
    // The first field, not a button of the page, takes the keys.
    const auto field = std::find_if(chain.begin(), chain.end(),
                                    [](QWidget* w) { return !qobject_cast<QPushButton*>(w); });
    if (field != chain.end()) (*field)->setFocus(Qt::TabFocusReason);
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
