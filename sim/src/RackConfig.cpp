#include "vantris_sim/RackConfig.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>
#include <cmath>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace vantris::sim {
namespace {

struct ConfigError {
    std::string text;
};

// Larger than any sensible rack; also the most a file read takes.
constexpr std::size_t kMaxConfigBytes = 4 * 1024 * 1024;

// Qt's reader keeps the last of two equal keys without a word, so a fault
// list given twice would silently replace the first. This walks the text
// (already known to be valid JSON) and names the first key that repeats
// within one object, with its path ("faults[1].kind"). Iterative, so deep
// nesting cannot exhaust the stack.
class DuplicateKeyFinder {
  public:
    explicit DuplicateKeyFinder(std::string_view text) : text_(text) {}

    std::optional<std::string> Find() {
        struct Level {
            bool object = false;
            std::set<std::string> keys;
            std::string path;       // of this object or array
            std::string key;        // object: the key whose value comes next
            std::size_t index = 0;  // array: the element that comes next
        };
        std::vector<Level> levels;
        bool expectKey = false;
        while (Skip()) {
            const char c = text_[pos_];
            if (c == '{' || c == '[') {
                std::string path = levels.empty() ? std::string() : ChildPath(levels.back());
                ++pos_;
                levels.push_back(Level{c == '{', {}, std::move(path), {}, 0});
                expectKey = c == '{';
            } else if (c == '}' || c == ']') {
                ++pos_;
                if (levels.empty()) return std::nullopt;  // not valid JSON after all
                levels.pop_back();
                expectKey = false;
            } else if (c == ',') {
                ++pos_;
                if (levels.empty()) return std::nullopt;
                if (levels.back().object) {
                    expectKey = true;
                } else {
                    ++levels.back().index;
                }
            } else if (c == ':') {
                ++pos_;
            } else if (c == '"') {
                std::string s = String();
                if (expectKey && !levels.empty()) {
                    Level& level = levels.back();
                    if (!level.keys.insert(s).second) {
                        return (level.path.empty() ? s : level.path + "." + s);
                    }
                    level.key = std::move(s);
                    expectKey = false;
                }
            } else {
                ++pos_;  // numbers, true, false, null: nothing to remember
            }
        }
        return std::nullopt;
    }

  private:
    static std::string ChildPath(const auto& level) {
        if (level.object) return level.path.empty() ? level.key : level.path + "." + level.key;
        return level.path + "[" + std::to_string(level.index) + "]";
    }

    bool Skip() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
        return pos_ < text_.size();
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return 0;
    }
    unsigned Hex4() {
        unsigned v = 0;
        for (int i = 0; i < 4 && pos_ < text_.size(); ++i) v = v * 16 + Hex(text_[pos_++]);
        return v;
    }
    static void Utf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // The decoded text of the string at pos_ (at its opening quote), so that
    // "a" and "\u0061" count as the same key.
    std::string String() {
        std::string out;
        ++pos_;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c != '\\' || pos_ >= text_.size()) {
                out += c;
                continue;
            }
            c = text_[pos_++];
            switch (c) {
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned cp = Hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && pos_ + 1 < text_.size() &&
                        text_[pos_] == '\\' && text_[pos_ + 1] == 'u') {
                        pos_ += 2;
                        const unsigned low = Hex4();
                        if (low >= 0xDC00 && low < 0xE000)
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    Utf8(out, cp);
                    break;
                }
                default:
                    out += c;
                    break;  // \" \\ \/
            }
        }
        ++pos_;  // the closing quote
        return out;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

[[noreturn]] void Fail(const std::string& key, const std::string& what) {
    throw ConfigError{key + ": " + what};
}

// Walks one JSON object, remembering which keys were taken so that anything
// left over is reported as unknown.
class ObjectReader {
  public:
    ObjectReader(const QJsonObject& object, std::string path)
        : object_(object), path_(std::move(path)) {}

    std::string Key(const char* name) const { return path_.empty() ? name : path_ + "." + name; }

    const QJsonValue* Take(const char* name) {
        taken_.insert(name);
        auto it = object_.constFind(QString::fromUtf8(name));
        if (it == object_.constEnd()) return nullptr;
        value_ = it.value();
        return &value_;
    }

    void Number(const char* name, double& out, double low, double high) {
        const QJsonValue* v = Take(name);
        if (!v) return;
        if (!v->isDouble()) Fail(Key(name), "expected a number");
        const double x = v->toDouble();
        if (!std::isfinite(x) || x < low || x > high) {
            Fail(Key(name), "expected a number from " + Text(low) + " to " + Text(high));
        }
        out = x;
    }

    void Positive(const char* name, double& out, double high) {
        const QJsonValue* v = Take(name);
        if (!v) return;
        if (!v->isDouble() || !(v->toDouble() > 0.0) || v->toDouble() > high) {
            Fail(Key(name), "expected a number greater than 0 and at most " + Text(high));
        }
        out = v->toDouble();
    }

    void Integer(const char* name, int& out, int low, int high) {
        const QJsonValue* v = Take(name);
        if (!v) return;
        const double x = v->toDouble();
        if (!v->isDouble() || x != std::floor(x) || x < low || x > high) {
            Fail(Key(name), "expected a whole number from " + std::to_string(low) + " to " +
                                std::to_string(high));
        }
        out = static_cast<int>(x);
    }

    void String(const char* name, std::string& out, std::size_t maxLength) {
        const QJsonValue* v = Take(name);
        if (!v) return;
        if (!v->isString()) Fail(Key(name), "expected a text");
        const std::string s = v->toString().toStdString();
        if (s.size() > maxLength) {
            Fail(Key(name), "expected at most " + std::to_string(maxLength) + " characters");
        }
        out = s;
    }

    void Bool(const char* name, bool& out) {
        const QJsonValue* v = Take(name);
        if (!v) return;
        if (!v->isBool()) Fail(Key(name), "expected true or false");
        out = v->toBool();
    }

    QJsonObject Object(const char* name) {
        const QJsonValue* v = Take(name);
        if (!v) return {};
        if (!v->isObject()) Fail(Key(name), "expected an object");
        return v->toObject();
    }

    void Finish() const {
        for (auto it = object_.constBegin(); it != object_.constEnd(); ++it) {
            const std::string key = it.key().toStdString();
            if (!taken_.count(key)) Fail(Key(key.c_str()), "unknown key");
        }
    }

    static std::string Text(double x) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", x);
        return buffer;
    }

  private:
    QJsonObject object_;
    std::string path_;
    std::set<std::string> taken_;
    QJsonValue value_;
};

template <std::size_t N>
void NumberArray(ObjectReader& reader, const char* name, std::array<double, N>& out, double low,
                 double high) {
    const QJsonValue* v = reader.Take(name);
    if (!v) return;
    const std::string key = reader.Key(name);
    if (!v->isArray() || v->toArray().size() != static_cast<qsizetype>(N)) {
        Fail(key, "expected an array of " + std::to_string(N) + " numbers");
    }
    const QJsonArray array = v->toArray();
    for (std::size_t i = 0; i < N; ++i) {
        const QJsonValue item = array.at(static_cast<qsizetype>(i));
        if (!item.isDouble() || !std::isfinite(item.toDouble()) || item.toDouble() < low ||
            item.toDouble() > high) {
            Fail(key + "[" + std::to_string(i) + "]", "expected a number from " +
                                                          ObjectReader::Text(low) + " to " +
                                                          ObjectReader::Text(high));
        }
        out[i] = item.toDouble();
    }
}

void ReadSpecimen(const QJsonObject& object, SpecimenConfig& s) {
    ObjectReader r(object, "specimen");
    std::string geometry;
    r.String("geometry", geometry, 16);
    if (r.Take("geometry")) {
        if (geometry == "vdp")
            s.geometry = Geometry::Vdp;
        else if (geometry == "bar")
            s.geometry = Geometry::Bar;
        else if (geometry == "bridge")
            s.geometry = Geometry::Bridge;
        else
            Fail("specimen.geometry", "expected \"vdp\", \"bar\" or \"bridge\"");
    }
    std::string carrier;
    r.String("carrier", carrier, 4);
    if (r.Take("carrier")) {
        if (carrier == "n")
            s.nType = true;
        else if (carrier == "p")
            s.nType = false;
        else
            Fail("specimen.carrier", "expected \"n\" or \"p\"");
    }
    r.Positive("thickness_um", s.thicknessUm, 1e5);
    r.Positive("n300_cm3", s.n300Cm3, 1e24);
    r.Number("activation_eV", s.activationEv, 0.0, 2.0);
    r.Positive("mobility300_cm2Vs", s.mobility300, 1e7);
    r.Number("mobility_exponent", s.mobilityExponent, -5.0, 5.0);
    r.Positive("hall_factor", s.hallFactor, 10.0);
    NumberArray(r, "contact_angles_deg", s.contactAnglesDeg, -360.0, 720.0);
    NumberArray(r, "contact_resistance_ohm", s.contactResistanceOhm, 0.0, 1e12);
    r.Positive("contact_radius_mm", s.contactRadiusMm, 1e3);
    r.Positive("disc_diameter_mm", s.discDiameterMm, 1e3);
    r.Positive("bar_length_mm", s.barLengthMm, 1e3);
    r.Positive("bar_width_mm", s.barWidthMm, 1e3);
    r.Number("thermo_offset_volts", s.thermoOffsetVolts, -1.0, 1.0);
    NumberArray(r, "contact_diode_saturation_A", s.contactDiodeSaturationA, 0.0, 1.0);
    NumberArray(r, "contact_diode_ideality", s.contactDiodeIdeality, 0.5, 20.0);
    r.Finish();

    // Contacts must lie in order around the rim, all different.
    for (int i = 1; i < 4; ++i) {
        if (!(s.contactAnglesDeg[i] > s.contactAnglesDeg[i - 1])) {
            Fail("specimen.contact_angles_deg", "expected four increasing angles");
        }
    }
    if (s.contactAnglesDeg[3] - s.contactAnglesDeg[0] >= 360.0) {
        Fail("specimen.contact_angles_deg", "expected the four angles within one turn");
    }
    if (s.contactRadiusMm * 4.0 >= s.discDiameterMm) {
        Fail("specimen.contact_radius_mm", "expected less than a quarter of disc_diameter_mm");
    }
}

void ReadThermal(ObjectReader& r, ThermalConfig& t) {
    r.Number("initial_K", t.initialK, 1.0, 2000.0);
    r.Positive("tau_seconds", t.tauSeconds, 1e6);
    r.Number("ramp_K_per_s", t.rampKPerSecond, 0.0, 1e4);
    r.Number("overshoot", t.overshoot, 0.0, 1.0);
    r.Positive("sample_tau_seconds", t.sampleTauSeconds, 1e6);
    r.Number("sample_offset_K", t.sampleOffsetK, -100.0, 100.0);
    r.Number("base_K", t.baseK, 1.0, 2000.0);
    r.Number("max_K", t.maxK, 1.0, 2000.0);
    if (t.maxK <= t.baseK) Fail(r.Key("max_K"), "expected more than base_K");
}

FaultConfig ReadFault(const QJsonValue& value, const std::string& path) {
    if (!value.isObject()) Fail(path, "expected an object");
    ObjectReader r(value.toObject(), path);
    FaultConfig f;
    std::string text;
    if (!r.Take("device")) Fail(r.Key("device"), "missing");
    r.String("device", text, 16);
    static const std::map<std::string, FaultDevice> devices{{"hall", FaultDevice::Hall},
                                                            {"ln2", FaultDevice::Ln2},
                                                            {"itc5", FaultDevice::Itc5},
                                                            {"hot", FaultDevice::Hot},
                                                            {"buffer", FaultDevice::Buffer}};
    if (!devices.count(text)) {
        Fail(r.Key("device"), "expected \"hall\", \"ln2\", \"itc5\", \"hot\" or \"buffer\"");
    }
    f.device = devices.at(text);
    if (!r.Take("kind")) Fail(r.Key("kind"), "missing");
    r.String("kind", text, 16);
    static const std::map<std::string, FaultKind> kinds{
        {"timeout", FaultKind::Timeout},          {"garbage", FaultKind::Garbage},
        {"long-reply", FaultKind::LongReply},     {"no-srq", FaultKind::NoSrq},
        {"motion-fault", FaultKind::MotionFault}, {"lid-open", FaultKind::LidOpen},
        {"silence", FaultKind::Silence}};
    if (!kinds.count(text)) {
        Fail(r.Key("kind"),
             "expected \"timeout\", \"garbage\", \"long-reply\", \"no-srq\", \"motion-fault\", "
             "\"lid-open\" or \"silence\"");
    }
    f.kind = kinds.at(text);
    const bool hallOnly = f.kind == FaultKind::NoSrq || f.kind == FaultKind::MotionFault ||
                          f.kind == FaultKind::LidOpen;
    if (hallOnly && f.device != FaultDevice::Hall) {
        Fail(r.Key("kind"), "\"" + text + "\" needs device \"hall\"");
    }
    if (f.device == FaultDevice::Buffer && f.kind != FaultKind::Silence) {
        Fail(r.Key("kind"), "the buffer amplifier never replies: only \"silence\" applies");
    }
    if (r.Take("command")) {
        std::string command;
        r.String("command", command, 64);
        if (command.empty()) Fail(r.Key("command"), "expected a non-empty text");
        f.command = command;
    }
    r.Integer("secondary", f.secondary, 0, 30);
    r.Integer("after", f.after, 0, 1000000000);
    r.Number("probability", f.probability, 0.0, 1.0);
    r.Integer("times", f.times, 1, 1000000000);
    r.Positive("seconds", f.seconds, 1e9);
    r.Integer("status", f.status, 1, 255);
    r.Finish();
    return f;
}

void ReadRoot(const QJsonObject& root, RackConfig& c) {
    ObjectReader r(root, "");
    double seed = static_cast<double>(c.seed);
    r.Number("seed", seed, 0.0, 9007199254740992.0);
    if (seed != std::floor(seed)) Fail("seed", "expected a whole number");
    c.seed = static_cast<std::uint64_t>(seed);
    r.Number("noise_volts", c.noiseVolts, 0.0, 1.0);
    if (r.Take("specimen")) ReadSpecimen(r.Object("specimen"), c.specimen);
    {
        ObjectReader m(r.Object("magnet"), "magnet");
        m.Positive("tesla", c.magnet.tesla, 100.0);
        m.Number("move_seconds", c.magnet.moveSeconds, 0.0, 1000.0);
        m.Finish();
    }
    {
        ObjectReader e(r.Object("electronics"), "electronics");
        e.String("identification", c.electronics.identification, 18);
        e.Positive("compliance_volts", c.electronics.complianceVolts, 1e4);
        e.Bool("lid_open", c.electronics.lidOpen);
        e.Finish();
    }
    std::string stage;
    r.String("stage", stage, 16);
    if (r.Take("stage")) {
        static const std::map<std::string, StageChoice> stages{{"auto", StageChoice::Auto},
                                                               {"ambient", StageChoice::Ambient},
                                                               {"ln2", StageChoice::Ln2},
                                                               {"itc5", StageChoice::Itc5},
                                                               {"hot", StageChoice::Hot}};
        if (!stages.count(stage)) {
            Fail("stage", "expected \"auto\", \"ambient\", \"ln2\", \"itc5\" or \"hot\"");
        }
        c.stage = stages.at(stage);
    }
    {
        ObjectReader l(r.Object("ln2"), "ln2");
        ReadThermal(l, c.ln2.thermal);
        l.Positive("initial_mbar", c.ln2.initialMbar, 2000.0);
        l.Positive("pump_tau_seconds", c.ln2.pumpTauSeconds, 1e6);
        l.Finish();
    }
    {
        ObjectReader i(r.Object("itc5"), "itc5");
        ReadThermal(i, c.itc5.thermal);
        i.String("identification", c.itc5.identification, 38);
        i.Finish();
    }
    {
        ObjectReader h(r.Object("hot"), "hot");
        ReadThermal(h, c.hot.thermal);
        h.Finish();
    }
    if (r.Take("serial")) {
        const QJsonObject serial = r.Object("serial");
        c.serial.clear();
        for (auto it = serial.constBegin(); it != serial.constEnd(); ++it) {
            const std::string key = "serial." + it.key().toStdString();
            if (it.key().isEmpty() || it.key().size() > 32) Fail(key, "expected a port name");
            const std::string device = it.value().toString().toStdString();
            if (!it.value().isString() ||
                (device != "buffer" && device != "hot" && device != "none")) {
                Fail(key, "expected \"buffer\", \"hot\" or \"none\"");
            }
            c.serial[it.key().toStdString()] = device;
        }
    }
    if (const QJsonValue* v = r.Take("faults")) {
        if (!v->isArray()) Fail("faults", "expected an array");
        const QJsonArray faults = v->toArray();
        if (faults.size() > 64) Fail("faults", "expected at most 64 entries");
        c.faults.clear();
        for (qsizetype i = 0; i < faults.size(); ++i) {
            c.faults.push_back(ReadFault(faults.at(i), "faults[" + std::to_string(i) + "]"));
        }
    }
    r.Finish();
}

}  // namespace

bool ParseRackConfig(const std::string& json, RackConfig& config, std::string& error) {
    if (json.size() > kMaxConfigBytes) {
        error = "the configuration is too large (" + std::to_string(json.size()) +
                " bytes; at most " + std::to_string(kMaxConfigBytes) + ")";
        return false;
    }
    QJsonParseError parseError{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = "JSON error at offset " + std::to_string(parseError.offset) + ": " +
                parseError.errorString().toStdString();
        return false;
    }
    if (!document.isObject()) {
        error = "expected a JSON object at the top level";
        return false;
    }
    if (const auto key = DuplicateKeyFinder(json).Find()) {
        error = *key + ": duplicate key";
        return false;
    }
    RackConfig result = config;
    try {
        ReadRoot(document.object(), result);
    } catch (const ConfigError& e) {
        error = e.text;
        return false;
    }
    config = std::move(result);
    return true;
}

bool LoadRackConfig(const std::string& path, RackConfig& config, std::string& error) {
    if (path.empty()) {
        config = RackConfig{};
        return true;
    }
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + ": cannot read the file";
        return false;
    }
    // One byte beyond the limit tells a file that is too large from one that
    // just fits, without reading a huge file whole.
    const QByteArray bytes = file.read(static_cast<qint64>(kMaxConfigBytes) + 1);
    if (static_cast<std::size_t>(bytes.size()) > kMaxConfigBytes) {
        error = path + ": the file is too large (more than " + std::to_string(kMaxConfigBytes) +
                " bytes)";
        return false;
    }
    RackConfig result;
    if (!ParseRackConfig(bytes.toStdString(), result, error)) {
        error = path + ": " + error;
        return false;
    }
    config = std::move(result);
    return true;
}

}  // namespace vantris::sim
