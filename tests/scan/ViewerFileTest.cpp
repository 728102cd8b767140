// Opening a scan file into a viewer: only a regular file is read, and what
// the file held that the viewer does not show is said.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "scan/GraphLook.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "core/StatusFields.h"
#include "records/ScanSettings.h"
#include "scan/ScanWindows.h"
#include "scan/TScanRead.h"
#include "TestProgram.h"

namespace {
class ViewerFile : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ASSERT_TRUE(folder.isValid());
        Style() = DefaultGraphStyle();
        Config().ID1 = "ID1", Config().ID2 = "ID2";
        Prompt::SetResponder(&responder);
    }
    void TearDown() override { Prompt::SetResponder(nullptr); }
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = folder.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    ProgramState program;
    QTemporaryDir folder;
    Prompt::ScriptedResponder responder;
    ScanWindows windows{program.Records().scan, program.Config(), program.Status(),
                        program.Records().style, nullptr};
};

const std::string kHeader = "W1\r\nB2\r\nGaAs layer\r\nGaAs\r\n0.5\r\n";
}  // namespace

TEST_F(ViewerFile, DevicesFifosAndFoldersAreRefusedBeforeTheyAreOpened) {
    const std::string fifo = folder.filePath("scan.tsc").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // /dev/zero has no line end to stop a header line, and a FIFO without a
    // writer blocks in its open: the alarm fails a regression instead of hanging.
    ::alarm(20);
    for (const std::string& path : {std::string("/dev/zero"), fifo, folder.path().toStdString()}) {
        EXPECT_EQ(windows.OpenFile(nullptr, path), nullptr) << path;
        ASSERT_FALSE(responder.Asked().empty());
        EXPECT_EQ(responder.Asked().back().caption, "Can't Open File:");
        EXPECT_EQ(responder.Asked().back().text, path);
    }
    ::alarm(0);
    EXPECT_EQ(responder.Asked().size(), 3u);
}

TEST_F(ViewerFile, SkippedPointsAreSaidInTheInformationBoxAndOnStandardError) {
    const std::string path =
        Write("cool.tsc", kHeader +
                              "300.0 1.00e+00 +1e-3 -1e16 100\r\n0.0 1.00e+00 +1e-3 -1e16 100\r\n"
                              "200.0 2.00e+00 +1e-3 -2e16 90\r\n100.0 3.00e+00 +1e-3 -3e16 80\r\n");
    ::testing::internal::CaptureStderr();
    std::unique_ptr<TScanRead> viewer(windows.OpenFile(nullptr, path));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->Data().count, 3);
    const std::string note =
        "Skipped 1 point with T or resistivity not above 0 or a value out of range (line 7)";
    EXPECT_EQ(errors, path + ": " + note + "\n");
    const std::string info = viewer->InfoText();
    EXPECT_EQ(info.substr(info.find("Thickness:")), "Thickness: 0.500\r\n" + note + "\r\n");
    std::vector<std::string> lines;
    viewer->DumpLines(lines);
    EXPECT_EQ(lines.back(), "readnote: " + note + " title=\"cool.tsc\"");
    EXPECT_TRUE(responder.Asked().empty());

    // A file whose every point is unusable is empty, and says why.
    const std::string zero = Write("zero.tsc", kHeader + "0.0 1.00e+00 +1e-3 -1e16 100\r\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(windows.OpenFile(nullptr, zero), nullptr);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(zero + ": Skipped 1 point"),
              std::string::npos);
    EXPECT_EQ(responder.Asked().back().text, "File is Empty");
    // A clean file says nothing beyond its header.
    ::testing::internal::CaptureStderr();
    std::unique_ptr<TScanRead> clean(
        windows.OpenFile(nullptr, Write("clean.tsc", kHeader + "300 1 0 0 0\r\n")));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->InfoText().substr(clean->InfoText().find("Thickness:")),
              "Thickness: 0.500\r\n");
}

// The header's texts are the file's 8-bit text (Windows-1252): the box
// shows them as the characters they are, never as replacement marks.
TEST_F(ViewerFile, TheInformationBoxShowsTheHeadersWindows1252Text) {
    const std::string path = Write("w1252.tsc",
                                   "W\xE4\r\nB\xB5\r\nd\xE9j\xE0 vu\r\nGaAs\r\n0.5\r\n"
                                   "300 1 0 0 0\r\n");
    std::unique_ptr<TScanRead> viewer(windows.OpenFile(nullptr, path));
    ASSERT_NE(viewer, nullptr);
    const std::string info = viewer->InfoText();
    EXPECT_NE(info.find(": W\u00e4\r\n"), std::string::npos) << info;
    EXPECT_NE(info.find(": B\u00b5\r\n"), std::string::npos) << info;
    EXPECT_NE(info.find("\r\nd\u00e9j\u00e0 vu\r\n"), std::string::npos) << info;
    EXPECT_EQ(info.find("\uFFFD"), std::string::npos) << info;
}

// "Open Tscan...": the data directory follows the file's folder when the
// settings can hold its name, in their 8-bit text; otherwise it stays, and
// the operator is told which character could not be kept.
TEST_F(ViewerFile, TheDataDirectoryFollowsAFolderTheSettingsCanHold) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QString::fromUtf8("m\u00FCller")));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QString::fromUtf8("\u540D")));
    const std::string body = kHeader + "300 1 0 0 0\r\n";
    const std::string umlaut = Write("m\xC3\xBCller/a.tsc", body);
    const std::string han = Write("\xE5\x90\x8D/b.tsc", body);
    Scan().DataDir = "/start";
    responder.Add(umlaut);
    windows.OpenCommand(nullptr);
    EXPECT_EQ(Scan().DataDir, folder.path().toStdString() + "/m\xFCller");
    // The next dialog starts there, named in Unicode.
    responder.Add(han);
    windows.OpenCommand(nullptr);
    const auto& asked = responder.Asked();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[1].caption, "Open Scan Datafile");
    EXPECT_EQ(asked[1].text, folder.path().toStdString() + "/m\xC3\xBCller");
    // The viewer opened, but the folder's name could not be kept.
    EXPECT_EQ(Scan().DataDir, folder.path().toStdString() + "/m\xFCller");
    EXPECT_EQ(asked[2].caption, "Open Scan Datafile");
    EXPECT_NE(asked[2].text.find("\"\xE5\x90\x8D\" (U+540D)"), std::string::npos) << asked[2].text;
    for (TScanBase* g : windows.All()) delete g;
}
