#include "RegFile.h"

#include <cctype>
#include <cstdio>

namespace {
constexpr const char* kHive = "HKEY_LOCAL_MACHINE";

std::string Lower(const std::string& s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool StartsWithName(const std::string& path, const std::string& prefix) {
    return path.size() > prefix.size() && path[prefix.size()] == '\\' &&
           SameRegName(path.substr(0, prefix.size()), prefix);
}

// UTF-16LE (with its BOM already removed) to the 8-bit code page the program
// keeps its texts in; characters beyond it become '?'.
std::string FromUtf16(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned code =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += code < 256 ? static_cast<char>(code) : '?';
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') continue;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

// Reads a quoted string with \\ and \" escapes starting at s[pos] == '"'.
bool ReadQuoted(const std::string& s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\') {
            if (pos >= s.size()) return false;
            const char e = s[pos++];
            if (e == 'n') {
                out += '\n';
            } else if (e == 'r') {
                out += '\r';
            } else {
                out += e;
            }
        } else {
            out += c;
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& out) {
    out.clear();
    std::size_t i = 0;
    const std::string t = Trim(text);
    if (t.empty()) return true;
    while (i < t.size()) {
        while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
        if (i >= t.size()) return false;
        const int hi = HexDigit(t[i]);
        const int lo = i + 1 < t.size() ? HexDigit(t[i + 1]) : -1;
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        i += 2;
        while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
        if (i < t.size()) {
            if (t[i] != ',') return false;
            ++i;
            if (i >= t.size()) return false;  // a trailing comma without a byte
        }
    }
    return true;
}

// Parses the data part of a value line. Empty error means success.
std::string ParseData(const std::string& data, bool utf16Texts, RegistryStore::Value& value,
                      bool& remove) {
    remove = false;
    if (data == "-") {
        remove = true;
        return {};
    }
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ReadQuoted(data, pos, text)) return "unterminated text";
        if (!Trim(data.substr(pos)).empty()) return "text after the closing quote";
        value.type = RegistryStore::kSz;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return {};
    }
    const std::string lower =
        Lower(data.substr(0, data.find(':') == std::string::npos ? data.size() : data.find(':')));
    const auto colon = data.find(':');
    if (colon == std::string::npos) return "value data not understood";
    const std::string body = data.substr(colon + 1);
    if (lower == "dword") {
        const std::string digits = Trim(body);
        if (digits.empty() || digits.size() > 8) return "bad dword";
        std::uint32_t v = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return "bad dword";
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        value = RegistryStore::Dword(value.name, v);
        return {};
    }
    std::uint32_t type = RegistryStore::kBinary;
    if (lower.rfind("hex(", 0) == 0 && lower.size() > 5 && lower.back() == ')') {
        const std::string num = lower.substr(4, lower.size() - 5);
        if (num.empty() || num.size() > 8) return "bad value type";
        type = 0;
        for (char c : num) {
            const int d = HexDigit(c);
            if (d < 0) return "bad value type";
            type = type * 16 + static_cast<std::uint32_t>(d);
        }
    } else if (lower != "hex") {
        return "value data not understood";
    }
    std::vector<std::uint8_t> bytes;
    if (!ParseHexBytes(body, bytes)) return "bad hex data";
    if (utf16Texts && (type == RegistryStore::kSz || type == RegistryStore::kExpandSz)) {
        const std::string narrow = FromUtf16(std::string(bytes.begin(), bytes.end()));
        bytes.assign(narrow.begin(), narrow.end());
    }
    value.type = type;
    value.data = std::move(bytes);
    return {};
}

std::string KeyPathFromLine(const std::string& inner) {
    std::string path = inner;
    for (const char* hive : {kHive, "HKLM"}) {
        const std::string h(hive);
        if (SameRegName(path, h)) return {};
        if (StartsWithName(path, h)) return path.substr(h.size() + 1);
    }
    return path;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        // A line break inside a name or text would split its line.
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            if (c == '\\' || c == '"') out += '\\';
            out += c;
        }
    }
    return out;
}

void WriteHex(std::string& out, const std::string& lead, const std::vector<std::uint8_t>& data) {
    std::string line = lead;
    char byte[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        line += byte;
        if (i + 1 < data.size()) {
            line += ',';
            if (line.size() > 76) {
                out += line + "\\\r\n";
                line = "  ";
            }
        }
    }
    out += line + "\r\n";
}
}  // namespace

bool SameRegName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && Lower(a) == Lower(b);
}

RegKey* RegTree::Find(const std::string& path) {
    for (auto& key : keys)
        if (SameRegName(key.path, path)) return &key;
    return nullptr;
}

const RegKey* RegTree::Find(const std::string& path) const {
    for (const auto& key : keys)
        if (SameRegName(key.path, path)) return &key;
    return nullptr;
}

bool RegTree::Exists(const std::string& path) const {
    if (path.empty()) return true;
    for (const auto& key : keys)
        if (SameRegName(key.path, path) || StartsWithName(key.path, path)) return true;
    return false;
}

RegKey& RegTree::Create(const std::string& path) {
    if (RegKey* key = Find(path)) return *key;
    const auto slash = path.rfind('\\');
    if (slash != std::string::npos) Create(path.substr(0, slash));
    keys.push_back(RegKey{path, {}});
    return keys.back();
}

std::vector<std::string> RegTree::Children(const std::string& path) const {
    std::vector<std::string> names;
    for (const auto& key : keys) {
        std::string rest;
        if (path.empty()) {
            rest = key.path;
        } else if (StartsWithName(key.path, path)) {
            rest = key.path.substr(path.size() + 1);
        } else {
            continue;
        }
        const std::string child = rest.substr(0, rest.find('\\'));
        if (child.empty()) continue;
        bool seen = false;
        for (const auto& n : names) seen = seen || SameRegName(n, child);
        if (!seen) names.push_back(child);
    }
    return names;
}

void RegTree::Remove(const std::string& path) {
    std::vector<RegKey> kept;
    for (auto& key : keys)
        if (!SameRegName(key.path, path) && !StartsWithName(key.path, path))
            kept.push_back(std::move(key));
    keys = std::move(kept);
}

RegParseResult ParseRegFile(const std::string& raw) {
    RegParseResult result;
    std::string text = raw;
    bool utf16 = false;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        text = FromUtf16(text.substr(2));
        utf16 = true;
    } else if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = text.substr(3);
    }
    const auto lines = SplitLines(text);
    auto fail = [&](int line, const std::string& why) {
        result.ok = false;
        result.errorLine = line;
        result.error = why;
        result.tree.keys.clear();
        return result;
    };
    std::size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty()) ++i;
    if (i == lines.size()) return result;  // an empty file is an empty store
    const std::string header = Trim(lines[i]);
    if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00")
        return fail(static_cast<int>(i) + 1, "not a registry file");
    RegKey* current = nullptr;
    bool deleting = false;
    for (++i; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return fail(lineNo, "unterminated key line");
            std::string inner = line.substr(1, line.size() - 2);
            deleting = !inner.empty() && inner[0] == '-';
            if (deleting) inner = inner.substr(1);
            const std::string path = KeyPathFromLine(inner);
            if (path.empty() && inner.empty()) return fail(lineNo, "empty key name");
            if (deleting) {
                result.tree.Remove(path);
                current = nullptr;
            } else {
                current = &result.tree.Create(path);
            }
            continue;
        }
        // Hex data may continue over lines that end in a backslash.
        while (line.size() > 0 && line.back() == '\\' && i + 1 < lines.size()) {
            line.pop_back();
            line += Trim(lines[++i]);
        }
        RegistryStore::Value value;
        std::size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (!ReadQuoted(line, pos, value.name)) {
            return fail(lineNo, "line not understood");
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') return fail(lineNo, "missing '='");
        if (!current && !deleting) return fail(lineNo, "value outside any key");
        bool remove = false;
        const std::string why = ParseData(Trim(line.substr(pos + 1)), utf16, value, remove);
        if (!why.empty()) return fail(lineNo, why);
        if (!current) continue;
        auto& values = current->values;
        std::size_t k = 0;
        while (k < values.size() && !SameRegName(values[k].name, value.name)) ++k;
        if (remove) {
            if (k < values.size()) values.erase(values.begin() + static_cast<long>(k));
        } else if (k < values.size()) {
            values[k] = std::move(value);
        } else {
            values.push_back(std::move(value));
        }
    }
    return result;
}

std::string WriteRegFile(const RegTree& tree) {
    std::string out = "REGEDIT4\r\n\r\n";
    for (const auto& key : tree.keys) {
        out += "[";
        out += kHive;
        if (!key.path.empty()) out += "\\" + key.path;
        out += "]\r\n";
        for (const auto& v : key.values) {
            const std::string lead = v.name.empty() ? "@=" : "\"" + Escape(v.name) + "\"=";
            const bool plainText =
                v.type == RegistryStore::kSz && !v.data.empty() && v.data.back() == 0 && [&] {
                    for (std::size_t i = 0; i + 1 < v.data.size(); ++i)
                        if (v.data[i] == 0 || v.data[i] == '\r' || v.data[i] == '\n') return false;
                    return true;
                }();
            if (plainText) {
                out +=
                    lead + "\"" + Escape(std::string(v.data.begin(), v.data.end() - 1)) + "\"\r\n";
            } else if (v.type == RegistryStore::kDword && v.data.size() == 4) {
                char buf[16];
                const std::uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                        (static_cast<std::uint32_t>(v.data[3]) << 24);
                std::snprintf(buf, sizeof buf, "dword:%08x", d);
                out += lead + buf + "\r\n";
            } else if (v.type == RegistryStore::kBinary) {
                WriteHex(out, lead + "hex:", v.data);
            } else {
                char buf[24];
                std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                WriteHex(out, lead + buf, v.data);
            }
        }
        out += "\r\n";
    }
    return out;
}
