#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "scan/ScanData.h"

namespace {
ScanFileRead Read(const std::string& text) {
    std::istringstream in(text);
    return ReadScanFile(in);
}

const std::string kHeader = "W1\r\nB2\r\nGaAs layer\r\nGaAs\r\n0.5\r\n";
}  // namespace

TEST(ScanPlan, EqualStepsInTAndIn1000OverT) {
    const auto inverse = PlanTemperatures(3, 300, 100, true);
    ASSERT_EQ(inverse.size(), 3u);
    EXPECT_DOUBLE_EQ(inverse[0], 300);
    EXPECT_NEAR(inverse[1], 150, 1e-9);
    EXPECT_DOUBLE_EQ(inverse[2], 100);
    const auto linear = PlanTemperatures(12, 300, 80, false);
    ASSERT_EQ(linear.size(), 12u);
    EXPECT_DOUBLE_EQ(linear.front(), 300);
    EXPECT_NEAR(linear[1], 280, 1e-9);
    EXPECT_DOUBLE_EQ(linear.back(), 80);
    // One point would divide by zero, more than 100 overflow the store, and
    // 0 K has no inverse.
    EXPECT_TRUE(PlanTemperatures(1, 300, 100, false).empty());
    EXPECT_TRUE(PlanTemperatures(101, 300, 100, false).empty());
    EXPECT_TRUE(PlanTemperatures(5, 0, 100, true).empty());
}

TEST(ScanFile, WriterLinesAndHeader) {
    EXPECT_EQ(PointLine({290, 0.0123, 0, 0, 0}), "290.0 1.23e-02 +0.00e+00 +0.00e+00 0.00e+00");
    EXPECT_EQ(PointLine({77.36, 4.1e2, -1.234e-3, -5.6e17, 1234.5}),
              " 77.4 4.10e+02 -1.23e-03 -5.60e+17 1.23e+03");
    EXPECT_EQ(ThicknessText(0), "0");
    EXPECT_EQ(ThicknessText(1.5), "1.5");
    EXPECT_EQ(ThicknessText(0.00001), "1e-05");
    EXPECT_EQ(ThicknessText(1234567), "1.23457e+06");
    ScanHeader h{"WAFER-0123456789", "B", std::string(40, 'd'), "Si", 350};
    EXPECT_EQ(HeaderText(h),
              "WAFER-012345678\r\nB\r\n" + std::string(35, 'd') + "\r\nSi\r\n350\r\n");
}

TEST(ScanFile, ReadsBackWhatItWritesToThePrintedPrecision) {
    std::string text = kHeader;
    std::vector<ScanPoint> written;
    for (int i = 0; i < 40; ++i) {
        const double t = 80 + i * 5.37;
        ScanPoint p{t, 3.217e-3 * std::exp(i * 0.31), (i % 2 ? -1 : 1) * 1.2345e-4 * (i + 1),
                    (i % 2 ? -1 : 1) * 6.789e15 * (i + 1), 1234.5 / (i + 1)};
        written.push_back(p);
        text += PointLine(p) + "\r\n";
    }
    const ScanFileRead r = Read(text);
    EXPECT_EQ(r.header.WaferID, "W1");
    EXPECT_EQ(r.header.Description, "GaAs layer");
    EXPECT_DOUBLE_EQ(r.header.Thickness, 0.5);
    ASSERT_EQ(r.data.count, 40);
    for (int i = 0; i < 40; ++i) {
        const ScanPoint& a = r.data.points[i];
        const ScanPoint& b = written[i];
        EXPECT_NEAR(a.T, b.T, 0.05 + 1e-9);
        for (auto [x, y] : {std::pair{a.resistivity, b.resistivity},
                            {a.hall, b.hall},
                            {a.concentration, b.concentration},
                            {a.mobility, b.mobility}})
            EXPECT_NEAR(x, y, std::fabs(y) * 0.005) << i;
    }
    EXPECT_FALSE(r.data.resistivityOnly);
    EXPECT_DOUBLE_EQ(r.data.T.minimum, 80.0);
}

TEST(ScanFile, StopsAtTheHundredthPointAndAtMalformedText) {
    std::string text = kHeader;
    for (int i = 0; i < 130; ++i) text += PointLine({100.0 + i, 1, 1e-3, -1e16, 100}) + "\r\n";
    EXPECT_EQ(Read(text).data.count, 100);
    EXPECT_DOUBLE_EQ(Read(text).data.points[99].T, 199.0);

    const std::string partial = kHeader + "100.0 1.0e+00 +1e-3 -1e16 100\r\n" +
                                "110.0 1.0e+00 +1e-3 oops 100\r\n" + "120.0 1 1 1 1\r\n";
    EXPECT_EQ(Read(partial).data.count, 1);
    // Line breaks inside a point, tabs and blank lines are white space.
    const std::string broken = kHeader + "100.0\r\n1.0\t+1e-3\r\n\r\n-1e16 100 101 2 0 0 0";
    EXPECT_EQ(Read(broken).data.count, 2);
    // A number that ends in its exponent sign is no number.
    EXPECT_EQ(Read(kHeader + "100 1 1 1 1e+").data.count, 0);
    // A point at 0 K, or with no resistivity, is not one the program writes:
    // it is passed over and the points after it are read.
    EXPECT_EQ(Read(kHeader + "100 1 1 1 1\r\n0 1 1 1 1\r\n200 1 1 1 1").data.count, 2);
    EXPECT_EQ(Read(kHeader + "100 0 1 1 1").data.count, 0);
    EXPECT_EQ(Read(kHeader + "100 1 1 1 1e999").data.count, 0);
    EXPECT_EQ(Read(kHeader + "100 1 1 1 " + std::string(100, '1')).data.count, 0);
}

TEST(ScanFile, HeaderLinesLongerThanTheirFieldsKeepTheirStart) {
    const std::string text = std::string(50, 'w') + "\n" + "batch\r" + std::string(80, 'x') +
                             "\r\n" + "material-longer-than-fifteen\r\n2.5\r\n300 1 0 0 0\r\n";
    const ScanFileRead r = Read(text);
    EXPECT_EQ(r.header.WaferID, std::string(15, 'w'));
    EXPECT_EQ(r.header.BatchID, "batch");
    EXPECT_EQ(r.header.Description, std::string(35, 'x'));
    EXPECT_EQ(r.header.Material, "material-longer");
    EXPECT_DOUBLE_EQ(r.header.Thickness, 2.5);
    EXPECT_EQ(r.data.count, 1);
}

TEST(ScanFile, ResistivityOnlyFilesAndExtents) {
    const std::string resOnly =
        kHeader + PointLine({290, 0.0123, 0, 0, 0}) + "\r\n" + PointLine({250, 0.02, 0, 0, 0});
    ScanFileRead r = Read(resOnly);
    EXPECT_EQ(r.data.count, 2);
    EXPECT_TRUE(r.data.resistivityOnly);
    EXPECT_EQ(r.data.concentration.maximum, 0.0);
    EXPECT_DOUBLE_EQ(r.data.resistivity.minimum, 0.0123);
    // One point with a concentration makes the file a Hall scan, wherever it stands.
    r = Read(resOnly + "\r\n" + PointLine({200, 0.03, 1e-3, 2e16, 300}) + "\r\n" +
             PointLine({150, 0.05, 0, 0, 0}));
    EXPECT_FALSE(r.data.resistivityOnly);
    EXPECT_DOUBLE_EQ(r.data.concentration.maximum, 2e16);
    EXPECT_DOUBLE_EQ(r.data.mobility.maximum, 300);
    EXPECT_DOUBLE_EQ(r.data.T.minimum, 150);
    EXPECT_DOUBLE_EQ(r.data.T.maximum, 290);
}

TEST(ScanFile, HeaderWithoutPointsOrThickness) {
    EXPECT_EQ(Read(kHeader).data.count, 0);
    EXPECT_EQ(Read("").data.count, 0);
    EXPECT_FALSE(Read("a\nb\nc\nd\nthick\n300 1 1 1 1\n").thicknessRead);
    EXPECT_EQ(Read("a\nb\nc\nd\n-1\n300 1 1 1 1\n").data.count, 0);
}

TEST(ScanFile, UnusablePointsAreSkippedAndEveryLossIsNamed) {
    // The second point at 0 K: the other three are read, and the skip is said.
    std::string text = kHeader + PointLine({300, 1, 1e-3, -1e16, 100}) + "\r\n" +
                       PointLine({0, 1, 1e-3, -1e16, 100}) + "\r\n" +
                       PointLine({200, 2, 1e-3, -2e16, 90}) + "\r\n" +
                       PointLine({100, 3, 1e-3, -3e16, 80}) + "\r\n";
    ScanFileRead r = Read(text);
    ASSERT_EQ(r.data.count, 3);
    EXPECT_EQ((std::vector<double>{r.data.points[0].T, r.data.points[1].T, r.data.points[2].T}),
              (std::vector<double>{300, 200, 100}));
    EXPECT_EQ((std::pair{r.skipped, r.firstSkippedLine}), (std::pair{1, 7L}));
    EXPECT_DOUBLE_EQ(r.data.T.minimum, 100);  // the skipped point is not in the extents
    EXPECT_EQ(r.Notes(), (std::vector<std::string>{
                             "Skipped 1 point with T or resistivity not above 0 or a value out "
                             "of range (line 7)"}));
    // Negative T, no resistivity and a value beyond a double are skipped alike;
    // text that is not a number still ends the reading, at its line.
    text = kHeader +
           "-5 1 1 1 1\n150 -2 1 1 1\n160 1 1 1 1e400\n170 1 1 1 1\n180 1 x 1 1\n190 1 1 1 1\n";
    r = Read(text);
    EXPECT_EQ(r.data.count, 1);
    EXPECT_EQ((std::vector<long>{r.skipped, r.firstSkippedLine, r.stoppedAtLine}),
              (std::vector<long>{3, 6, 10}));
    EXPECT_EQ(r.Notes(),
              (std::vector<std::string>{"Skipped 3 points with T or resistivity not above 0 or a "
                                        "value out of range (line 6 and on)",
                                        "Reading stopped at line 10: not a point"}));
    // A point cut short by the end of the file is named too; a file read to
    // its end has nothing to say.
    EXPECT_EQ(Read(kHeader + "100 1 1 1 1\r\n110 1").stoppedAtLine, 7);
    EXPECT_TRUE(Read(kHeader + "100 1 1 1 1\r\n\r\n  \r\n").Notes().empty());
    // Only the first 100 usable points are taken, skipped ones not counted among them.
    text = kHeader + "0 1 1 1 1\r\n";
    for (int i = 0; i < 100; ++i) text += PointLine({100.0 + i, 1, 0, 0, 0}) + "\r\n";
    r = Read(text);
    EXPECT_EQ((std::pair{r.data.count, r.beyondCapacity}), (std::pair{100, false}));
    r = Read(text + "300 1 0 0 0\r\n");
    EXPECT_TRUE(r.beyondCapacity);
    EXPECT_EQ(r.Notes().back(), "Points after the 100th were not read");
}
