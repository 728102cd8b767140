#include "scan/TScanDlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "core/FieldSet.h"
#include "views/FieldViews.h"
#include "scan/ScanRun.h"

namespace {
// A caption and its read-out on one row.
void AddRow(QGridLayout* grid, int row, const QString& caption, QLabel* value) {
    grid->addWidget(StaticText(caption, grid->parentWidget()), row, 0);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setMinimumWidth(64);
    grid->addWidget(value, row, 1);
}
// "Point #" and, beside it, "of N": two short framed numbers on one row.
QWidget* PointOfPoints(FieldSet& fields, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (int id : {ScanRun::kPointField, ScanRun::kOfField}) {
        if (id == ScanRun::kOfField) layout->addWidget(StaticText("of", row));
        QLabel* value = FieldLabel(fields, id, row);
        value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        value->setIndent(0);
        value->setMargin(2);
        // Room for "100", the most points a scan has, in the narrow column.
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("100")) +
                               2 * value->frameWidth() + 2 * value->margin() + 1);
        layout->addWidget(value, 1);
    }
    return row;
}
}  // namespace

TScanDlg::TScanDlg(ScanRun& run, QWidget* parent) : QWidget(parent), run_(run) {
    setObjectName("SCANPANEL");
    setWindowTitle("Temperature Scan");
    FieldSet& fields = run_.Fields();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    auto add = [this, layout](const QString& text, int id, const char* name = nullptr) {
        QPushButton* b = name ? PushButton(text, QString(name), this) : PushButton(text, id, this);
        buttons_[id] = b;
        layout->addWidget(b);
        return b;
    };
    QPushButton* main = add("", ScanRun::kMainButton);
    QFont bold = main->font();
    bold.setBold(true);
    main->setFont(bold);
    main->setMinimumHeight(main->sizeHint().height() + 6);
    add("Close", ScanRun::kCloseButton, "IDCANCEL");
    add("Help", ScanRun::kHelpButton);

    auto* readings = new QWidget(this);
    auto* grid = new QGridLayout(readings);
    grid->setContentsMargins(0, 4, 0, 4);
    grid->addWidget(StaticText("Point #", readings), 0, 0);
    grid->addWidget(PointOfPoints(fields, readings), 0, 1);
    AddRow(grid, 1, "I =", FieldLabel(fields, ScanRun::kCurrentField, readings));
    AddRow(grid, 2, "Sym =", FieldLabel(fields, ScanRun::kSymmetryField, readings));
    AddRow(grid, 3, "Time left", FieldLabel(fields, ScanRun::kTimeLeftField, readings));
    layout->addWidget(readings);

    auto* temperatures = new QGroupBox("Temperature (K)", this);
    auto* tgrid = new QGridLayout(temperatures);
    AddRow(tgrid, 0, "Set", FieldLabel(fields, ScanRun::kSetField, temperatures));
    AddRow(tgrid, 1, "Cryo", FieldLabel(fields, ScanRun::kCryoField, temperatures));
    AddRow(tgrid, 2, "Sample", FieldLabel(fields, ScanRun::kSampleField, temperatures));
    layout->addWidget(temperatures);

    add("New Run", ScanRun::kNewRunButton);
    add("Force Meas", ScanRun::kForceButton);
    add("Next Temp", ScanRun::kNextButton);
    layout->addStretch(1);

    connect(main, &QPushButton::clicked, this, [this] { run_.PressMain(); });
    connect(buttons_[ScanRun::kCloseButton], &QPushButton::clicked, this, [this] {
        if (run_.Enabled(ScanRun::kCloseButton)) emit closeRequested();
    });
    connect(buttons_[ScanRun::kHelpButton], &QPushButton::clicked, this,
            [this] { run_.ShowHelp(kHelpContext); });
    connect(buttons_[ScanRun::kNewRunButton], &QPushButton::clicked, this,
            [this] { run_.PressNewRun(); });
    connect(buttons_[ScanRun::kForceButton], &QPushButton::clicked, this,
            [this] { run_.PressForce(); });
    connect(buttons_[ScanRun::kNextButton], &QPushButton::clicked, this,
            [this] { run_.PressNextTemp(); });
    connect(&run_, &ScanRun::changed, this, [this] { Follow(); });
    run_.SetOwner(this);
    setFixedWidth(150);
    Follow();
}

TScanDlg::~TScanDlg() = default;

void TScanDlg::Follow() {
    buttons_[ScanRun::kMainButton]->setText(
        QString::fromStdString(run_.Fields().Get(ScanRun::kMainButton)));
    for (auto& [id, button] : buttons_) button->setEnabled(run_.Enabled(id));
}

std::string TScanDlg::DumpLine() const {
    std::string line = "window: SCANPANEL";
    for (const auto& [id, text] : run_.Fields().All())
        line += " " + std::to_string(id) + "=" + text;
    std::string enabled;
    for (const auto& [id, button] : buttons_)
        if (button->isEnabled()) enabled += (enabled.empty() ? "" : ",") + std::to_string(id);
    return line + " enabled=" + (enabled.empty() ? "-" : enabled);
}
