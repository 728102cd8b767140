#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

#include "ProgramRun.h"

// The results page and the graph page printed to PDF after real runs on the
// rack, read back as text.
namespace {
std::string PdfText(const std::string& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).toStdString();
}

// The text extraction places words on a character grid of its own, so runs
// of blanks are compared as one blank (the unit tests hold the columns).
std::string Collapsed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}
bool HasLine(const std::string& text, const std::string& line) {
    return Collapsed(text).find(Collapsed(line)) != std::string::npos;
}

class PrintE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "pdftotext is not installed (scripts/setup.sh installs it)";
        run_.InitRegistry();
    }
    ProgramRun run_;
};
}  // namespace

TEST_F(PrintE2eTest, ResultsPageShowsEveryLineWithTheDisplayedValues) {
    const std::string pdf = run_.Folder() + "/results.pdf";
    ProgramResult r = run_.Run({"--time-scale", "0.01", "--simulate", "--set",
                                "WaferID=W9,BatchID=L3,Description=etched disc,Thickness=2",
                                "--run", "56,51,52,69", "--print-to", pdf, "--dump"});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors.find("run:"), std::string::npos) << r.errors;
    EXPECT_EQ(ProgramResult::Pairs(r.First("printer"))["last"], pdf);
    EXPECT_EQ(r.First("status"), "Ready | Printed to " + pdf);  // where the page went
    const std::string text = PdfText(pdf);
    ASSERT_FALSE(text.empty());
    auto results = ProgramResult::Pairs(r.First("results"));
    auto padded = [](const std::string& v, int width) {
        return std::string(static_cast<std::size_t>(std::max(0, width - int(v.size()))), ' ') + v;
    };
    const std::string lines[] = {"Quorvex RT4400 Hall System",
                                 "Measured on ",
                                 "SPECIMEN",
                                 "MEASURING CONDITIONS",
                                 "Wafer ID: W9",
                                 "Batch ID: L3",
                                 "Material: GaAs",
                                 "Description: etched disc",
                                 "Thickness: 2.000 \u00b5m",
                                 "I-meas: 100 \u00b5A DC",
                                 "Temperature: AMB",
                                 "Field: 0.500 Tesla",
                                 "Targ.Vr: 50 mV",
                                 "RESULTS SUMMARY",
                                 "Rs: " + padded(results["1"], 9) + " ohm/sq",
                                 "R : " + padded(results["2"], 9) + " ohm-cm",
                                 "RHs: " + padded(results["3"], 9) + " m\u00b2/C",
                                 "Mob: " + padded(results["4"], 9) + " cm\u00b2/V-s",
                                 "Ns: " + padded(results["5"], 10) + " /cm\u00b2",
                                 "N : " + padded(results["6"], 10) + " /cm\u00b3",
                                 "CONTACT CHECK",
                                 "RESISTIVITY",
                                 "Meas    +++   Vm   ---",
                                 "Sym  Factor R-sheet",
                                 "HALL MEASUREMENTS",
                                 "Misalignment",
                                 "Offset applied",
                                 "V-hall North",
                                 "V-hall South",
                                 "V-hall (mean)",
                                 "V-hall (over all cycles)"};
    for (const std::string& line : lines) EXPECT_TRUE(HasLine(text, line)) << line << "\n" << text;
    EXPECT_FALSE(HasLine(text, "Length   :"));
    // The windows that were not shown have no section.
    r = run_.Run({"--time-scale", "0.01", "--simulate", "--set", "Shape=1,Length=5,Width=1.5",
                  "--run", "69", "--print-to", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const std::string bare = PdfText(pdf);
    EXPECT_TRUE(HasLine(bare, "Length   : 5.00 mm")) << bare;
    EXPECT_TRUE(HasLine(bare, "Width    : 1.50 mm")) << bare;
    EXPECT_TRUE(HasLine(bare, "Targ.Vr: 500 mV")) << bare;
    EXPECT_FALSE(HasLine(bare, "CONTACT CHECK"));
    EXPECT_FALSE(HasLine(bare, "HALL MEASUREMENTS"));
}

TEST_F(PrintE2eTest, GraphPageHasCaptionAxesAndTheScanIdentity) {
    const std::string pdf = run_.Folder() + "/graph.pdf";
    ProgramResult r = run_.Run({"/n", "--simulate", "--set", "WaferID=W9,Material=InP", "--run",
                                "64", "--print-to", pdf, "--dump"});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(ProgramResult::Pairs(r.First("printer"))["last"], pdf) << r.errors;
    const std::string text = PdfText(pdf);
    for (const char* line : {"Temperature Scan", "File: Temperature Scan", "Wafer ID: W9",
                             "Batch ID:", "Material: InP", "T (K)"})
        EXPECT_TRUE(HasLine(text, line)) << line << "\n" << text;
}
