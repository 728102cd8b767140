#include <gtest/gtest.h>

#include "platform/RegFile.h"

namespace {
std::string Bytes(const RegistryStore::Value& v) {
    return std::string(v.data.begin(), v.data.end());
}

// The line a parse was refused at, or -1 if it was not refused.
int RefusedAt(const RegParseResult& result) {
    return result.ok ? -1 : result.errorLine;
}

const char* kSample =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\System]\r\n"
    "\"bufAmp Port\"=\"COM1\"\r\n"
    "\"Quote\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
    "\"bufAmp Installed\"=hex:01\r\n"
    "\"Tchange\"=dword:000003e7\r\n"
    "\"Long\"=hex:00,01,02,03,\\\r\n"
    "  04,05\r\n"
    "@=\"default value\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\Settings\\default]\r\n"
    "\"Current\"=\"100.000000\"\r\n";
}  // namespace

TEST(RegFile, ReadsEveryValueForm) {
    auto result = ParseRegFile(kSample);
    ASSERT_TRUE(result.ok) << result.error << " at " << result.errorLine;
    const RegKey* system = result.tree.Find("SOFTWARE\\Brisel\\Hall\\System");
    ASSERT_NE(system, nullptr);
    ASSERT_EQ(system->values.size(), 6u);
    std::vector<std::pair<std::uint32_t, std::string>> read;
    for (const auto& v : system->values) read.emplace_back(v.type, Bytes(v));
    using R = RegistryStore;
    EXPECT_EQ(read, (decltype(read){{R::kSz, std::string("COM1\0", 5)},
                                    {R::kSz, std::string("say \"hi\" C:\\x\0", 14)},
                                    {R::kBinary, "\x01"},
                                    {R::kDword, std::string("\xe7\x03\0\0", 4)},
                                    {R::kBinary, std::string("\0\1\2\3\4\5", 6)},
                                    {R::kSz, std::string("default value\0", 14)}}));
    EXPECT_EQ(system->values[5].name, "");
    // Keys and their ancestors, in file order, without regard to case.
    EXPECT_TRUE(result.tree.Exists("software\\brisel\\hall"));
    EXPECT_EQ(result.tree.Children("SOFTWARE\\Brisel\\Hall"),
              (std::vector<std::string>{"System", "Settings"}));
}

TEST(RegFile, WriteThenReadGivesTheSameTreeAndBytes) {
    auto first = ParseRegFile(kSample);
    ASSERT_TRUE(first.ok);
    const std::string written = WriteRegFile(first.tree);
    EXPECT_EQ(written.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", 0), 0u);
    EXPECT_NE(written.find("\"Tchange\"=dword:000003e7\r\n"), std::string::npos);
    EXPECT_NE(written.find("\"Quote\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"), std::string::npos);
    auto second = ParseRegFile(written);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(WriteRegFile(second.tree), written);
    ASSERT_EQ(second.tree.keys.size(), first.tree.keys.size());
}

TEST(RegFile, LongBinaryWrapsAndTextsThatCannotBeQuotedGoHex) {
    RegTree tree;
    auto& key = tree.Create("SOFTWARE\\Brisel\\Hall");
    key.values.push_back(RegistryStore::Binary("Big", std::vector<std::uint8_t>(60, 0xAB)));
    RegistryStore::Value odd{"Odd", RegistryStore::kSz, {'a', '\n', 'b', 0}};
    key.values.push_back(odd);
    RegistryStore::Value unterminated{"Raw", RegistryStore::kSz, {'x', 'y'}};
    key.values.push_back(unterminated);
    const std::string text = WriteRegFile(tree);
    EXPECT_NE(text.find(",\\\r\n  ab"), std::string::npos);
    EXPECT_NE(text.find("\"Odd\"=hex(1):61,0a,62,00"), std::string::npos);
    auto back = ParseRegFile(text);
    ASSERT_TRUE(back.ok) << back.error;
    const RegKey* k = back.tree.Find("SOFTWARE\\Brisel\\Hall");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->values[0].data.size(), 60u);
    EXPECT_EQ(k->values[1].data, odd.data);
    EXPECT_EQ(k->values[2].data, unterminated.data);
}

TEST(RegFile, EmptyFileIsAnEmptyStore) {
    for (const char* text : {"", "\r\n\r\n", "   \n"}) {
        auto result = ParseRegFile(text);
        EXPECT_TRUE(result.ok);
        EXPECT_TRUE(result.tree.keys.empty());
    }
}

TEST(RegFile, ReportsTheLineWhereReadingFailed) {
    const std::pair<std::string, int> cases[] = {
        {"hello\r\n", 1},
        {"REGEDIT4\r\n\"x\"=\"y\"\r\n", 2},  // value outside a key
        {"REGEDIT4\r\n[A]\r\n\"x\"=\"unterminated\r\n", 3},
        {"REGEDIT4\r\n[A]\r\n\"x\"=dword:123456789\r\n", 3},  // nine digits
        {"REGEDIT4\r\n[A]\r\n\"x\"=hex:0g\r\n", 3},
        {"REGEDIT4\r\n[A]\r\n\"x\"=hex:01,\r\n", 3},  // trailing comma
        {"REGEDIT4\r\n[A\r\n", 2},
        {"REGEDIT4\r\n[A]\r\n\r\n\"x\" \"y\"\r\n", 4},
    };
    for (const auto& [text, line] : cases) {
        auto result = ParseRegFile(text);
        EXPECT_EQ(RefusedAt(result), line) << text;
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(RegFile, ReadsTheUnicodeExportWithDeletions) {
    const std::string narrow =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\Materials]\r\n"
        "\"GaAs\"=\"12.9\"\r\n"
        "\"Si\"=\"11.7\"\r\n"
        "\"Si\"=-\r\n"
        "\"Name\"=hex(1):47,00,65,00,00,00\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\Gone]\r\n";
    std::string wide = "\xFF\xFE";
    for (char c : narrow) {
        wide += c;
        wide += '\0';
    }
    auto result = ParseRegFile(wide);
    ASSERT_TRUE(result.ok) << result.error;
    const RegKey* materials = result.tree.Find("SOFTWARE\\Brisel\\Hall\\Materials");
    ASSERT_NE(materials, nullptr);
    ASSERT_EQ(materials->values.size(), 2u);
    EXPECT_EQ(materials->values[0].name, "GaAs");
    EXPECT_EQ(materials->values[1].data, (std::vector<std::uint8_t>{'G', 'e', 0}));
}

namespace {
const std::string kHead = "REGEDIT4\r\n\r\n";

std::string KeyLine(const std::string& path) {
    return "[HKEY_LOCAL_MACHINE\\" + path + "]\r\n";
}

std::string Nested(int depth) {
    std::string path = "SOFTWARE";
    for (int i = 1; i < depth; ++i) path += "\\k" + std::to_string(i);
    return path;
}
}  // namespace

TEST(RegFile, LongKeysAndManyKeysReadInFileOrder) {
    // One key with 200 000 values, and 50 000 keys beside it; names repeat in
    // other cases, some values and keys are deleted and come back.
    constexpr int kValues = 200000, kKeys = 50000;
    std::string text = kHead + KeyLine("SOFTWARE\\Big");
    for (int i = 0; i < kValues; ++i)
        text += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i % 10) + "\r\n";
    text += "\"V7\"=\"seven\"\r\n";                         // replaces v7 where it stands
    text += "\"v8\"=-\r\n\"V9\"=-\r\n\"v9\"=\"back\"\r\n";  // v9 returns at the end
    for (int i = 0; i < kKeys; ++i) text += KeyLine("SOFTWARE\\Many\\k" + std::to_string(i));
    text += "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Many\\K2]\r\n";
    text += KeyLine("SOFTWARE\\MANY\\k2\\again");
    const auto result = ParseRegFile(text);
    ASSERT_TRUE(result.ok) << result.error << " at " << result.errorLine;

    const RegKey* big = result.tree.Find("software\\big");
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(big->values.size(), static_cast<std::size_t>(kValues - 1));
    EXPECT_EQ(big->values[7].name, "V7");
    EXPECT_EQ(big->values[7].type, RegistryStore::kSz);
    EXPECT_EQ(big->values[8].name, "v10");
    EXPECT_EQ(big->values.back().name, "v9");
    EXPECT_EQ(big->values[1000].name, "v1002");  // v8 and v9 left their places
    EXPECT_EQ(result.tree.FindValue(*big, "V123456")->data,
              (std::vector<std::uint8_t>{6, 0, 0, 0}));
    EXPECT_EQ(result.tree.FindValue(*big, "v8"), nullptr);

    const auto children = result.tree.Children("SOFTWARE\\Many");
    ASSERT_EQ(children.size(), static_cast<std::size_t>(kKeys));
    EXPECT_EQ(children[2], "k3");
    EXPECT_EQ(children.back(), "k2");  // made again, so last
    EXPECT_EQ(result.tree.Children("software\\many\\k2"), std::vector<std::string>{"again"});

    // Written back and read again, nothing moves.
    const std::string written = WriteRegFile(result.tree);
    const auto again = ParseRegFile(written);
    ASSERT_TRUE(again.ok);
    ASSERT_EQ(again.tree.keys.size(), result.tree.keys.size());
    EXPECT_EQ(again.tree.keys.back().path, "SOFTWARE\\MANY\\k2\\again");
    EXPECT_EQ(WriteRegFile(again.tree), written);
}

TEST(RegFile, KeyDepthIsBoundedAndADeeperLineIsRefusedWithItsLine) {
    const auto deepest = ParseRegFile(kHead + KeyLine(Nested(64)) + "\"x\"=\"y\"\r\n");
    ASSERT_TRUE(deepest.ok) << deepest.error;
    EXPECT_EQ(deepest.tree.keys.size(), 64u);  // with every parent
    EXPECT_TRUE(ParseRegFile(WriteRegFile(deepest.tree)).ok);

    const auto deeper = ParseRegFile(kHead + KeyLine("A") + KeyLine(Nested(65)));
    EXPECT_EQ(RefusedAt(deeper), 4);
    EXPECT_NE(deeper.error.find("64"), std::string::npos) << deeper.error;
    EXPECT_TRUE(deeper.tree.keys.empty());

    // Fifty thousand components are refused at once, not built into a
    // tree of fifty thousand ever longer parents.
    std::string line = "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 50000; ++i) line += "\\a";
    const auto absurd = ParseRegFile(kHead + line + "]\r\n");
    EXPECT_EQ(RefusedAt(absurd), 3);
}

TEST(RegFile, FilesBeyondTheLimitsAreRefusedAtTheLineThatPassesThem) {
    RegLimits small;
    small.maxValues = 5, small.maxKeys = 4, small.maxFileBytes = 400, small.extraPathBytes = 0;
    // Replacing a value does not add one; the sixth distinct value does.
    std::string values = kHead + KeyLine("A");
    for (const char* name : {"a", "b", "A", "c", "d", "e"})
        values += "\"" + std::string(name) + "\"=\"1\"\r\n";
    EXPECT_TRUE(ParseRegFile(values, small).ok);
    values += "\"f\"=\"1\"\r\n";
    auto result = ParseRegFile(values, small);
    EXPECT_EQ(RefusedAt(result), 10);

    // Implied parents count as keys.
    result = ParseRegFile(kHead + KeyLine("A\\B\\C") + KeyLine("A\\B\\D\\E"), small);
    EXPECT_EQ(RefusedAt(result), 4);

    result = ParseRegFile(kHead + std::string(400, ';'), small);
    EXPECT_EQ(RefusedAt(result), 1);

    // One line whose parents, each a long prefix of it, would need far more
    // memory than the file: refused.
    const std::string component(1000, 'x');
    std::string path = component;
    for (int i = 1; i < 60; ++i) path += "\\" + component;
    result = ParseRegFile(kHead + KeyLine(path));
    EXPECT_EQ(RefusedAt(result), 3);
}

TEST(RegTree, EditsKeepFindChildrenAndOrderInStep) {
    RegTree tree;
    tree.Create("SOFTWARE\\Brisel\\Hall\\Materials");
    ASSERT_EQ(tree.keys.size(), 4u);  // with its parents
    for (int i = 0; i < 20; ++i)
        tree.SetValue(tree.keys[3], RegistryStore::String("m" + std::to_string(i), "1"));
    RegKey& materials = *tree.Find("software\\brisel\\hall\\MATERIALS");
    tree.SetValue(materials, RegistryStore::String("M5", "five"));
    EXPECT_EQ(materials.values[5].name, "M5");
    EXPECT_TRUE(tree.RemoveValue(materials, "m0"));
    EXPECT_FALSE(tree.RemoveValue(materials, "m0"));
    EXPECT_EQ(materials.values.size(), 19u);
    EXPECT_EQ(materials.values[0].name, "m1");
    EXPECT_EQ(tree.FindValue(materials, "m19")->name, "m19");
    tree.SetValue(materials, RegistryStore::String("m0", "again"));
    EXPECT_EQ(materials.values.back().name, "m0");

    tree.Create("SOFTWARE\\Brisel\\Hall\\System\\RT4450\\77");
    tree.Create("SOFTWARE\\Brisel\\Hall\\System\\RT4450\\150");
    EXPECT_EQ(tree.Children("SOFTWARE\\Brisel\\Hall"),
              (std::vector<std::string>{"Materials", "System"}));
    tree.Remove("software\\brisel\\hall\\system");
    EXPECT_EQ(tree.Find("SOFTWARE\\Brisel\\Hall\\System\\RT4450\\77"), nullptr);
    EXPECT_FALSE(tree.Exists("SOFTWARE\\Brisel\\Hall\\System"));
    EXPECT_EQ(tree.keys.size(), 4u);
    tree.Create("SOFTWARE\\Brisel\\Hall\\System\\ITC5");
    EXPECT_EQ(tree.Children("SOFTWARE\\Brisel\\Hall\\System"), std::vector<std::string>{"ITC5"});
    EXPECT_EQ(tree.Children(""), std::vector<std::string>{"SOFTWARE"});
    EXPECT_EQ(tree.Find("SOFTWARE\\Brisel\\Hall\\Materials")->values.size(), 20u);

    EXPECT_TRUE(tree.Overflow().empty());
    tree.Create(Nested(65));
    EXPECT_FALSE(tree.Overflow().empty());
}
