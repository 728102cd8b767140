#pragma once
// What this module needs from modules above it (the temperature controller,
// the results panel, the scan window, the graphs) comes through these
// callbacks, which the application sets in its program state's record parts.
// Unset callbacks fall back to the behaviour of a stage without a controller.
#include <functional>
#include <string>

struct RecordsLinks {
    // The controller object's set-point field (kelvin), read and written
    // without commanding the controller.
    std::function<double()> getSetPoint;
    std::function<void(double)> setSetPoint;
    // The controller's reading text ("AMB", "LN2", "293.1", ...).
    std::function<std::string()> temperatureText;
    // Thickness changed on the Geometry page: the bulk results and, with a
    // controller, the scan window are brought up to date.
    std::function<void()> thicknessChanged;
    // A settings set was read; its scan values are new (controller fitted).
    std::function<void()> scanSettingsRead;
    // A style set was read: the graphs repaint.
    std::function<void()> styleRead;
    // Opens a file in the desktop's text editor; Launch::OpenInEditor when unset.
    std::function<bool(const std::string&)> openEditor;
};
