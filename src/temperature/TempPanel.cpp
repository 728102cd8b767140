#include "TempPanel.h"

#include <cmath>
#include <cstdlib>
#include <optional>

#include "Prompt.h"
#include "xmsg.h"

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
    for (const auto& [id, text] : fields_.All()) {
        line += " " + std::to_string(id) + "=";
        for (char c : text) line += c == '\n' ? ' ' : c;
    }
    return line;
}

bool TempPanel::Guard(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const xmsg& e) {
        Prompt::Message(this, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    }
    return false;
}

void TempPanel::Help(int context) {
    if (g_help) g_help(context);
}

std::optional<double> SetPointFromText(const QString& text) {
    const std::string cut = text.left(11).trimmed().toStdString();
    if (cut.empty()) return 0.0;
    char* end = nullptr;
    const double value = std::strtod(cut.c_str(), &end);
    if (end != cut.c_str() + cut.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

void SetTemperatureHelpHandler(std::function<void(int)> handler) {
    g_help = std::move(handler);
}
