#include "temperature/TempPanelLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Prompt.h"
#include "temperature/TTemp.h"
#include "core/xmsg.h"

bool RunShowingErrors(QWidget* owner, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const xmsg& e) {
        Prompt::Message(owner, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    }
    return false;
}

std::optional<double> SetPointFromText(const QString& text) {
    const std::string cut = text.left(11).trimmed().toStdString();
    if (cut.empty()) return 0.0;
    char* end = nullptr;
    const double value = std::strtod(cut.c_str(), &end);
    if (end != cut.c_str() + cut.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

void TempPanelLogic::TakeSetPoint(TTemp& controller, int editId, const char* hint,
                                  const char* caption) {
    const auto value = SetPointFromText(QString::fromStdString(fields_.Get(editId)));
    if (!value || *value < 0.0) {
        Prompt::Message(Owner(), hint, caption, Prompt::Buttons::Ok, Prompt::Icon::Warning);
    } else if (*value != 0.0) {
        const double kelvin = std::min(*value, static_cast<double>(controller.maximum));
        Guard([&controller, kelvin] { controller.SetTemperature(kelvin); });
    }
}
