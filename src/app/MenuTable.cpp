#include "app/MenuTable.h"

namespace {
MenuEntry Item(const std::string& text, int id) {
    return MenuEntry{text, id, {}};
}
MenuEntry Sub(const std::string& text, std::vector<MenuEntry> children) {
    return MenuEntry{text, 0, std::move(children)};
}
MenuEntry Separator() {
    return MenuEntry{};
}

void Flatten(const std::vector<MenuEntry>& entries, const std::string& prefix,
             std::vector<MenuCommand>& out) {
    for (const auto& e : entries) {
        if (e.text.empty()) continue;
        std::string text;
        for (char c : e.text)
            if (c != '&') text += c;
        const std::string path = prefix.empty() ? text : prefix + " > " + text;
        if (e.id != 0) out.push_back({e.id, path});
        Flatten(e.children, path, out);
    }
}
}  // namespace

std::vector<MenuEntry> BuildMenu(bool scan) {
    std::vector<MenuEntry> menu;
    const std::vector<MenuEntry> archive = {
        Item(scan ? "Add Current Result" : "Add Current Results", 15),
        Separator(),
        Item("Set Path...", 16),
        Item("Examine...", 17),
        Item("Sort Records...", 18),
        Item("View Records...", 19)};
    if (scan) {
        menu.push_back(
            Sub("&File", {Item("Sample...", 62), Item("Save As...", 63), Item("Open Tscan...", 61),
                          Item("Sample Info...", 67), Separator(),
                          Sub("Print", {Item("Current Results", 69), Item("Graph", 64),
                                        Item("Page Setup...", 68)}),
                          Sub("Archive", archive)}));
        menu.push_back(Sub(
            "&Graph",
            {Item("Set Scale...", 71), Item("Auto Scale", 72), Separator(), Item("Inverse T", 74),
             Item("Fit Activation", 87), Separator(), Item("Conc.+ Mobility", 75),
             Item("Res.+ Hall Coef", 76), Item("Concentration", 77), Item("Resistivity", 78),
             Separator(), Sub("Clipboard", {Item("Bitmap", 85), Item("Metafile", 86)}),
             Sub("Features",
                 {Item("Grid Lines", 81), Item("Change Title", 80), Item("Delete Comments", 82)}),
             Sub("Style", {Item("Data Points...", 120), Item("Frame Color...", 121),
                           Item("Font...", 122), Separator(), Item("Read...", 123),
                           Item("Save", 124), Item("Save As...", 125)})}));
    } else {
        menu.push_back(
            Sub("&File", {Item("Sample...", 62), Separator(), Item("Print Results", 69),
                          Item("Printer...", 68), Separator(), Sub("Archive", archive)}));
    }
    std::vector<MenuEntry> configure = {Item("Measurement...", 42), Item("Temperature...", 40),
                                        Item("Blast Contacts...", 43)};
    if (scan) configure.push_back(Item("PID Factors...", 41));
    configure.push_back(Separator());
    configure.push_back(
        Sub("Settings", {Item("Open...", 11), Item("Save", 12), Item("Save As...", 13)}));
    menu.push_back(Sub("&Configure", configure));
    std::vector<MenuEntry> measure = {
        Item("Check Contacts", 56), Item("IV Curve", 57), Item("Resistivity", 51),
        Item("Hall", 52),           Separator(),          Item("Depletion...", 53)};
    if (scan) {
        measure.push_back(Item("Activation", 55));
        measure.push_back(Separator());
        measure.push_back(Item("Temperature Scan", 54));
    }
    menu.push_back(Sub("&Measure", measure));
    if (scan) {
        menu.push_back(
            Sub("&Window", {Item("Cascade", 24361), Item("Tile Vertical", 24362),
                            Item("Tile Horizontal", 24363), Item("Arrange Icons", 24364)}));
    }
    menu.push_back(Sub("&Help", {Item("Hall System", 102), Item("Using Help", 101), Separator(),
                                 Item(scan ? "About" : "About RT44Win", 100), Separator(),
                                 Item("Engineering", 103)}));
    return menu;
}

std::vector<Accelerator> BuildAccelerators(bool scan) {
    std::vector<Accelerator> keys = {{"F5", 56}, {"F6", 57}, {"F7", 51}, {"F8", 52}, {"F1", 102}};
    if (scan) {
        // Qt cannot tell the plain keys "N" and "n" apart: the capitals are
        // bound as Shift+N and Shift+R.
        const std::vector<Accelerator> scanKeys = {
            {"E", 55},       {"F", 71}, {"A", 72}, {"T", 74}, {"Shift+N", 75},
            {"Shift+R", 76}, {"N", 77}, {"R", 78}, {"G", 81}, {"Shift+E", 87}};
        keys.insert(keys.end(), scanKeys.begin(), scanKeys.end());
    }
    return keys;
}

std::vector<MenuCommand> FlattenMenu(const std::vector<MenuEntry>& menu) {
    std::vector<MenuCommand> out;
    Flatten(menu, "", out);
    return out;
}
