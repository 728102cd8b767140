#include "temperature/TempPanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "views/Controls.h"

#include "views/FieldViews.h"
#include "temperature/TempPanelLogic.h"

namespace {
TempPanel* g_current = nullptr;
std::function<void(int)> g_help;
}  // namespace

int TempPanel::CaptionWidth(const QString& caption, const QFontMetrics& metrics) {
    // Title fonts run somewhat larger than the dialog's; the icon and the
    // close button take about six characters' room.
    return metrics.horizontalAdvance(caption) * 6 / 5 + 6 * metrics.averageCharWidth();
}

TempPanel::TempPanel(QWidget* parent, const char* resource, const QString& caption)
    : QDialog(parent), resource_(resource) {
    setObjectName(resource);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Wide enough for the whole caption beside the title bar's buttons:
    // a window manager cuts a longer one out of its middle.
    setMinimumWidth(CaptionWidth(caption, fontMetrics()));
    g_current = this;
}

TempPanel::~TempPanel() {
    if (g_current == this) g_current = nullptr;
}

const TempPanel* TempPanel::Current() {
    return g_current;
}

std::string TempPanel::DumpLine() const {
    std::string line = "window: " + resource_;
    for (const auto& [id, text] : fields_->All()) {
        if (logic_ && !logic_->Dumped(id)) continue;
        line += " " + std::to_string(id) + "=";
        for (char c : text) line += c == '\n' ? ' ' : c;
    }
    return line;
}

void TempPanel::Help(int context) {
    if (g_help) g_help(context);
}

void SetTemperatureHelpHandler(std::function<void(int)> handler) {
    g_help = std::move(handler);
}

QLineEdit* TempPanel::SetPointEdit(int id, QWidget* parent) {
    QLineEdit* edit = FieldEdit(Fields(), id, parent);
    edit->setMaxLength(11);
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(80);
    return edit;
}

QLineEdit* TempPanel::ReadOut(int id, QWidget* parent) {
    QLineEdit* readOut = FieldReadOut(Fields(), id, parent);
    readOut->setAlignment(Qt::AlignRight);
    return readOut;
}

void TempPanel::ShowLogic(TempPanelLogic& logic) {
    fields_ = &logic.Fields();
    logic_ = &logic;
    logic.SetOwner(this);
}

TempPanel::SetPointGroup TempPanel::MakeSetPointGroup(const char* caption, int setId, int editId) {
    auto* box = new QGroupBox(caption, this);
    auto* grid = new QGridLayout(box);
    QPushButton* set = PushButton("Set", setId, box);
    QLineEdit* edit = SetPointEdit(editId, box);
    grid->addWidget(set, 0, 0);
    grid->addWidget(edit, 0, 1);
    return {box, grid, set, edit};
}
