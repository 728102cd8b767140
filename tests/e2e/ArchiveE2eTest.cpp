#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ProgramRun.h"

// The archive after real runs on the rack: records read back field for
// field, a record read back into the application restores the panel (the
// sorted table and the tickets of such records are the records' unit tests').
namespace {
std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == by) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::string F(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// One archive line taken apart the plain way: the description has no comma here.
struct Line {
    std::vector<std::string> f;
    std::string Text(int i) const { return f[static_cast<std::size_t>(i)]; }
};

std::vector<Line> ArchiveLines(const std::string& path) {
    std::vector<Line> lines;
    for (const std::string& l : Split(ReadText(path), '\n')) {
        if (l.empty() || l == "\r") continue;
        EXPECT_EQ(l.back(), '\r');
        lines.push_back(Line{Split(l.substr(0, l.size() - 1), ',')});
        EXPECT_EQ(lines.back().f.size(), 11u) << l;
    }
    return lines;
}

class ArchiveE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        run_.InitRegistry();
        archive_ = run_.Folder() + "/results.dat";
    }
    ProgramResult Measure(const std::string& sets, const std::string& items) {
        ProgramResult r =
            run_.Run({"--time-scale", "0.01", "--simulate", "--set",
                      "DataArchive=" + archive_ + "," + sets, "--run", items, "--dump"});
        EXPECT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
        return r;
    }
    ProgramRun run_;
    std::string archive_;
};

double RecordValue(const ProgramResult& r, const std::string& name) {
    return std::atof(ProgramResult::Pairs(r.First("record"))[name].c_str());
}
}  // namespace

TEST_F(ArchiveE2eTest, RecordsFromRealRunsReadBackFieldForFieldAndIntoTheApplication) {
    const ProgramResult a = Measure(
        "WaferID=WA,BatchID=L1,Material=GaAs,Thickness=2,Description=first disc", "51,52,15");
    const ProgramResult b =
        Measure("WaferID=WB,BatchID=L1,Material=gaas,Thickness=0,Description=no hall", "51,15");
    const ProgramResult c =
        Measure("WaferID=WC,BatchID=L2,Material=Si,Thickness=1,Description=silicon", "51,52,15");
    EXPECT_EQ(a.First("archive"), archive_ + " 1");
    EXPECT_EQ(c.First("archive"), archive_ + " 3");

    // Field for field against what each run measured.
    const std::vector<Line> lines = ArchiveLines(archive_);
    ASSERT_EQ(lines.size(), 3u);
    const ProgramResult* runs[] = {&a, &b, &c};
    const char* wafers[] = {"WA", "WB", "WC"};
    for (std::size_t i = 0; i < 3; ++i) {
        const Line& l = lines[i];
        EXPECT_EQ(l.Text(0), wafers[i]);
        EXPECT_EQ(l.Text(4), "AMB");
        const double rs = RecordValue(*runs[i], "sheetResistance");
        const double rh = RecordValue(*runs[i], "hallCoefficientRaw");
        ASSERT_GT(rs, 0.0);
        EXPECT_EQ(l.Text(7), F("%.5e", rs));
        EXPECT_EQ(l.Text(8), F("%.5e", rh));
        EXPECT_EQ(l.Text(6), F("%.5g", RecordValue(*runs[i], "symmetryFactor")));
    }
    EXPECT_EQ(lines[1].Text(8), "0.00000e+00");
    EXPECT_EQ(lines[0].Text(5), "2");
    EXPECT_EQ(lines[1].Text(5), "0");

    // Read into Application, the first record then the second: the panel
    // shows the six texts each run had shown.
    const ProgramResult s =
        run_.Run({"--set", "DataArchive=" + archive_, "--run",
                  "19,TICKET.101=#1,TICKET.103,DUMP,19,TICKET.101=#2,TICKET.103", "--dump"});
    ASSERT_EQ(s.exitCode, 0) << s.errors;
    const auto dumps = s.Dumps();
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps[0].First("results"), a.First("results"));
    auto specimen = dumps[0].All("specimen");
    EXPECT_NE(std::find(specimen.begin(), specimen.end(), "WaferID=WA"), specimen.end());
    EXPECT_NE(std::find(specimen.begin(), specimen.end(), "Description=first disc"),
              specimen.end());
    // The record without a Hall value comes back as a resistivity result alone.
    EXPECT_EQ(dumps[1].First("results"), b.First("results"));
    EXPECT_EQ(dumps[1].First("status"), "Ready | ");
}

// An Add that went in says where; one that could not go in says why instead.
TEST_F(ArchiveE2eTest, AnAddedRecordIsConfirmedWithTheArchivesName) {
    ProgramResult added = Measure("WaferID=W1", "51,15");
    EXPECT_EQ(added.First("status"), "Ready | Added to " + archive_);
    EXPECT_EQ(ArchiveLines(archive_).size(), 1u);
    archive_ = run_.Folder() + "/no such folder/results.dat";
    ProgramResult refused = Measure("WaferID=W2", "51,15");
    EXPECT_EQ(refused.First("status"), "Ready | ");
    EXPECT_EQ(refused.First("message").rfind("File Error | Can't write file:", 0), 0u)
        << refused.First("message");
}
