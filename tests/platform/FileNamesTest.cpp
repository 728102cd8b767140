// Names between the settings' Windows-1252 text and the file system, and
// reading that opens regular files only.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/FileNames.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace FileNames;

TEST(FileNames, Windows1252BothWays) {
    // Every byte comes back as it was, the undefined five included.
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(ToCp1252(FromCp1252(all)), all);
    // The code page's own characters, not Latin-1's controls, at 0x80 to 0x9F.
    EXPECT_EQ(FromCp1252("\x80\x8A\x99\xFC"), QString::fromUtf8("\u20AC\u0160\u2122\u00FC"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("\u20AC \u00FCtf8 \u540D")), "\x80 \xFCtf8 ?");
    // A C1 control that the code page replaced has no byte.
    EXPECT_EQ(FirstUnstorable(QString(QChar(0x0080))), U'\u0080');
    EXPECT_EQ(FirstUnstorable(QString(QChar(0x0081))), std::nullopt);
}

TEST(FileNames, ANameIsKeptWholeOrRefusedNamingItsCharacter) {
    const QString utf8 = QString::fromUtf8("/data/\u00FCtf8.dat");
    EXPECT_EQ(ToStored(utf8), std::optional<std::string>("/data/\xFCtf8.dat"));
    // Stored and turned back into a path, it is the name the file system was given.
    EXPECT_EQ(LocalPath(*ToStored(utf8)), Encode(utf8));
    EXPECT_EQ(FromStored(*ToStored(utf8)), utf8);
    EXPECT_EQ(FromArgument(Encode(utf8)), utf8);

    std::string reason;
    EXPECT_FALSE(ToStored(QString::fromUtf8("/data/\u540D.dat"), &reason));
    EXPECT_EQ(reason,
              "the name holds \"\u540D\" (U+540D), which the settings' 8-bit text (Windows-1252) "
              "cannot hold");
    // A character beyond 16 bits is named whole, not by its halves.
    EXPECT_FALSE(ToStored(QString::fromUtf8("a\U0001F600"), &reason));
    EXPECT_NE(reason.find("(U+1F600)"), std::string::npos) << reason;
    EXPECT_FALSE(ToStored(QString("a") + QChar(0) + "b"));
}

#ifndef _WIN32
TEST(FileNames, OnlyRegularFilesAreOpenedForReading) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QString::fromUtf8("d\u00FCnn.txt"));
    const std::string text(10000, 'x');
    std::ofstream(Encode(file), std::ios::binary) << text << "end";
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath("link");
    ASSERT_EQ(::symlink(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()),
              0);

    EXPECT_EQ(KindOf(file), Kind::Regular);
    EXPECT_EQ(KindOf(link), Kind::Regular);  // a link to a file is the file
    EXPECT_EQ(KindOf(dir.filePath("none")), Kind::Missing);
    EXPECT_EQ(KindOf(""), Kind::Missing);
    for (const QString& other : {QString("/dev/zero"), dir.path(), fifo})
        EXPECT_EQ(KindOf(other), Kind::Other) << other.toStdString();

    // A regression here would block in the FIFO's open or read /dev/zero for
    // ever: the alarm ends the test as failed instead.
    ::alarm(20);
    for (const QString& refused : {QString("/dev/zero"), dir.path(), fifo, dir.filePath("none")}) {
        std::FILE* f = OpenForReading(refused);
        EXPECT_EQ(f, nullptr) << refused.toStdString();
        if (f) std::fclose(f);
        QFile q;
        EXPECT_FALSE(OpenForReading(q, refused)) << refused.toStdString();
        InputFile in(refused);
        EXPECT_FALSE(in.IsOpen());
        EXPECT_FALSE(in) << refused.toStdString();
    }
    ::alarm(0);

    // A regular file reads whole through each form, in blocking mode.
    QFile q;
    ASSERT_TRUE(OpenForReading(q, file));
    EXPECT_EQ(q.readAll().size(), 10003);
    InputFile in(link);
    ASSERT_TRUE(in.IsOpen());
    const std::string read{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(read, text + "end");
    std::FILE* f = OpenForReading(file);
    ASSERT_NE(f, nullptr);
    char buffer[16];
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, f), sizeof buffer);
    std::fclose(f);
}
#endif
