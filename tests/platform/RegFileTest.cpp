#include <gtest/gtest.h>

#include "RegFile.h"

namespace {
std::string Bytes(const RegistryStore::Value& v) {
    return std::string(v.data.begin(), v.data.end());
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
    EXPECT_EQ(system->values[0].type, RegistryStore::kSz);
    EXPECT_EQ(Bytes(system->values[0]), std::string("COM1\0", 5));
    EXPECT_EQ(Bytes(system->values[1]), std::string("say \"hi\" C:\\x\0", 14));
    EXPECT_EQ(system->values[2].type, RegistryStore::kBinary);
    EXPECT_EQ(system->values[2].data, (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(system->values[3].type, RegistryStore::kDword);
    EXPECT_EQ(system->values[3].data, (std::vector<std::uint8_t>{0xe7, 0x03, 0, 0}));
    EXPECT_EQ(system->values[4].data, (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5}));
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
    struct Case {
        std::string text;
        int line;
    };
    const Case cases[] = {
        {"hello\r\n", 1},
        {"REGEDIT4\r\n\"x\"=\"y\"\r\n", 2},  // value outside a key
        {"REGEDIT4\r\n[A]\r\n\"x\"=\"unterminated\r\n", 3},
        {"REGEDIT4\r\n[A]\r\n\"x\"=dword:123456789\r\n", 3},  // nine digits
        {"REGEDIT4\r\n[A]\r\n\"x\"=hex:0g\r\n", 3},
        {"REGEDIT4\r\n[A]\r\n\"x\"=hex:01,\r\n", 3},  // trailing comma
        {"REGEDIT4\r\n[A\r\n", 2},
        {"REGEDIT4\r\n[A]\r\n\r\n\"x\" \"y\"\r\n", 4},
    };
    for (const auto& c : cases) {
        auto result = ParseRegFile(c.text);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.errorLine, c.line) << c.text;
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
