#pragma once
// The two menus of the main frame (the simple one without a temperature stage,
// the scan menu with one) and their accelerators, as plain data.
#include <string>
#include <vector>

struct MenuEntry {
    std::string text;  // "" for a separator
    int id = 0;        // 0 for a submenu or a separator
    std::vector<MenuEntry> children;
};

// Top-level menus in order; scan selects SCANMENU.
std::vector<MenuEntry> BuildMenu(bool scan);

struct Accelerator {
    std::string key;  // Qt key sequence text ("F5", "E", "Shift+N")
    int id;
};
std::vector<Accelerator> BuildAccelerators(bool scan);

// Every command entry with its path ("File > Sample..."), depth first.
struct MenuCommand {
    int id;
    std::string path;
};
std::vector<MenuCommand> FlattenMenu(const std::vector<MenuEntry>& menu);

// Command identifiers that have no menu entry but exist (tool bar buttons).
inline constexpr int kAbortCommand = 250;
inline constexpr int kSetValueCommand = 253;
