#pragma once
// The program's command line: the instrument's own slash switches (/d /g /h
// /n /x /y, in chains such as /n/d) and our long options.
#include <string>
#include <vector>

#include "ControllerKind.h"

struct RunItem {
    int id = 0;
    double delaySeconds = -1.0;  // >= 0: issued that long after the previous item started
};

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
    bool dump = false;
    std::vector<std::string> answers;
    double timeScale = 0.0;  // 0: leave the environment's
    std::string dateTime;    // fixed regional date/time settings
    bool help = false;
    bool version = false;

    std::string error;  // non-empty when the line could not be read
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);
// "56,51,52,250@3" -> items; false with a message on a bad list.
bool ParseRunList(const std::string& text, std::vector<RunItem>& items, std::string& error);
std::string UsageText();
