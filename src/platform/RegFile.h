#pragma once
// Reading and writing the registry editor's export format (REGEDIT4, and the
// UTF-16 "Version 5.00" export on reading). Pure functions over bytes.
//
// Reading and writing take time in proportion to the file: keys are found
// through a hash index of their full paths and a key's values through an
// index of their names (both without regard to case), while the vectors keep
// the file's order for enumeration and writing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryStore.h"

// How much a settings file may hold. The program's own tree has a few hundred
// values seven levels deep, and a whole exported machine hive stays below
// these; a file beyond them is refused as damaged (reported, kept aside)
// rather than read into gigabytes of memory or written back larger.
struct RegLimits {
    std::size_t maxFileBytes = std::size_t{128} << 20;  // 128 MiB
    std::size_t maxDepth = 64;                          // components of a key path
    std::size_t maxKeys = std::size_t{2} << 20;         // keys, the implied parents included
    std::size_t maxValues = std::size_t{4} << 20;       // values of all keys together
    // A key line also creates its missing parents, each holding a prefix of
    // the path; together the paths of all keys may hold at most this many
    // bytes beyond twice the file's size.
    std::size_t extraPathBytes = std::size_t{1} << 20;
};

// Positions of names in a sequence, found by name without regard to case. An
// open-addressing table of positions and hashes; the names themselves stay
// in the sequence and are reached through the caller's nameAt(position).
class RegNameIndex {
  public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    static std::uint32_t Hash(std::string_view name);

    template <typename NameAt>
    std::uint32_t Find(std::string_view name, NameAt nameAt) const;
    // The name must not be in the index already.
    void Insert(std::string_view name, std::uint32_t pos);
    template <typename NameAt>
    void Erase(std::string_view name, NameAt nameAt);
    void Clear();
    std::size_t Size() const { return live_; }
    bool Empty() const { return slots_.empty(); }

  private:
    static constexpr std::uint32_t kRemoved = 0xFFFFFFFEu;
    struct Slot {
        std::uint32_t pos = kNone;  // kNone: never used
        std::uint32_t hash = 0;
    };
    template <typename NameAt>
    std::size_t SlotOf(std::string_view name, NameAt nameAt) const;
    void Grow();

    std::vector<Slot> slots_;  // a power of two long, or empty
    std::size_t live_ = 0;
    std::size_t used_ = 0;  // live and removed slots
};

// Compares registry names the way the registry does: without regard to case
// (of the ASCII letters; other bytes compare as they are).
bool SameRegName(std::string_view a, std::string_view b);

struct RegParseResult;

struct RegKey {
    std::string path;                          // below HKEY_LOCAL_MACHINE
    std::vector<RegistryStore::Value> values;  // in file order
};

// Keys in file order; a key's ancestors exist as keys of their own (Create
// makes them). Read keys and values freely; change them only through the
// methods, which keep the indexes.
class RegTree {
  public:
    std::vector<RegKey> keys;

    RegKey* Find(const std::string& path);
    const RegKey* Find(const std::string& path) const;
    bool Exists(const std::string& path) const;  // the key itself or a descendant
    RegKey& Create(const std::string& path);     // creates missing ancestors too
    std::vector<std::string> Children(const std::string& path) const;
    void Remove(const std::string& path);  // with its descendants

    // key is one of this tree's keys (from Find or Create).
    const RegistryStore::Value* FindValue(const RegKey& key, std::string_view name) const;
    // Replaces the value of the same name where it stands, or appends it.
    void SetValue(RegKey& key, RegistryStore::Value value);
    bool RemoveValue(RegKey& key, std::string_view name);

    std::size_t ValueCount() const;
    // Why the tree could not be written as a file that reads back, or empty.
    std::string Overflow(const RegLimits& limits = {}) const;

  private:
    friend RegParseResult ParseRegFile(const std::string& bytes, const RegLimits& limits);
    struct KeyInfo {
        std::uint32_t parent = RegNameIndex::kNone;
        std::uint32_t removedValues = 0;  // still in values, no longer indexed
        bool removed = false;
        RegNameIndex values;  // built once a key has many values
    };
    std::uint32_t Lookup(std::string_view path) const;
    bool Live(std::uint32_t pos) const;
    std::uint32_t Position(const RegKey& key) const;
    void Index() const;  // (re)builds the indexes when keys changed behind them
    void IndexValues(std::uint32_t pos) const;
    std::uint32_t FindValuePos(std::uint32_t pos, std::string_view name) const;
    void Compact();

    mutable RegNameIndex index_;
    mutable std::vector<KeyInfo> info_;  // one per key
    std::size_t pathBytes_ = 0;
    std::size_t appended_ = 0;     // values appended while reading
    std::size_t removedKeys_ = 0;  // removed but not yet compacted
    bool deferred_ = false;        // while reading: removals are compacted at the end
};

struct RegParseResult {
    RegTree tree;
    bool ok = true;
    int errorLine = 0;  // 1-based line where reading failed
    std::string error;
};

RegParseResult ParseRegFile(const std::string& bytes, const RegLimits& limits = {});
std::string WriteRegFile(const RegTree& tree);

template <typename NameAt>
std::size_t RegNameIndex::SlotOf(std::string_view name, NameAt nameAt) const {
    if (slots_.empty()) return slots_.size();
    const std::uint32_t hash = Hash(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.pos == kNone) return slots_.size();
        if (slot.pos != kRemoved && slot.hash == hash && SameRegName(nameAt(slot.pos), name))
            return i;
    }
}

template <typename NameAt>
std::uint32_t RegNameIndex::Find(std::string_view name, NameAt nameAt) const {
    const std::size_t i = SlotOf(name, nameAt);
    return i < slots_.size() ? slots_[i].pos : kNone;
}

template <typename NameAt>
void RegNameIndex::Erase(std::string_view name, NameAt nameAt) {
    const std::size_t i = SlotOf(name, nameAt);
    if (i >= slots_.size()) return;
    slots_[i].pos = kRemoved;
    --live_;
}
