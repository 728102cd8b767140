#include "app/CommandLine.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {
// A slash argument is a chain of two-character switches; the chain ends at the
// first pair that does not begin with '/'. Unknown letters are ignored.
void ReadSwitchChain(const std::string& arg, CommandLine& line) {
    for (std::size_t i = 0; i < arg.size(); i += 2) {
        if (arg[i] != '/' || i + 1 >= arg.size()) break;
        switch (arg[i + 1]) {
            case 'd':
                line.demo = true;
                break;
            case 'g':
                line.bytewiseItc = true;
                line.controllerKind = ControllerKind::ITC5;
                break;
            case 'h':
                line.controllerKind = ControllerKind::ITC5;
                break;
            case 'n':
                line.controllerKind = ControllerKind::LN2;
                break;
            case 'x':
                line.manualMagnet = true;
                break;
            case 'y':
                line.controllerKind = ControllerKind::HotStage;
                break;
            default:
                break;
        }
    }
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == ',') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(value);
}
}  // namespace

namespace {
// A control item's window: a resource name, a letter first, then letters,
// digits and underscores.
bool IsResourceName(const std::string& text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

bool ParseId(const std::string& text, int& id) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value <= 0 || value > 65535) return false;
    id = static_cast<int>(value);
    return true;
}

// "@S" at the end of an item: the last '@' whose remainder reads as a
// number (a typed text may itself hold an '@').
std::size_t DelayMark(const std::string& part) {
    const std::size_t at = part.rfind('@');
    if (at == std::string::npos) return at;
    double ignored = 0;
    const std::size_t eq = part.find('=');
    if (eq != std::string::npos && at > eq && !ParseNumber(part.substr(at + 1), ignored))
        return std::string::npos;
    return at;
}

bool ParseItem(const std::string& part, RunItem& item, std::string& error) {
    const std::size_t at = DelayMark(part);
    const std::string body = part.substr(0, at);
    const std::size_t eq = body.find('=');
    const std::string target = body.substr(0, eq);
    const std::size_t dot = target.find('.');
    bool ok = false;
    if (body == "DUMP") {
        item.dump = true;
        ok = true;
    } else if (dot == std::string::npos) {
        ok = eq == std::string::npos && ParseId(target, item.id);
    } else {
        item.resource = target.substr(0, dot);
        ok = IsResourceName(item.resource) && ParseId(target.substr(dot + 1), item.control);
        if (eq != std::string::npos) {
            item.hasText = true;
            item.text = body.substr(eq + 1);
        }
    }
    if (!ok) {
        error = "--run: bad item \"" + part + "\" (a command id, or RESOURCE.ID[=TEXT])";
        return false;
    }
    if (at != std::string::npos) {
        if (!ParseNumber(part.substr(at + 1), item.delaySeconds) || item.delaySeconds < 0 ||
            item.delaySeconds > kMaxRunDelaySeconds) {
            error = "--run: bad delay in \"" + part + "\" (0 to 86400 seconds)";
            return false;
        }
    }
    return true;
}
}  // namespace

std::string RunItem::Spelling() const {
    if (dump) return "DUMP";
    if (!IsControl()) return std::to_string(id);
    return resource + "." + std::to_string(control) + (hasText ? "=" + text : "");
}

bool ParseRunList(const std::string& text, std::vector<RunItem>& items, std::string& error) {
    items.clear();
    for (const auto& part : SplitCommas(text)) {
        RunItem item;
        if (!ParseItem(part, item, error)) return false;
        if (item.delaySeconds >= 0 && items.empty()) {
            error = "--run: the first item cannot be timed (\"" + part + "\")";
            return false;
        }
        items.push_back(item);
    }
    return true;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    auto value = [&](std::size_t& i, const std::string& arg, const std::string& name,
                     std::string& out) {
        const std::string prefix = name + "=";
        if (arg.rfind(prefix, 0) == 0) {
            out = arg.substr(prefix.size());
            return true;
        }
        if (arg == name) {
            if (i + 1 >= args.size()) {
                line.error = name + " needs a value";
                return true;
            }
            out = args[++i];
            return true;
        }
        return false;
    };
    for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
        const std::string& arg = args[i];
        std::string v;
        if (!arg.empty() && arg[0] == '/') {
            ReadSwitchChain(arg, line);
        } else if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg.rfind("--simulate=", 0) == 0) {
            line.simulate = true;
            line.simulateFile = arg.substr(11);
        } else if (value(i, arg, "--gpib-library", line.gpibLibrary) ||
                   value(i, arg, "--registry", line.registryFile) ||
                   value(i, arg, "--datetime", line.dateTime) ||
                   value(i, arg, "--print-to", line.printTo)) {
            if (line.error.empty() && arg.rfind("--print-to", 0) == 0 && line.printTo.empty())
                line.error = "--print-to needs a file name";
        } else if (arg == "--init-registry") {
            line.initRegistry = true;
        } else if (value(i, arg, "--run", v)) {
            std::vector<RunItem> items;
            if (line.error.empty() && ParseRunList(v, items, line.error))
                line.run.insert(line.run.end(), items.begin(), items.end());
        } else if (value(i, arg, "--set", v)) {
            for (const auto& s : SplitCommas(v)) {
                if (s.find('=') == std::string::npos || s.find('=') == 0) {
                    line.error = "--set: expected NAME=VALUE, got \"" + s + "\"";
                    break;
                }
                line.sets.push_back(s);
            }
        } else if (value(i, arg, "--open", v)) {
            if (v.empty() && line.error.empty()) line.error = "--open needs a file name";
            if (!v.empty()) line.open.push_back(v);
        } else if (value(i, arg, "--answer", v)) {
            for (const auto& s : SplitCommas(v)) line.answers.push_back(s);
        } else if (value(i, arg, "--time-scale", v)) {
            if (line.error.empty() &&
                (!ParseNumber(v, line.timeScale) || line.timeScale <= 0 || line.timeScale > 1000))
                line.error = "--time-scale: expected a number above 0 and at most 1000";
        } else if (arg == "--dump") {
            line.dump = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg.rfind("--", 0) == 0) {
            line.error = "unknown option " + arg;
        }
        // Other arguments are ignored, as the instrument's program always did.
    }
    return line;
}

std::string UsageText() {
    return "Usage: vantrisNI|vantrisIOT [/d] [/n|/h|/g|/y] [/x] [options]\n"
           "  /d                 demo mode: no instrument traffic\n"
           "  /n                 LN2 cryostat controller (scan mode)\n"
           "  /h                 ITC5 controller\n"
           "  /g                 ITC5 controller, replies read byte by byte\n"
           "  /y                 hot stage on a serial port\n"
           "  /x                 manual magnet: moves are shown, not sent\n"
           "  --simulate[=FILE]  run against the virtual instrument rack (FILE: JSON)\n"
           "  --gpib-library P   GPIB driver library to load (default libgpib.so.0)\n"
           "  --registry FILE    settings file (default $XDG_CONFIG_HOME/Brisel/Hall.reg)\n"
           "  --init-registry    write the installation's default settings and exit\n"
           "  --run LIST         run menu commands after start-up (56,51,52 or 52,250@3)\n"
           "  --set N=V[,...]    set live settings and specimen fields after start-up\n"
           "  --answer B[,...]   answers for message boxes (OK, Cancel, Yes, No, ...)\n"
           "  --open FILE        open a scan file (.tsc) in a viewer; repeatable (scan mode)\n"
           "  --dump             print the program's state and exit\n"
           "  --time-scale X     run all intervals X times as long (0.01 = 100x faster)\n"
           "  --datetime SPEC    fix the regional date/time settings (see README)\n"
           "  --print-to FILE    print commands write their page to FILE as PDF, unasked\n"
           "  --version, --help\n";
}
