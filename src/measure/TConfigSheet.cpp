#include "TConfigSheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "AutoSet.h"
#include "LogFile.h"
#include "MeasurementSettings.h"
#include "MeasurementState.h"
#include "Printf.h"
#include "Prompt.h"
#include "TConfigPages.h"

namespace {
std::function<void(int)>& HelpHandler() {
    static std::function<void(int)> handler;
    return handler;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

TConfigSheet::TConfigSheet(QWidget* parent) : QDialog(parent) {
    setObjectName("CONFIGURATION");
    setWindowTitle("Measurment Configuration");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("pages");
    layout->addWidget(tabs_);
    const std::pair<ConfigPage*, const char*> pages[] = {{new TCurrent(tabs_), "Current"},
                                                         {new TDelays(tabs_), "Delay/Averaging"},
                                                         {new Scatter(tabs_), "Scattering"}};
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
    auto* ok = Button("OK", "IDOK", this);
    ok->setDefault(true);
    auto* cancel = Button("Cancel", "IDCANCEL", this);
    auto* apply = Button("Apply", "IDAPPLY", this);
    auto* help = Button("Help", "IDHELP", this);
    row->addStretch();
    for (QPushButton* button : {ok, cancel, apply, help}) row->addWidget(button);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &TConfigSheet::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply, &QPushButton::clicked, this, [this] { ApplyPages(); });
    connect(help, &QPushButton::clicked, this, [this] {
        auto* page = qobject_cast<ConfigPage*>(tabs_->currentWidget());
        if (page && HelpHandler()) HelpHandler()(page->HelpContext());
    });
    // A search owns the settings until it ends: OK and Apply wait for it.
    auto* current = static_cast<TCurrent*>(pages_[0]);
    connect(current, &TCurrent::searchingChanged, this, [ok, apply](bool searching) {
        ok->setEnabled(!searching);
        apply->setEnabled(!searching);
    });
}

bool TConfigSheet::Searching() const {
    return static_cast<const TCurrent*>(pages_[0])->Searching();
}

bool TConfigSheet::ApplyPages() {
    if (Searching()) return false;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!shown_[i]) continue;
        if (!pages_[i]->Apply()) {
            tabs_->setCurrentIndex(static_cast<int>(i));
            return false;
        }
    }
    return true;
}

void TConfigSheet::Ok() {
    if (ApplyPages()) accept();
}

void TConfigSheet::done(int result) {
    if (Searching()) {
        State().cancelRequested = true;
        return;
    }
    QDialog::done(result);
}

void TConfigSheet::SetHelpHandler(std::function<void(int)> handler) {
    HelpHandler() = std::move(handler);
}

std::string ConfigurationLogBlock() {
    const MeasurementSettings& settings = Settings();
    std::string block = "*** Configuration ***\r\n";
    block += Printf("I-meas:\t%.3lg %s %s\r\n",
                    settings.Current * AutoSet::DisplayFactor(settings.Iunits),
                    AutoSet::UnitFileText(settings.Iunits), settings.AC ? "AC" : "DC");
    block += Printf("Scat.Factor:\t%.2lf\r\n", settings.ScatFactor);
    block += Printf("Delay: sec\t%d\r\n", settings.Delay);
    block += Printf("Integration: sec\t%d\r\n", settings.Integrations);
    block += Printf("Cycles:\t%d\r\n", settings.Cycles);
    return block;
}

void ConfigurationCommand(QWidget* owner) {
    TConfigSheet sheet(owner);
    if (Prompt::Exec(sheet) == Prompt::IDOK && Log().IsOpen())
        Log().Append(ConfigurationLogBlock());
}
