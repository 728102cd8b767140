#include "SampleSheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "SamplePages.h"

TSampleSheet::TSampleSheet(QWidget* parent) : QDialog(parent) {
    setObjectName("SAMPLE");
    setWindowTitle("Sample");
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("pages");
    layout->addWidget(tabs_);
    // Pages are made when the sheet is, so each shows the records as they
    // are now; the platform's rule about unseen pages is kept by shown_.
    const std::pair<SamplePage*, const char*> pages[] = {{new TSpecimen(tabs_), "Identifiers"},
                                                         {new TMaterial(tabs_), "Material"},
                                                         {new TGeom(tabs_), "Geometry"},
                                                         {new TLogFile(tabs_), "Log File"}};
    for (const auto& [page, title] : pages) {
        tabs_->addTab(page, title);
        pages_.push_back(page);
        shown_.push_back(false);
    }
    shown_[0] = true;
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < shown_.size())
            shown_[static_cast<std::size_t>(index)] = true;
    });
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("IDCANCEL");
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &TSampleSheet::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TSampleSheet::Ok() {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!shown_[i]) continue;
        if (!pages_[i]->Apply()) {
            tabs_->setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
    accept();
}
