#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileRegistryStore.h"

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
    std::string Read() { return ReadFile(path_); }
    void WriteRaw(const std::string& bytes) {
        std::filesystem::create_directories(dir_ / "sub");
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    std::vector<std::string> Names(const std::filesystem::path& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::filesystem::path dir_;
    std::string path_;
};

// A process id that belonged to a program which has ended.
pid_t DeadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}
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
    for (auto [name, text] : {std::pair{"A", "1"}, {"B", "2"}, {"C", "3"}})
        EXPECT_EQ(fresh.QueryString(kKey, name, 8).value_or(""), text) << name;
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

TEST_F(FileRegistryStoreTest, WritesGoThroughASymbolicLinkToItsTarget) {
    namespace fs = std::filesystem;
    // sub/Hall.reg -> ../real/Hall.reg (relative, as a user would link it)
    // and a second link in front of the first.
    fs::create_directories(dir_ / "sub");
    fs::create_directories(dir_ / "real");
    const fs::path target = dir_ / "real" / "Hall.reg";
    {
        FileRegistryStore seed(target.string());
        ASSERT_TRUE(seed.SetString(kKey, "ID1", "old"));
    }
    ::chmod(target.c_str(), 0600);
    fs::create_symlink("../real/Hall.reg", path_);
    fs::create_symlink("sub/Hall.reg", dir_ / "front.reg");

    FileRegistryStore store((dir_ / "front.reg").string());
    EXPECT_EQ(store.QueryString(kKey, "ID1", 16).value_or(""), "old");
    ASSERT_TRUE(store.SetString(kKey, "ID1", "new"));
    ASSERT_TRUE(store.SetString(kKey, "ID2", "two"));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_TRUE(fs::is_symlink(dir_ / "front.reg"));
    FileRegistryStore direct(target.string());
    EXPECT_EQ(direct.QueryString(kKey, "ID1", 16).value_or(""), "new");
    EXPECT_EQ(direct.QueryString(kKey, "ID2", 16).value_or(""), "two");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // The temporary file and the lock live beside the target.
    EXPECT_EQ(Names(dir_ / "sub"), std::vector<std::string>{"Hall.reg"});
    EXPECT_EQ(Names(dir_ / "real"), (std::vector<std::string>{"Hall.reg", "Hall.reg.lock"}));

    // A link to a file not yet made: the first write makes the target.
    fs::create_symlink("real/Later.reg", dir_ / "later.reg");
    FileRegistryStore later((dir_ / "later.reg").string());
    ASSERT_TRUE(later.SetDword(kKey, "P", 5));
    EXPECT_TRUE(fs::is_symlink(dir_ / "later.reg"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir_ / "real" / "Later.reg")));

    // Links that go round in a circle are not written through at all.
    fs::create_symlink("loop2.reg", dir_ / "loop1.reg");
    fs::create_symlink("loop1.reg", dir_ / "loop2.reg");
    FileRegistryStore loop((dir_ / "loop1.reg").string());
    EXPECT_FALSE(loop.SetDword(kKey, "P", 5));
    EXPECT_TRUE(fs::is_symlink(dir_ / "loop1.reg"));
}

TEST_F(FileRegistryStoreTest, TemporaryFilesOfEndedProgramsAreRemovedByTheNextWriter) {
    namespace fs = std::filesystem;
    fs::create_directories(dir_ / "sub");
    const pid_t dead = DeadPid();
    // A program that is still running (and might be writing).
    const pid_t live = ::fork();
    if (live == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string deadTemp = path_ + ".tmp." + std::to_string(dead);
    const std::string liveTemp = path_ + ".tmp." + std::to_string(live);
    const std::string other = (dir_ / "sub" / "Other.reg.tmp.").string() + std::to_string(dead);
    const std::string odd = path_ + ".tmp.12x";
    for (const auto& f : {deadTemp, liveTemp, other, odd}) std::ofstream(f) << "partial";

    FileRegistryStore store(path_);
    EXPECT_TRUE(store.SetString(kKey, "ID1", "x"));
    std::vector<bool> kept;
    for (const auto& f : {deadTemp, liveTemp, other, odd}) kept.push_back(fs::exists(f));
    EXPECT_EQ(kept, (std::vector<bool>{false, true, true, true}));  // only the ended program's
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    // Even a writer with nothing to write clears up.
    EXPECT_TRUE(store.Apply([](RegistryStore&) { return true; }));
    EXPECT_FALSE(fs::exists(liveTemp));
}

TEST_F(FileRegistryStoreTest, ApplyCommitsEverythingInOneReplacementOrNothing) {
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.SetString(kKey, "ID1", "before"));
    const std::string before = Read();

    // Nothing reaches the file until the edit is done.
    bool sawOld = false;
    ASSERT_TRUE(store.Apply([&](RegistryStore& view) {
        for (int t : {77, 150, 300})
            view.SetDword(kKey + "\\RT4450\\" + std::to_string(t), "P", 25);
        view.SetString(kKey, "ID2", "after");
        sawOld = Read() == before && !view.EnumKeys(kKey + "\\RT4450").empty();
        return true;
    }));
    EXPECT_TRUE(sawOld);
    FileRegistryStore fresh(path_);
    EXPECT_EQ(fresh.EnumKeys(kKey + "\\RT4450"), (std::vector<std::string>{"77", "150", "300"}));
    EXPECT_EQ(fresh.QueryString(kKey, "ID2", 16).value_or(""), "after");

    // An abandoned edit leaves the file, and what the store shows, as they were.
    const std::string committed = Read();
    EXPECT_FALSE(store.Apply([](RegistryStore& view) {
        view.DeleteKey(kKey);
        return false;
    }));
    EXPECT_EQ(Read(), committed);
    EXPECT_TRUE(store.KeyExists(kKey + "\\RT4450\\77"));

    // A program killed in the middle of its edit leaves the old file whole.
    const pid_t child = ::fork();
    if (child == 0) {
        FileRegistryStore mine(path_);
        mine.Apply([](RegistryStore& view) {
            view.DeleteKey(kKey + "\\RT4450");
            view.SetString(kKey, "ID1", "half");
            ::raise(SIGKILL);
            return true;
        });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Read(), committed);

    // A damaged file is not even shown to the edit.
    WriteRaw("REGEDIT4\r\n[A]\r\nnonsense\r\n");
    FileRegistryStore damaged(path_);
    bool ran = false;
    EXPECT_FALSE(damaged.Apply([&](RegistryStore&) { return ran = true; }));
    EXPECT_FALSE(ran);
}

TEST_F(FileRegistryStoreTest, FilesBeyondTheLimitsAreDamagedAndNeverWrittenLarger) {
    std::string deep = "SOFTWARE";
    for (int i = 1; i < 65; ++i) deep += "\\k";
    const std::string tooDeep =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n[HKEY_LOCAL_MACHINE\\" + deep + "]\r\n";
    WriteRaw(tooDeep);
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.Damaged());
    EXPECT_EQ(store.DamagedLine(), 4);
    EXPECT_FALSE(store.SetString(kKey, "ID1", "x"));
    EXPECT_EQ(Read(), tooDeep);
    const std::string kept = store.SetAside();
    EXPECT_EQ(kept, path_ + ".damaged");
    EXPECT_EQ(ReadFile(kept), tooDeep);

    // And a change that would make such a file is refused, the file untouched.
    ASSERT_TRUE(store.SetString(kKey, "ID1", "x"));
    const std::string sound = Read();
    EXPECT_FALSE(store.SetString(deep, "x", "y"));
    EXPECT_EQ(Read(), sound);
    EXPECT_FALSE(store.KeyExists(deep));
}

TEST_F(FileRegistryStoreTest, OneFactoryOpensTheSettingsFile) {
    auto named = OpenRegistryStore(path_);
    EXPECT_EQ(named->Location(), path_);
    EXPECT_TRUE(named->SetDword(kKey, "P", 1));
    EXPECT_EQ(FileRegistryStore(path_).QueryDword(kKey, "P").value_or(0), 1u);
    ::setenv("VANTRIS_REGISTRY", path_.c_str(), 1);
    auto byDefault = OpenRegistryStore();
    ::unsetenv("VANTRIS_REGISTRY");
    EXPECT_EQ(byDefault->Location(), path_);
    EXPECT_NE(dynamic_cast<FileRegistryStore*>(byDefault.get()), nullptr);
}
