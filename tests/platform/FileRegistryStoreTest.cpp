#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FileRegistryStore.h"

namespace {
const std::string kKey = "SOFTWARE\\Brisel\\Hall\\System";

class FileRegistryStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vantris-reg-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        path_ = (dir_ / "sub" / "Hall.reg").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Read() {
        std::ifstream in(path_, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    void WriteRaw(const std::string& bytes) {
        std::filesystem::create_directories(dir_ / "sub");
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    std::filesystem::path dir_;
    std::string path_;
};
}  // namespace

TEST_F(FileRegistryStoreTest, MissingFileIsEmptyAndFirstWriteCreatesIt) {
    FileRegistryStore store(path_);
    EXPECT_FALSE(store.Damaged());
    EXPECT_FALSE(store.KeyExists(kKey));
    EXPECT_TRUE(store.SetString(kKey, "bufAmp Port", "COM1"));
    EXPECT_EQ(Read(),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Hall\\System]\r\n"
              "\"bufAmp Port\"=\"COM1\"\r\n\r\n");
}

TEST_F(FileRegistryStoreTest, ValueLongerThanTheBufferCountsAsMissing) {
    FileRegistryStore store(path_);
    store.SetString(kKey, "ID1", "Wafer ID");  // 9 bytes with the terminator
    EXPECT_EQ(store.QueryString(kKey, "ID1", 9).value_or("?"), "Wafer ID");
    EXPECT_FALSE(store.QueryString(kKey, "ID1", 8).has_value());
    store.SetDword(kKey, "Tchange", 999);
    EXPECT_EQ(store.QueryDword(kKey, "Tchange").value_or(0), 999u);
    EXPECT_FALSE(store.QueryDword(kKey, "Missing").has_value());
    // A text read as a number of four bytes is refused, not misread.
    store.SetString(kKey, "Text", "123456");
    EXPECT_FALSE(store.QueryDword(kKey, "Text").has_value());
}

TEST_F(FileRegistryStoreTest, TwoInstancesKeepEachOthersWrites) {
    FileRegistryStore a(path_), b(path_);
    a.SetString(kKey, "A", "1");
    b.SetString(kKey, "B", "2");  // b never read a's value itself
    a.SetString(kKey, "C", "3");
    FileRegistryStore fresh(path_);
    EXPECT_EQ(fresh.QueryString(kKey, "A", 8).value_or(""), "1");
    EXPECT_EQ(fresh.QueryString(kKey, "B", 8).value_or(""), "2");
    EXPECT_EQ(fresh.QueryString(kKey, "C", 8).value_or(""), "3");
    // And each sees the other's changes on its next read.
    EXPECT_EQ(b.QueryString(kKey, "C", 8).value_or(""), "3");
}

TEST_F(FileRegistryStoreTest, ConcurrentProcessesLoseNothing) {
    FileRegistryStore(path_).CreateKey(kKey);
    constexpr int kChildren = 4, kWrites = 25;
    for (int c = 0; c < kChildren; ++c) {
        if (::fork() == 0) {
            FileRegistryStore store(path_);
            for (int i = 0; i < kWrites; ++i)
                store.SetDword(kKey, "v" + std::to_string(c) + "_" + std::to_string(i),
                               static_cast<std::uint32_t>(i));
            ::_exit(0);
        }
    }
    for (int c = 0; c < kChildren; ++c) ::wait(nullptr);
    FileRegistryStore store(path_);
    EXPECT_EQ(store.EnumValues(kKey).size(), static_cast<std::size_t>(kChildren * kWrites));
}

TEST_F(FileRegistryStoreTest, DamagedFileIsNeverOverwrittenUntilSetAside) {
    const std::string broken = "REGEDIT4\r\n[A]\r\n\"x\"=dword:zz\r\n";
    WriteRaw(broken);
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.Damaged());
    EXPECT_EQ(store.DamagedLine(), 3);
    EXPECT_FALSE(store.SetString(kKey, "x", "y"));
    EXPECT_EQ(Read(), broken);
    const std::string kept = store.SetAside();
    ASSERT_FALSE(kept.empty());
    std::ifstream in(kept, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), broken);
    EXPECT_FALSE(store.Damaged());
    EXPECT_TRUE(store.SetString(kKey, "x", "y"));
    EXPECT_EQ(store.QueryString(kKey, "x", 8).value_or(""), "y");
}

TEST_F(FileRegistryStoreTest, DeleteKeyRemovesDescendantsAndEnumerationKeepsOrder) {
    FileRegistryStore store(path_);
    const std::string pid = "SOFTWARE\\Brisel\\Hall\\System\\RT4450";
    for (const char* t : {"300", "77", "150"}) store.SetDword(pid + "\\" + t, "P", 25);
    EXPECT_EQ(store.EnumKeys(pid), (std::vector<std::string>{"300", "77", "150"}));
    EXPECT_TRUE(store.DeleteKey(pid + "\\77"));
    EXPECT_EQ(store.EnumKeys(pid), (std::vector<std::string>{"300", "150"}));
    EXPECT_TRUE(store.DeleteKey(pid));
    EXPECT_FALSE(store.KeyExists(pid + "\\300"));
    EXPECT_FALSE(store.DeleteKey(pid));
    EXPECT_FALSE(store.Set(pid, {RegistryStore::Dword("P", 1)}, /*createKey=*/false));
}
