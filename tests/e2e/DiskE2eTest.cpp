#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

#include "ProgramRun.h"

// The real program on a disk that is full: a small file system of its own,
// mounted for the test (which needs the right to mount; without it the tests
// are skipped, and the same failures are covered through the write hook in
// the records' and the scan's tests).
namespace {
#ifdef __linux__
class SmallDisk {
  public:
    // A 64 KiB file system in `folder`.
    explicit SmallDisk(const std::string& folder) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
        if (!mounted_) why_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    // Fills what is left with a file of its own.
    void Fill() {
        std::FILE* f = std::fopen((folder_ + "/filler").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string block(512, 'f');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() &&
               std::fflush(f) == 0) {
        }
        std::fclose(f);
    }
    void Free() { std::remove((folder_ + "/filler").c_str()); }

  private:
    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};
#endif

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

class DiskE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef __linux__
        GTEST_SKIP() << "a small file system is mounted only on Linux";
#else
        run_.InitRegistry();
        disk_ = std::make_unique<SmallDisk>(run_.Folder() + "/disk");
        if (!disk_->Mounted())
            GTEST_SKIP() << "cannot mount a small file system here: " << disk_->Why();
#endif
    }
    std::string Disk() const {
        return run_.Folder() + "/disk";
    }
    ProgramRun run_;
#ifdef __linux__
    std::unique_ptr<SmallDisk> disk_;
#endif
};
}  // namespace

#ifdef __linux__
// W1's record meets the full disk: the archive stays as it was and the
// operator is told; with room again W1 and W2 are added, and every record
// reads back whole, into the application too.
TEST_F(DiskE2eTest, AnArchiveAddOnAFullDiskIsToldAndLaterRecordsReadBackWhole) {
    const std::string archive = Disk() + "/results.dat";
    // One record, padded with blank lines (which the reader skips) to just
    // short of a full page of the file system: the next record needs a new one.
    const std::string w0 =
        "W0,L1,GaAs,\"first\",AMB,0,1,9.85000e+01,0.00000e+00,1:00 PM,12/07/26\r\n";
    std::string bytes = w0;
    while (bytes.size() < 4096 - 40) bytes += "\r\n";
    bytes.resize(4096 - 40, ' ');
    std::ofstream(archive, std::ios::binary) << bytes;
    disk_->Fill();

    auto add = [&](const char* wafer) {
        return run_.Run({"--time-scale", "0.01", "--simulate", "--set",
                         "DataArchive=" + archive + ",WaferID=" + wafer +
                             ",BatchID=L1,Material=GaAs,Thickness=0,Description=disc",
                         "--run", "51,52,15", "--dump"});
    };
    const ProgramResult full = add("W1");
    ASSERT_EQ(full.exitCode, 0) << full.errors;
    EXPECT_EQ(full.All("message"),
              std::vector<std::string>{"File Error | Can't write file:\\n" + archive +
                                       "\\nNo space left on device"});
    EXPECT_EQ(ReadText(archive), bytes);

    disk_->Free();
    const ProgramResult w1 = add("W1");
    const ProgramResult w2 = add("W2");
    ASSERT_EQ(w2.exitCode, 0) << w2.errors;
    EXPECT_TRUE(w1.All("message").empty()) << w1.First("message");
    EXPECT_EQ(w2.First("archive"), archive + " 3");
    std::vector<std::vector<std::string>> records;
    for (const std::string& line : Lines(ReadText(archive)))
        if (line.find_first_not_of(" \r") != std::string::npos) records.push_back(Fields(line));
    ASSERT_EQ(records.size(), 3u);
    const ProgramResult* runs[] = {&w1, &w2};
    for (std::size_t i = 1; i < 3; ++i) {
        ASSERT_EQ(records[i].size(), 11u);
        EXPECT_EQ(records[i][0], i == 1 ? "W1" : "W2");
        const auto measured = ProgramResult::Pairs(runs[i - 1]->First("record"));
        char rs[32];
        std::snprintf(rs, sizeof rs, "%.5e", std::atof(measured.at("sheetResistance").c_str()));
        EXPECT_EQ(records[i][7], rs);
    }
    // W1 read back into the application has the sheet resistance it was measured with.
    const ProgramResult back = run_.Run(
        {"--set", "DataArchive=" + archive, "--run", "19,TICKET.101=#2,TICKET.103", "--dump"});
    ASSERT_EQ(back.exitCode, 0) << back.errors;
    EXPECT_NEAR(std::atof(ProgramResult::Pairs(back.First("record"))["sheetResistance"].c_str()) /
                    std::atof(ProgramResult::Pairs(w1.First("record"))["sheetResistance"].c_str()),
                1.0, 1e-5);
}

// A scan whose data folder is on the full disk does not start, and says so;
// with room it runs to the end.
TEST_F(DiskE2eTest, AScanOnAFullDiskDoesNotStartUntilItsFileCanBeWritten) {
    disk_->Fill();
    const std::string rack =
        run_.WriteFile("rack.json", R"({"ln2":{"tau_seconds":3,"sample_tau_seconds":0.3}})");
    auto scan = [&] {
        return run_.Run({"/n", "--simulate=" + rack, "--time-scale", "0.001", "--set",
                         "ScanTstart=300,ScanTstop=200,ScanNpoints=3,DataDir=" + Disk(), "--run",
                         "54,SCANPANEL.107,SCANPANEL.107", "--answer", "OK", "--dump"});
    };
    const ProgramResult full = scan();
    ASSERT_EQ(full.exitCode, 0) << full.errors;
    EXPECT_EQ(full.All("message"),
              std::vector<std::string>{"File Error | Can't write file:\\n" + Disk() +
                                       "/scan.tsc\\nNo space left on device"});
    EXPECT_EQ(ProgramResult::Pairs(full.First("scan"))["state"], "1");
    EXPECT_FALSE(std::filesystem::exists(Disk() + "/scan.tsc"));

    disk_->Free();
    const ProgramResult room = scan();
    ASSERT_EQ(room.exitCode, 0) << room.errors;
    EXPECT_TRUE(room.All("message").empty()) << room.First("message");
    EXPECT_EQ(ProgramResult::Pairs(room.First("scan"))["done"], "3");
    EXPECT_EQ(Lines(ReadText(Disk() + "/scan.tsc")).size(), 5u + 3u);
}
#endif
