#include <gtest/gtest.h>

#include <QByteArray>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ProgramRun.h"

// The archive after real runs on the rack: records read back field for
// field, the sorted table and the tickets byte for byte, a record read back
// into the application restores the panel.
namespace {
constexpr double kQ = 1.602192e-19;

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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
    double Num(int i) const { return std::atof(f[static_cast<std::size_t>(i)].c_str()); }
    std::string Text(int i) const { return f[static_cast<std::size_t>(i)]; }
    std::string Description() const { return Text(3).substr(1, Text(3).size() - 2); }
};

std::vector<Line> ArchiveLines(const std::string& path) {
    std::vector<Line> lines;
    for (const std::string& l : Split(Bytes(path), '\n')) {
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

TEST_F(ArchiveE2eTest, RecordsFromRealRunsReadBackSortAndPrintAsTickets) {
    const ProgramResult a = Measure(
        "WaferID=WA,BatchID=L1,Material=GaAs,Thickness=2,Description=first disc", "51,52,15");
    const ProgramResult b =
        Measure("WaferID=WB,BatchID=L1,Material=gaas,Thickness=0,Description=no hall", "51,15");
    const ProgramResult c =
        Measure("WaferID=WC,BatchID=L2,Material=Si,Thickness=1,Description=silicon", "51,52,15");
    EXPECT_EQ(a.First("archive"), archive_ + " 1");
    EXPECT_EQ(c.First("archive"), archive_ + " 3");

    // Field for field against what each run measured.
    std::vector<Line> lines = ArchiveLines(archive_);
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

    // Two records of the other temperature groups, as a stage would have left them.
    {
        std::ofstream out(archive_, std::ios::binary | std::ios::app);
        out << "WD,L3,GaAs,\"cold\",LN2,1.5,1,2.00000e+02,-1.00000e+02,10:00,08/12/26\r\n"
            << "\r\nWE,L3,GAAS,\"warm\",300.0,0,1,3.00000e+02,5.00000e+01,10:05,08/12/26\r\n";
    }
    lines = ArchiveLines(archive_);
    ASSERT_EQ(lines.size(), 5u);

    // Sort by Material "gaas": WA, WB (AMB), WD (LN2), WE (OTHER TEMP); no
    // Material column.
    const std::string sorted = run_.Folder() + "/sorted.txt";
    ProgramResult s =
        run_.Run({"--set", "DataArchive=" + archive_, "--run",
                  "18,SORT.103,SORT.105=gaas,SORT.201=" + sorted + ",SORT.1", "--dump"});
    ASSERT_EQ(s.exitCode, 0) << s.errors;
    bool shown = false;
    for (const auto& w : s.All("window")) shown = shown || w.rfind("EDITOR path=" + sorted, 0) == 0;
    EXPECT_TRUE(shown);
    auto dataLine = [](const Line& l) {
        const double rs = l.Num(7), rh = l.Num(8);
        std::string line = l.Text(10) + "," + l.Text(1) + "," + l.Text(0) + ",";
        line += F("%+.3e", rs) + "," + F("%+.3e", rh) + ",";
        line += rs == 0 ? "Error," : F("%+.3e", std::fabs(rh * 1e4 / rs)) + ",";
        line += rh == 0 ? "Error," : F("%+.3e", 1e-4 / (rh * kQ)) + ",";
        return line + l.Description() + "\r\n";
    };
    EXPECT_EQ(Bytes(sorted),
              "gaas\r\nDate,BatchID,WaferID,Resistivity,Hall Coef.,Mobility,Concentration,"
              "Description\r\n , , ,(ohm/sq),(m2/C),(cm2/V-sec),(/cm2)\r\n*** AMB ***\r\n" +
                  dataLine(lines[0]) + dataLine(lines[1]) + "*** LN2 ***\r\n" + dataLine(lines[3]) +
                  "*** OTHER TEMP ***\r\n" + dataLine(lines[4]));

    // Bulk leaves out the thickness-0 records (WB, WE).
    s = run_.Run({"--set", "DataArchive=" + archive_, "--run",
                  "18,SORT.103,SORT.105=gaas,SORT.206=1,SORT.201=" + sorted + ",SORT.1"});
    ASSERT_EQ(s.exitCode, 0) << s.errors;
    const std::string bulk = Bytes(sorted);
    EXPECT_NE(bulk.find(",L1,WA,"), std::string::npos) << bulk;
    EXPECT_NE(bulk.find(",L3,WD,"), std::string::npos) << bulk;
    EXPECT_EQ(bulk.find(",WB,"), std::string::npos) << bulk;
    EXPECT_EQ(bulk.find(",WE,"), std::string::npos) << bulk;
    EXPECT_NE(bulk.find(" , , ,(ohm-cm),(m3/C),(cm2/V-sec),(/cm3)\r\n"), std::string::npos);

    // Tickets of the 1st and 2nd records, in file order, into record.txt of
    // the program's folder (writable in the build tree); the editor is a no-op.
    const std::string tickets =
        QFileInfo(QString(VANTRIS_NI_PROGRAM)).absolutePath().toStdString() + "/record.txt";
    std::remove(tickets.c_str());
    qputenv("VISUAL", "true");
    s = run_.Run({"--set", "DataArchive=" + archive_, "--run", "19,TICKET.101=#2+1,TICKET.102"});
    qunsetenv("VISUAL");
    ASSERT_EQ(s.exitCode, 0) << s.errors;
    auto ticket = [](const Line& l) {
        const double t = l.Num(5), rs = l.Num(7), rh = l.Num(8);
        std::string x = "Wafer: " + l.Text(0) + "\r\nBatch: " + l.Text(1) +
                        "\r\nMaterial: " + l.Text(2) + "\r\nDescr: " + l.Description() +
                        "\r\nTime,Date: " + l.Text(9) + "," + l.Text(10) +
                        "\r\nTemperature: " + l.Text(4) + "\r\nThickness: " + F("%.3f", t) +
                        " um\r\nSymmetry: " + F("%.3f", l.Num(6)) +
                        "\r\nSheet R: " + F("%.3e", rs) + " ohms/square\r\n";
        if (t != 0) x += "Bulk R: " + F("%.3e", rs * t * 1e-4) + " ohm-cm\r\n";
        if (rh == 0) return x + "No Hall value, can't calculate further\r\n\r\n";
        x += "Sheet Hall Coef: " + F("%.3e", rh) + " m2/C\r\n";
        if (t != 0) x += "Bulk Hall Coef: " + F("%.3e", rh * t * 1e-6) + " m3/C\r\n";
        x += "Sheet N: " + F("%.3e", 1e-4 / (rh * kQ)) + " cm-2\r\n";
        if (t != 0) x += "Bulk N: " + F("%.3e", 1e-4 / (rh * kQ) / (t * 1e-4)) + " cm-3\r\n";
        return x + "Mobility: " + F("%.3e", std::fabs(rh * 1e4 / rs)) + " cm2/V-sec\r\n\r\n";
    };
    EXPECT_EQ(Bytes(tickets), ticket(lines[0]) + ticket(lines[1]));

    // Read into Application: the panel shows the six texts the Hall run had shown.
    s = run_.Run(
        {"--set", "DataArchive=" + archive_, "--run", "19,TICKET.101=#1,TICKET.103", "--dump"});
    ASSERT_EQ(s.exitCode, 0) << s.errors;
    EXPECT_EQ(s.First("results"), a.First("results"));
    auto specimen = s.All("specimen");
    EXPECT_NE(std::find(specimen.begin(), specimen.end(), "WaferID=WA"), specimen.end());
    EXPECT_NE(std::find(specimen.begin(), specimen.end(), "Description=first disc"),
              specimen.end());
    // The record without a Hall value comes back as a resistivity result alone.
    s = run_.Run(
        {"--set", "DataArchive=" + archive_, "--run", "19,TICKET.101=#2,TICKET.103", "--dump"});
    EXPECT_EQ(s.First("results"), b.First("results"));
    EXPECT_EQ(s.First("status"), "Ready | ");
}

TEST_F(ArchiveE2eTest, ViewerRefusesSeveralRecordsForReadingAndMissingArchives) {
    {
        std::ofstream out(archive_, std::ios::binary);
        out << "W1,B,GaAs,\"x\",AMB,0,1,1,1,t,d\r\nW2,B,GaAs,\"y\",AMB,0,1,1,1,t,d\r\n";
    }
    ProgramResult r = run_.Run({"--set", "DataArchive=" + archive_, "--run",
                                "19,TICKET.101=#1+2,TICKET.103,TICKET.2", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_NE(std::find(r.lines.begin(), r.lines.end(),
                        "message: Error | You must select exactly one record"),
              r.lines.end());
    r = run_.Run(
        {"--set", "DataArchive=" + run_.Folder() + "/none.dat", "--run", "19,17,15", "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(),
                         std::string("message: File Error | Can't open archive")),
              2);
    // "Add Current Results" creates the archive that was missing.
    EXPECT_EQ(r.First("archive"), run_.Folder() + "/none.dat 1");
}
