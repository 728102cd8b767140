// Files the operator names, run by the real program: only regular files are
// read (a device or a FIFO is refused at once, never waited on), a name
// means one file whether it came from the command line or the settings, and
// a scan file's unusable points are passed over with a word.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "ProgramRun.h"

namespace {
// Long enough for a start-up on a busy machine, short enough that a run
// blocked in an open or reading /dev/zero fails instead of hanging the suite.
constexpr int kTimeoutMs = 60000;

std::vector<std::string> Messages(const ProgramResult& r) {
    return r.All("message");
}
}  // namespace

TEST(FilesE2e, DevicesFifosAndFoldersAreRefusedBeforeTheyAreRead) {
    ProgramRun run;
    run.InitRegistry();
    const std::string fifo = run.Folder() + "/pipe.tsc";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto r = run.Run({"/n", "/d", "--open", "/dev/zero", "--open", fifo, "--open", run.Folder(),
                      "--set", "DataArchive=/dev/zero", "--run", "17,19", "--dump"},
                     VANTRIS_NI_PROGRAM, kTimeoutMs);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(Messages(r),
              (std::vector<std::string>{
                  "Can't Open File: | /dev/zero", "Can't Open File: | " + fifo,
                  "Can't Open File: | " + run.Folder(), "File Error | Can't open archive",
                  "File Error | Can't open archive"}));
    EXPECT_EQ(r.First("archive"), "/dev/zero -1");
    EXPECT_EQ(r.All("graph").size(), 1u);  // the live window only
    EXPECT_TRUE(r.All("window").size() >= 1u);
    for (const auto& w : r.All("window")) EXPECT_EQ(w.find("EDITOR"), std::string::npos) << w;

    // A FIFO as the archive: Examine, View and the dump's count all pass it by.
    r = run.Run({"/d", "--set", "DataArchive=" + fifo, "--run", "17,19", "--dump"},
                VANTRIS_NI_PROGRAM, kTimeoutMs);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(Messages(r), (std::vector<std::string>(2, "File Error | Can't open archive")));
    EXPECT_EQ(r.First("archive"), fifo + " -1");
}

TEST(FilesE2e, ANonAsciiArchiveNameIsOneFileFromTheCommandLineAndTheSettings) {
    ProgramRun run;
    run.InitRegistry();
    const std::string archive = run.Folder() + "/\xC3\xBCtf8.dat";  // ütf8.dat in UTF-8
    auto r = run.Run(
        {"/d", "--set", "DataArchive=" + archive + ",WaferID=W1", "--run", "15,17,12", "--dump"},
        VANTRIS_NI_PROGRAM, kTimeoutMs);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(Messages(r).empty()) << Messages(r).front();
    // Written to the file of that name, not to the name's bytes read as
    // another code page; and Examine opened it.
    EXPECT_EQ(ReadText(archive).rfind("W1,", 0), 0u) << ReadText(archive);
    EXPECT_TRUE(ReadText(run.Folder() + "/\xFCtf8.dat").empty());
    EXPECT_EQ(r.First("archive"), archive + " 1");
    EXPECT_EQ(r.First("window").rfind("EDITOR path=" + archive + " ", 0), 0u) << r.First("window");
    // The settings keep the name in their 8-bit text...
    EXPECT_NE(
        ReadText(run.RegistryFile()).find("\"Data Archive\"=\"" + run.Folder() + "/\xFCtf8.dat\""),
        std::string::npos);
    // ... and a later run that takes it from there opens the same file.
    r = run.Run({"/d", "--run", "15,17", "--dump"}, VANTRIS_NI_PROGRAM, kTimeoutMs);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(Messages(r).empty());
    EXPECT_EQ(r.First("archive"), archive + " 2");

    // A name the settings cannot hold is refused, naming the character.
    r = run.Run({"/d", "--set", "DataArchive=" + run.Folder() + "/\xE5\x90\x8D.dat", "--dump"},
                VANTRIS_NI_PROGRAM, kTimeoutMs);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.errors.find("\"\xE5\x90\x8D\" (U+540D)"), std::string::npos) << r.errors;
    EXPECT_TRUE(r.lines.empty());
}

TEST(FilesE2e, AScanFilePointAtZeroKelvinIsSkippedAndSaid) {
    ProgramRun run;
    run.InitRegistry();
    const std::string file = run.WriteFile("cool.tsc",
                                           "W1\r\nB2\r\nD\r\nGaAs\r\n0.5\r\n"
                                           "300.0 1.00e+00 +1.00e-03 -1.00e+16 1.00e+02\r\n  0.0 "
                                           "1.00e+00 +1.00e-03 -1.00e+16 1.00e+02\r\n"
                                           "200.0 2.00e+00 +1.00e-03 -2.00e+16 9.00e+01\r\n100.0 "
                                           "3.00e+00 +1.00e-03 -3.00e+16 8.00e+01\r\n");
    auto r = run.Run({"/n", "/d", "--open", file, "--dump"}, VANTRIS_NI_PROGRAM, kTimeoutMs);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const std::string note =
        "Skipped 1 point with T or resistivity not above 0 or a value out of range (line 7)";
    EXPECT_EQ(r.All("point").size(), 3u);
    EXPECT_EQ(r.All("readnote"), (std::vector<std::string>{note + " title=\"cool.tsc\""}));
    EXPECT_NE(r.errors.find(file + ": " + note + "\n"), std::string::npos) << r.errors;
}
