#include "platform/RegFile.h"

#include <cstdio>

namespace {
constexpr const char* kHive = "HKEY_LOCAL_MACHINE";
constexpr std::uint32_t kNone = RegNameIndex::kNone;
// A key with fewer values is searched one by one; from here an index pays.
constexpr std::size_t kIndexedFrom = 8;

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Fold(c);
    return out;
}

// UTF-16LE (with its BOM already removed) to the 8-bit code page the program
// keeps its texts in; characters beyond it become '?'.
std::string FromUtf16(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned code =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += code < 256 ? static_cast<char>(code) : '?';
    }
    return out;
}

// Lines end in CR LF, LF or a lone CR; a last line without an end counts
// when it is not empty.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        ++number_;
        const std::size_t end = text_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            pos_ = text_.size();
            return true;
        }
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        return true;
    }
    int Number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

std::string_view Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

// Reads a quoted string with \\ and \" escapes starting at s[pos] == '"'.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
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

bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>& out) {
    out.clear();
    const std::string_view t = Trim(text);
    if (t.empty()) return true;
    out.reserve(t.size() / 3 + 1);
    std::size_t i = 0;
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

// Parses the data part of a value line; nullptr means success.
const char* ParseData(std::string_view data, bool utf16Texts, RegistryStore::Value& value,
                      bool& remove) {
    remove = false;
    if (data == "-") {
        remove = true;
        return nullptr;
    }
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ReadQuoted(data, pos, text)) return "unterminated text";
        if (!Trim(data.substr(pos)).empty()) return "text after the closing quote";
        value.type = RegistryStore::kSz;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return nullptr;
    }
    const auto colon = data.find(':');
    if (colon == std::string_view::npos) return "value data not understood";
    const std::string lower = Lower(data.substr(0, colon));
    const std::string_view body = data.substr(colon + 1);
    if (lower == "dword") {
        const std::string_view digits = Trim(body);
        if (digits.empty() || digits.size() > 8) return "bad dword";
        std::uint32_t v = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return "bad dword";
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        value = RegistryStore::Dword(value.name, v);
        return nullptr;
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
        const std::string narrow =
            FromUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        bytes.assign(narrow.begin(), narrow.end());
    }
    value.type = type;
    value.data = std::move(bytes);
    return nullptr;
}

bool StartsWithName(std::string_view path, std::string_view prefix) {
    return path.size() > prefix.size() && path[prefix.size()] == '\\' &&
           SameRegName(path.substr(0, prefix.size()), prefix);
}

std::string_view KeyPathFromLine(std::string_view inner) {
    for (const std::string_view hive : {std::string_view(kHive), std::string_view("HKLM")}) {
        if (SameRegName(inner, hive)) return {};
        if (StartsWithName(inner, hive)) return inner.substr(hive.size() + 1);
    }
    return inner;
}

std::size_t Depth(std::string_view path) {
    std::size_t depth = 1;
    for (char c : path) depth += c == '\\';
    return depth;
}

void AppendEscaped(std::string& out, std::string_view text) {
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
}

// The bytes as hex pairs after what is already on the line (from lineStart),
// wrapped with a backslash once a line passes 76 characters.
void AppendHex(std::string& out, std::size_t lineStart, const std::vector<std::uint8_t>& data) {
    static const char kDigits[] = "0123456789abcdef";
    std::size_t column = out.size() - lineStart;
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 15];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            if (++column > 76) {
                out += "\\\r\n  ";
                column = 2;
            }
        }
    }
    out += "\r\n";
}

bool PlainText(const RegistryStore::Value& v) {
    if (v.type != RegistryStore::kSz || v.data.empty() || v.data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < v.data.size(); ++i)
        if (v.data[i] == 0 || v.data[i] == '\r' || v.data[i] == '\n') return false;
    return true;
}

std::string Count(std::size_t n) {
    return std::to_string(n);
}
}  // namespace

bool SameRegName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// ---- RegNameIndex

std::uint32_t RegNameIndex::Hash(std::string_view name) {
    std::uint64_t h = 1469598103934665603ULL;  // FNV-1a over the folded bytes, then mixed
    for (char c : name) {
        h ^= static_cast<unsigned char>(Fold(c));
        h *= 1099511628211ULL;
    }
    h ^= h >> 29;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

void RegNameIndex::Insert(std::string_view name, std::uint32_t pos) {
    if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
    const std::uint32_t hash = Hash(name);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].pos != kNone) i = (i + 1) & mask;
    slots_[i] = Slot{pos, hash};
    ++live_;
    ++used_;
}

void RegNameIndex::Grow() {
    std::size_t size = 16;
    while (size < (live_ + 1) * 2) size *= 2;
    std::vector<Slot> old(size);
    old.swap(slots_);
    const std::size_t mask = size - 1;
    for (const Slot& s : old) {
        if (s.pos == kNone || s.pos == kRemoved) continue;
        std::size_t i = s.hash & mask;
        while (slots_[i].pos != kNone) i = (i + 1) & mask;
        slots_[i] = s;
    }
    used_ = live_;
}

void RegNameIndex::Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    live_ = used_ = 0;
}

// ---- RegTree

void RegTree::Index() const {
    if (info_.size() == keys.size()) return;
    // Keys were changed behind the methods' back (or never indexed): start over.
    info_.assign(keys.size(), KeyInfo{});
    index_.Clear();
    auto nameAt = [this](std::uint32_t pos) -> std::string_view { return keys[pos].path; };
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        if (index_.Find(keys[i].path, nameAt) == kNone) index_.Insert(keys[i].path, i);
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        const auto slash = keys[i].path.rfind('\\');
        if (slash == std::string::npos) continue;
        const std::uint32_t parent =
            index_.Find(std::string_view(keys[i].path).substr(0, slash), nameAt);
        if (parent != i) info_[i].parent = parent;
    }
}

bool RegTree::Live(std::uint32_t pos) const {
    if (removedKeys_ == 0) return true;
    // A key below a removed one is gone too; parents are strict prefixes, so
    // the walk ends.
    for (std::uint32_t p = pos; p != kNone; p = info_[p].parent)
        if (info_[p].removed) return false;
    return true;
}

std::uint32_t RegTree::Lookup(std::string_view path) const {
    Index();
    auto nameAt = [this](std::uint32_t pos) -> std::string_view { return keys[pos].path; };
    for (;;) {
        const std::uint32_t pos = index_.Find(path, nameAt);
        if (pos == kNone || Live(pos)) return pos;
        index_.Erase(path, nameAt);  // below a removed key: forget it
    }
}

std::uint32_t RegTree::Position(const RegKey& key) const {
    Index();
    return static_cast<std::uint32_t>(&key - keys.data());
}

RegKey* RegTree::Find(const std::string& path) {
    const std::uint32_t pos = Lookup(path);
    return pos == kNone ? nullptr : &keys[pos];
}

const RegKey* RegTree::Find(const std::string& path) const {
    const std::uint32_t pos = Lookup(path);
    return pos == kNone ? nullptr : &keys[pos];
}

bool RegTree::Exists(const std::string& path) const {
    return path.empty() || Lookup(path) != kNone;
}

RegKey& RegTree::Create(const std::string& path) {
    const std::string_view whole(path);
    // Walk up to the nearest key that exists, noting the prefixes that do not.
    std::vector<std::size_t> missing;  // prefix lengths, longest first
    std::uint32_t parent = kNone;
    std::size_t end = path.size();
    for (;;) {
        const std::uint32_t pos = Lookup(whole.substr(0, end));
        if (pos != kNone) {
            if (end == path.size()) return keys[pos];
            parent = pos;
            break;
        }
        missing.push_back(end);
        if (end == 0) break;
        const auto slash = whole.substr(0, end).rfind('\\');
        if (slash == std::string_view::npos) break;
        end = slash;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const auto pos = static_cast<std::uint32_t>(keys.size());
        keys.push_back(RegKey{path.substr(0, *it), {}});
        info_.emplace_back();
        info_.back().parent = parent;
        index_.Insert(keys.back().path, pos);
        pathBytes_ += *it;
        parent = pos;
    }
    return keys.back();
}

std::vector<std::string> RegTree::Children(const std::string& path) const {
    std::vector<std::string> names;
    Index();
    std::uint32_t parent = kNone;
    if (!path.empty()) {
        parent = Lookup(path);
        if (parent == kNone) return names;
    }
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        if (info_[i].parent != parent || !Live(i)) continue;
        const std::string& p = keys[i].path;
        std::string name =
            parent == kNone ? p.substr(0, p.find('\\')) : p.substr(keys[parent].path.size() + 1);
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

void RegTree::Remove(const std::string& path) {
    const std::uint32_t pos = Lookup(path);
    if (pos == kNone) return;
    info_[pos].removed = true;
    ++removedKeys_;
    index_.Erase(path, [this](std::uint32_t p) -> std::string_view { return keys[p].path; });
    if (!deferred_) Compact();
}

void RegTree::IndexValues(std::uint32_t pos) const {
    KeyInfo& info = info_[pos];
    const auto& values = keys[pos].values;
    info.values.Clear();
    info.removedValues = 0;
    auto nameAt = [&values](std::uint32_t j) -> std::string_view { return values[j].name; };
    for (std::uint32_t j = 0; j < values.size(); ++j)
        if (info.values.Find(values[j].name, nameAt) == kNone)
            info.values.Insert(values[j].name, j);
}

std::uint32_t RegTree::FindValuePos(std::uint32_t pos, std::string_view name) const {
    const auto& values = keys[pos].values;
    KeyInfo& info = info_[pos];
    if (info.values.Empty()) {
        if (values.size() < kIndexedFrom) {
            for (std::uint32_t j = 0; j < values.size(); ++j)
                if (SameRegName(values[j].name, name)) return j;
            return kNone;
        }
        IndexValues(pos);
    } else if (info.values.Size() + info.removedValues != values.size()) {
        IndexValues(pos);  // values changed behind the index
    }
    return info.values.Find(
        name, [&values](std::uint32_t j) -> std::string_view { return values[j].name; });
}

const RegistryStore::Value* RegTree::FindValue(const RegKey& key, std::string_view name) const {
    const std::uint32_t j = FindValuePos(Position(key), name);
    return j == kNone ? nullptr : &key.values[j];
}

void RegTree::SetValue(RegKey& key, RegistryStore::Value value) {
    const std::uint32_t pos = Position(key);
    const std::uint32_t j = FindValuePos(pos, value.name);
    if (j != kNone) {
        key.values[j] = std::move(value);
        return;
    }
    key.values.push_back(std::move(value));
    ++appended_;
    KeyInfo& info = info_[pos];
    if (!info.values.Empty()) {
        info.values.Insert(key.values.back().name,
                           static_cast<std::uint32_t>(key.values.size() - 1));
    } else if (key.values.size() >= kIndexedFrom) {
        IndexValues(pos);
    }
}

bool RegTree::RemoveValue(RegKey& key, std::string_view name) {
    const std::uint32_t pos = Position(key);
    const std::uint32_t j = FindValuePos(pos, name);
    if (j == kNone) return false;
    KeyInfo& info = info_[pos];
    if (info.values.Empty()) {
        key.values.erase(key.values.begin() + j);
        return true;
    }
    // Erasing from the middle of a long key one value at a time would cost its
    // length each time; the value is dropped from the index now and from the
    // vector when the tree is compacted.
    info.values.Erase(name,
                      [&key](std::uint32_t v) -> std::string_view { return key.values[v].name; });
    ++info.removedValues;
    if (!deferred_) Compact();
    return true;
}

void RegTree::Compact() {
    Index();
    std::vector<std::uint32_t> moved(keys.size(), kNone);
    std::vector<char> keep(keys.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i) keep[i] = !info_[i].removed && Live(i);
    std::uint32_t n = 0;
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        if (!keep[i]) continue;
        KeyInfo& info = info_[i];
        if (info.removedValues > 0) {
            auto& values = keys[i].values;
            auto nameAt = [&values](std::uint32_t j) -> std::string_view { return values[j].name; };
            std::uint32_t kept = 0;
            for (std::uint32_t j = 0; j < values.size(); ++j) {
                if (info.values.Find(values[j].name, nameAt) != j) continue;
                if (kept != j) values[kept] = std::move(values[j]);
                ++kept;
            }
            values.resize(kept);
            info.values.Clear();
            info.removedValues = 0;
            if (values.size() >= kIndexedFrom) IndexValues(i);
        }
        moved[i] = n;
        if (i != n) {
            keys[n] = std::move(keys[i]);
            info_[n] = std::move(info_[i]);
        }
        ++n;
    }
    const bool shifted = n != keys.size();
    keys.resize(n);
    info_.resize(n);
    removedKeys_ = 0;
    pathBytes_ = 0;
    for (auto& info : info_)
        if (info.parent != kNone) info.parent = moved[info.parent];
    for (const auto& key : keys) pathBytes_ += key.path.size();
    if (shifted) {
        index_.Clear();
        for (std::uint32_t i = 0; i < keys.size(); ++i) index_.Insert(keys[i].path, i);
    }
}

std::size_t RegTree::ValueCount() const {
    Index();
    std::size_t n = 0;
    for (std::size_t i = 0; i < keys.size(); ++i)
        n += keys[i].values.size() - info_[i].removedValues;
    return n;
}

std::string RegTree::Overflow(const RegLimits& limits) const {
    if (keys.size() > limits.maxKeys) return "more than " + Count(limits.maxKeys) + " keys";
    if (ValueCount() > limits.maxValues) return "more than " + Count(limits.maxValues) + " values";
    for (const auto& key : keys)
        if (Depth(key.path) > limits.maxDepth)
            return "key nested deeper than " + Count(limits.maxDepth) + " levels";
    return {};
}

// ---- reading and writing

RegParseResult ParseRegFile(const std::string& raw, const RegLimits& limits) {
    RegParseResult result;
    auto fail = [&result](int line, std::string why) {
        result.ok = false;
        result.errorLine = line;
        result.error = std::move(why);
        result.tree = RegTree{};
        return std::move(result);
    };
    if (raw.size() > limits.maxFileBytes)
        return fail(1, "file larger than " + Count(limits.maxFileBytes) + " bytes");
    std::string_view text(raw);
    std::string narrow;
    bool utf16 = false;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        narrow = FromUtf16(text.substr(2));
        text = narrow;
        utf16 = true;
    } else if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.remove_prefix(3);
    }
    LineReader lines(text);
    std::string_view line;
    bool any = false;
    while (!any && lines.Next(line)) any = !Trim(line).empty();
    if (!any) return result;  // an empty file is an empty store
    const std::string_view header = Trim(line);
    if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00")
        return fail(lines.Number(), "not a registry file");

    const std::size_t pathBudget = 2 * text.size() + limits.extraPathBytes;
    RegTree& tree = result.tree;
    tree.deferred_ = true;
    RegKey* current = nullptr;
    bool deleting = false;
    std::string joined;
    while (lines.Next(line)) {
        const int lineNo = lines.Number();
        std::string_view l = Trim(line);
        if (l.empty() || l[0] == ';') continue;
        if (l[0] == '[') {
            if (l.back() != ']') return fail(lineNo, "unterminated key line");
            std::string_view inner = l.substr(1, l.size() - 2);
            deleting = !inner.empty() && inner[0] == '-';
            if (deleting) inner.remove_prefix(1);
            const std::string path(KeyPathFromLine(inner));
            if (path.empty() && inner.empty()) return fail(lineNo, "empty key name");
            if (deleting) {
                tree.Remove(path);
                current = nullptr;
                continue;
            }
            if (Depth(path) > limits.maxDepth)
                return fail(lineNo, "key nested deeper than " + Count(limits.maxDepth) + " levels");
            current = &tree.Create(path);
            if (tree.keys.size() > limits.maxKeys)
                return fail(lineNo, "more than " + Count(limits.maxKeys) + " keys");
            if (tree.pathBytes_ > pathBudget)
                return fail(lineNo, "key paths imply too many parent keys");
            continue;
        }
        // Hex data may continue over lines that end in a backslash.
        if (l.back() == '\\') {
            joined.assign(l);
            while (!joined.empty() && joined.back() == '\\' && lines.Next(line)) {
                joined.pop_back();
                joined.append(Trim(line));
            }
            l = joined;
            if (l.empty()) return fail(lineNo, "line not understood");
        }
        RegistryStore::Value value;
        std::size_t pos = 0;
        if (l[0] == '@') {
            pos = 1;
        } else if (!ReadQuoted(l, pos, value.name)) {
            return fail(lineNo, "line not understood");
        }
        while (pos < l.size() && (l[pos] == ' ' || l[pos] == '\t')) ++pos;
        if (pos >= l.size() || l[pos] != '=') return fail(lineNo, "missing '='");
        if (!current && !deleting) return fail(lineNo, "value outside any key");
        bool remove = false;
        if (const char* why = ParseData(Trim(l.substr(pos + 1)), utf16, value, remove))
            return fail(lineNo, why);
        if (!current) continue;
        if (remove) {
            tree.RemoveValue(*current, value.name);
        } else {
            tree.SetValue(*current, std::move(value));
            if (tree.appended_ > limits.maxValues)
                return fail(lineNo, "more than " + Count(limits.maxValues) + " values");
        }
    }
    tree.deferred_ = false;
    tree.Compact();
    tree.appended_ = 0;
    return result;
}

std::string WriteRegFile(const RegTree& tree) {
    const std::string_view hive(kHive);
    std::size_t estimate = 16;
    for (const auto& key : tree.keys) {
        estimate += key.path.size() + hive.size() + 8;
        for (const auto& v : key.values) estimate += v.name.size() + 3 * v.data.size() + 24;
    }
    std::string out;
    out.reserve(estimate + estimate / 16);
    out += "REGEDIT4\r\n\r\n";
    for (const auto& key : tree.keys) {
        out += '[';
        out += hive;
        if (!key.path.empty()) {
            out += '\\';
            out += key.path;
        }
        out += "]\r\n";
        for (const auto& v : key.values) {
            const std::size_t lineStart = out.size();
            if (v.name.empty()) {
                out += "@=";
            } else {
                out += '"';
                AppendEscaped(out, v.name);
                out += "\"=";
            }
            if (PlainText(v)) {
                out += '"';
                AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(v.data.data()),
                                                    v.data.size() - 1));
                out += "\"\r\n";
            } else if (v.type == RegistryStore::kDword && v.data.size() == 4) {
                char buf[24];
                const std::uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                        (static_cast<std::uint32_t>(v.data[3]) << 24);
                std::snprintf(buf, sizeof buf, "dword:%08x\r\n", d);
                out += buf;
            } else {
                if (v.type == RegistryStore::kBinary) {
                    out += "hex:";
                } else {
                    char buf[24];
                    std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                    out += buf;
                }
                AppendHex(out, lineStart, v.data);
            }
        }
        out += "\r\n";
    }
    return out;
}
