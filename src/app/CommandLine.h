#pragma once
// The program's command line: the instrument's own slash switches (/d /g /h
// /n /x /y, in chains such as /n/d) and our long options.
#include <string>
#include <vector>

#include "core/ControllerKind.h"

// One item of --run: a menu command ("52"), or a control of an open window
// ("LOGFILE.106" presses it, "CURRENT.103=2.5" types into it), either of
// them timed ("250@3": issued 3 s after the previous item started).
struct RunItem {
    int id = 0;            // the menu command; 0 for a control item
    std::string resource;  // the window's resource name ("LOGFILE", "WAIT")
    int control = 0;       // the control's id in that window
    bool hasText = false;  // "=TEXT" given
    bool dump = false;     // "DUMP": the program's state printed now, inside any open window
    std::string text;
    double delaySeconds = -1.0;  // >= 0: issued that long after the previous item started

    bool IsControl() const { return !resource.empty(); }
    std::string Spelling() const;  // "52", "LOGFILE.106", "CURRENT.103=2.5"
};

// The longest delay of a timed item, in seconds: a day is more than any
// automated session waits, and keeps every scaled interval in range.
inline constexpr double kMaxRunDelaySeconds = 86400.0;

struct CommandLine {
    // Slash switches.
    ControllerKind controllerKind = ControllerKind::None;
    bool demo = false;
    bool manualMagnet = false;
    bool bytewiseItc = false;

    // Long options.
    bool simulate = false;
    std::string simulateFile;
    std::string gpibLibrary;
    std::string registryFile;
    bool initRegistry = false;
    std::vector<RunItem> run;
    std::vector<std::string> sets;  // NAME=VALUE
    std::vector<std::string> open;  // scan files to open in viewers (scan mode)
    bool dump = false;
    std::vector<std::string> answers;
    double timeScale = 0.0;  // 0: leave the environment's
    std::string dateTime;    // fixed regional date/time settings
    std::string printTo;     // print commands write PDF here without asking
    bool help = false;
    bool version = false;

    std::string error;  // non-empty when the line could not be read
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);
// "56,51,52,250@3,LOGFILE.106" -> items; false with a message on a bad list.
bool ParseRunList(const std::string& text, std::vector<RunItem>& items, std::string& error);
std::string UsageText();
