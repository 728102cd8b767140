#include "TempPanel.h"

#include <QLineEdit>

#include "FieldViews.h"

namespace {
TempPanel* g_current = nullptr;
std::function<void(int)> g_help;
}  // namespace

TempPanel::TempPanel(QWidget* parent, const char* resource, const QString& caption)
    : QDialog(parent), resource_(resource) {
    setObjectName(resource);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
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
