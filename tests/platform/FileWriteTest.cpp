// Whole-or-nothing writes: a failure half-way leaves the file as it was, and
// is told. The failures are injected through the hook, and once through a
// real limit on the file's size.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "DiskFull.h"
#include "platform/FileWrite.h"

namespace {
std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The names in a folder, to see that no temporary file is left behind.
std::vector<std::string> Names(const QTemporaryDir& dir) {
    std::vector<std::string> names;
    for (const QString& n : QDir(dir.path()).entryList(QDir::Files | QDir::System))
        names.push_back(n.toStdString());
    return names;
}

class FileWriteTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override { FileWrite::SetFailureHook(nullptr); }
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
    QTemporaryDir dir_;
};
}  // namespace

TEST_F(FileWriteTest, AFailedAppendIsCutBackAndTheNextOneIsWhole) {
    const std::string file = Path("a.dat");
    Put(file, "W0,first\r\n");
    FillDiskAt(file, 1, 4);
    const FileWrite::Result failed = FileWrite::Append(file, "W1,second\r\n");
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, ENOSPC);
    EXPECT_EQ(Bytes(file), "W0,first\r\n");
    EXPECT_EQ(FileWrite::FailureText(file, failed),
              "Can't write file:\n" + file + "\nNo space left on device");
    ASSERT_TRUE(FileWrite::Append(file, "W2,third\r\n").ok);
    EXPECT_EQ(Bytes(file), "W0,first\r\nW2,third\r\n");

    // Created when missing unless told not to; a missing folder is an error.
    EXPECT_EQ(FileWrite::Append(Path("new.dat"), "x", false).error, ENOENT);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("new.dat"))));
    EXPECT_TRUE(FileWrite::Append(Path("new.dat"), "x").ok);
    EXPECT_FALSE(FileWrite::Append(Path("no/such/a.dat"), "x").ok);
}

#ifndef _WIN32
TEST_F(FileWriteTest, AnAppendThroughAnOpenDescriptorIsCutBackToo) {
    const std::string file = Path("log.txt");
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_APPEND, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(FileWrite::AppendTo(fd, file, "one\r\n").ok);
    FillDiskAt(file, 1, 2, EIO);
    EXPECT_EQ(FileWrite::AppendTo(fd, file, "two\r\n").error, EIO);
    ASSERT_TRUE(FileWrite::AppendTo(fd, file, "three\r\n").ok);
    ::close(fd);
    EXPECT_EQ(Bytes(file), "one\r\nthree\r\n");
}
#endif

TEST_F(FileWriteTest, AFailedReplaceLeavesTheOldFileAndNoTemporaryOne) {
    const std::string file = Path("scan.tsc");
    Put(file, "old header\r\n");
    FillDiskAt(file, 1, 3);
    EXPECT_FALSE(FileWrite::Replace(file, "new header\r\n").ok);
    EXPECT_EQ(Bytes(file), "old header\r\n");
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"scan.tsc"});
    ASSERT_TRUE(FileWrite::Replace(file, "new header\r\n").ok);
    EXPECT_EQ(Bytes(file), "new header\r\n");
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"scan.tsc"});
    EXPECT_EQ(FileWrite::Replace(Path("gone/scan.tsc"), "x").error, ENOENT);

    // A written temporary file that cannot take its place goes away.
    const std::string temp = FileWrite::TemporaryFor(file);
    Put(temp, "the page");
    FillDiskAt(file, 1, 0);
    EXPECT_FALSE(FileWrite::Commit(temp, file).ok);
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"scan.tsc"});
    Put(temp, "the page");
    ASSERT_TRUE(FileWrite::Commit(temp, file).ok);
    EXPECT_EQ(Bytes(file), "the page");
}

#ifndef _WIN32
// A real limit, not the hook: the file may not grow past 64 bytes (the
// signal it would raise is ignored, as the write's error is what we want).
// In a child process, so the limit touches nothing else.
TEST_F(FileWriteTest, AFileThatCannotGrowIsLeftAsItWas) {
    const std::string file = Path("full.dat");
    const std::string before(60, 'x');
    Put(file, before);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
        const FileWrite::Result r = FileWrite::Append(file, "a record of twenty\r\n");
        ::_exit(r.ok ? 1 : (r.error == EFBIG ? 0 : 2));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "the file size limit cannot be set here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Bytes(file), before);
}
#endif

#ifndef _WIN32
// A FIFO would hold an append in its open until a reader came, and a folder
// or a device cannot hold a record: all three are refused at once, and said so.
TEST_F(FileWriteTest, OnlyARegularFileIsWritten) {
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = Path("folder");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    for (const std::string& target : {fifo, folder, std::string("/dev/null")}) {
        const auto appended = FileWrite::Append(target, "line\r\n");
        EXPECT_FALSE(appended.ok) << target;
        // The system names a folder itself.
        const std::string reason =
            target == folder ? std::strerror(EISDIR) : std::string("Not a regular file");
        EXPECT_EQ(FileWrite::FailureText(target, appended),
                  "Can't write file:\n" + target + "\n" + reason);
        EXPECT_FALSE(FileWrite::Replace(target, "whole\r\n").ok) << target;
    }
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder)).isDir());
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"fifo"});
}
#endif
