// The archive line, its reader, the tickets and the sorted table.
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "records/Archive.h"
#include "core/Printf.h"

using namespace ArchiveFormat;

namespace {
Trecord Sample(const std::string& wafer, const std::string& material, const std::string& temp,
               double thickness, double rs, double rh) {
    Trecord r;
    r.waferId = wafer, r.batchId = "B7", r.material = material;
    r.description = "a test, with comma", r.temperature = temp, r.thickness = thickness;
    r.symmetry = 1.0123, r.sheetResistance = rs, r.hallCoefficient = rh, r.time = "10:15:00 AM";
    r.date = "12/07/2026";
    return r;
}

// The text fields of a record, in the line's order.
std::vector<std::string> Texts(const Trecord& r) {
    return {r.waferId, r.batchId, r.material, r.description, r.temperature, r.time, r.date};
}
std::vector<double> Numbers(const Trecord& r) {
    return {r.thickness, r.symmetry, r.sheetResistance, r.hallCoefficient};
}

// Everything the reader yields from a file.
std::vector<std::string> ReadAll(const std::string& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    ArchiveReader reader(f);
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line)) lines.push_back(line);
    std::fclose(f);
    return lines;
}

std::string SortTable(const std::string& archive, const SortOptions& options) {
    std::FILE* in = std::tmpfile();
    std::fwrite(archive.data(), 1, archive.size(), in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    WriteSortTable(in, out, options);
    std::string text;
    std::rewind(out);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) text.append(buffer, n);
    std::fclose(in);
    std::fclose(out);
    return text;
}
}  // namespace

TEST(ArchiveLine, FieldsInOrderWithTheirNumberForms) {
    EXPECT_EQ(RecordLine(Sample("W1", "GaAs", "AMB", 2, 100, -200)),
              "W1,B7,GaAs,\"a test, with comma\",AMB,2,1.0123,1.00000e+02,-2.00000e+02,"
              "10:15:00 AM,12/07/2026\r\n");
    Trecord r = Sample("W1", "Si", "77.4", 0.000123456789, 123456789.0, 0);
    r.symmetry = 0.987654321;
    EXPECT_EQ(RecordLine(r),
              "W1,B7,Si,\"a test, with comma\",77.4,0.000123457,0.98765,"
              "1.23457e+08,0.00000e+00,10:15:00 AM,12/07/2026\r\n");
}

TEST(ArchiveLine, SeparatorsInTextsAreReplacedAndTextsCut) {
    Trecord r = Sample("  W,1", "Ga,As", "A,B", 1, 1, 1);
    r.batchId = "B\"1,2";
    r.description = "say \"hi\"\r\nthere, and a very long tail beyond the field", r.time = "10,15";
    r.waferId = "  W,1234567890123456789";
    const Trecord c = Cleaned(r);
    EXPECT_EQ(Texts(c), (std::vector<std::string>{"W;1234567890123", "B\"1;2", "Ga;As",
                                                  "say 'hi'  there, and a very long ta", "A;B",
                                                  "10;15", c.date}));
    EXPECT_EQ(c.description.size(), kDescriptionLength);
    // What was written reads back field for field.
    std::string line = RecordLine(r);
    ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
    line.resize(line.size() - 2);
    auto expected = Texts(c);
    expected[5] += "," + c.date;  // the time field runs on to the line's end
    EXPECT_EQ(Texts(ParseRecordLine(line)), expected);
}

TEST(ArchiveLine, LongestRecordStaysWithinWhatTheReaderKeeps) {
    Trecord r = Sample(std::string(40, 'w'), std::string(40, 'm'), "1234.5678", -1.23456e-300,
                       -1.23456e+300, -9.87654e-300);
    r.batchId = std::string(40, 'b'), r.description = std::string(80, 'd');
    r.symmetry = -1.2345e-300, r.time = std::string(80, 't'), r.date = std::string(80, 'd');
    const std::string line = RecordLine(r);
    EXPECT_LT(line.size(), kMaxLine);
    const Trecord back = ParseRecordLine(line.substr(0, line.size() - 2));
    EXPECT_DOUBLE_EQ(back.sheetResistance, -1.23456e+300);
    EXPECT_DOUBLE_EQ(back.hallCoefficient, -9.87654e-300);
}

TEST(ArchiveReaderRules, NumbersThatAreNotNumbersReadAsZero) {
    const Trecord r = ParseRecordLine("a,b,c,\"d\",AMB,thick,inf,nan,1e999,t,d");
    EXPECT_EQ(Numbers(r), (std::vector<double>{0, 0, 0, 0}));
    const Trecord s = ParseRecordLine("a,b,c,\"d\",AMB, +12.5um,-3,4e2x,-5e-3");
    EXPECT_EQ(Numbers(s), (std::vector<double>{12.5, -3.0, 400.0, -5e-3}));
    EXPECT_EQ(s.time, "");
    EXPECT_EQ(s.date, "");
}

TEST(ArchiveReaderRules, TruncatedAndEmptyLinesGiveEmptyFields) {
    const Trecord r = ParseRecordLine("only");
    EXPECT_EQ(r.waferId, "only");
    EXPECT_EQ(r.batchId, "");
    EXPECT_EQ(r.description, "");
    const Trecord q = ParseRecordLine("a,b,c,\"open description, no end");
    EXPECT_EQ(q.description, "open description, no end");
    EXPECT_EQ(q.temperature, "");
}

TEST(ArchiveReaderRules, BlankSpaceBeforeLinesIsSkippedAndLineEndsDropped) {
    const auto lines = ReadAll("\r\n  \n\tfirst,line\r\n\r\n\r\nsecond\nthird\r");
    EXPECT_EQ(lines, (std::vector<std::string>{"first,line", "second", "third"}));
    EXPECT_TRUE(ReadAll("").empty());
    EXPECT_TRUE(ReadAll(" \r\n\t\n").empty());
}

TEST(ArchiveReaderRules, OverlongLinesAreCutAndTheNextLineStillRead) {
    std::string big(3 << 20, 'x');
    big[kMaxLine - 1] = 'y';
    const auto lines = ReadAll(big + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), kMaxLine);
    EXPECT_EQ(lines[0].back(), 'y');
    EXPECT_EQ(lines[1], "next");
    // A CR right after a line of exactly the kept length is the line end.
    const auto exact = ReadAll(std::string(kMaxLine, 'z') + "\r\nz");
    ASSERT_EQ(exact.size(), 2u);
    EXPECT_EQ(exact[0], std::string(kMaxLine, 'z'));
}

// The viewer lists lines through the index, the sort reads them through the
// reader: on any bytes both must give the same lines, or a ticket would show
// another record than the one listed.
TEST(ArchiveReaderRules, IndexAndReaderAgreeOnAnyBytes) {
    std::mt19937 random(7);
    const char alphabet[] = {'a', ',', '"', '\r', '\n', ' ', '\t', '\0', '\xff'};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int n = static_cast<int>(random() % 3000);
        for (int i = 0; i < n; ++i) {
            const bool longRun = random() % 200 == 0;
            if (longRun) bytes += std::string(kMaxLine + random() % 3, 'L');
            bytes += alphabet[random() % sizeof alphabet];
        }
        const auto lines = ReadAll(bytes);
        // The index, fed in pieces of random size.
        RecordLineIndexer indexer;
        for (std::size_t p = 0; p < bytes.size();) {
            const std::size_t piece = std::min<std::size_t>(1 + random() % 97, bytes.size() - p);
            indexer.Feed(bytes.data() + p, piece);
            p += piece;
        }
        const auto starts = indexer.Starts();
        ASSERT_EQ(starts, IndexRecordLines(bytes.data(), bytes.size()));
        ASSERT_EQ(starts.size(), lines.size()) << "round " << round;
        for (std::size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(std::string(LineAt(bytes.data(), bytes.size(), starts[i])), lines[i])
                << "round " << round << " line " << i;
    }
}

TEST(ArchiveTicket, FullRecordWithBulkAndHallValues) {
    Trecord r = ParseRecordLine(
        "W1,B7,GaAs,\"desc\",AMB,2,1.0123,1.00000e+02,-2.00000e+02,10:15:00 AM,12/07/2026");
    EXPECT_EQ(Ticket(r),
              "Wafer: W1\r\nBatch: B7\r\nMaterial: GaAs\r\nDescr: desc\r\n"
              "Time,Date: 10:15:00 AM,12/07/2026\r\nTemperature: AMB\r\nThickness: 2.000 um\r\n"
              "Symmetry: 1.012\r\nSheet R: 1.000e+02 ohms/square\r\nBulk R: 2.000e-02 ohm-cm\r\n"
              "Sheet Hall Coef: -2.000e+02 m2/C\r\nBulk Hall Coef: -4.000e-04 m3/C\r\n"
              "Sheet N: -3.121e+12 cm-2\r\nBulk N: -1.560e+16 cm-3\r\n"
              "Mobility: 2.000e+04 cm2/V-sec\r\n\r\n");
}

TEST(ArchiveTicket, ThicknessZeroNoHallAndZeroSheetResistance) {
    const Trecord sheet = ParseRecordLine("W,B,Si,\"\",LN2,0,1,5.00000e+01,3.50000e-03,t,d");
    EXPECT_EQ(Ticket(sheet),
              "Wafer: W\r\nBatch: B\r\nMaterial: Si\r\nDescr: \r\nTime,Date: t,d\r\n"
              "Temperature: LN2\r\nThickness: 0.000 um\r\nSymmetry: 1.000\r\n"
              "Sheet R: 5.000e+01 ohms/square\r\nSheet Hall Coef: 3.500e-03 m2/C\r\n"
              "Sheet N: 1.783e+17 cm-2\r\nMobility: 7.000e-01 cm2/V-sec\r\n\r\n");
    const Trecord noHall = ParseRecordLine("W,B,Si,\"\",LN2,3,1,5.00000e+01,0.00000e+00,t,d");
    const std::string t = Ticket(noHall);
    EXPECT_NE(t.find("Bulk R: 1.500e-02 ohm-cm\r\nNo Hall value, can't calculate further\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(t.find("Sheet Hall"), std::string::npos);
    const Trecord zeroR = ParseRecordLine("W,B,Si,\"\",LN2,0,1,0,3.5e-3,t,d");
    EXPECT_NE(Ticket(zeroR).find("Mobility: Error\r\n"), std::string::npos);
}

TEST(ArchiveSort, MaterialKeyGroupsByTemperatureInArchiveOrder) {
    const std::string archive = RecordLine(Sample("W1", "GaAs", "AMB", 2, 100, -200)) +
                                RecordLine(Sample("W2", "Si", "AMB", 2, 100, -200)) +
                                RecordLine(Sample("W3", "gaas", "300.0", 0, 50, 0)) +
                                RecordLine(Sample("W4", "GAAS", "ln2", 1, 0, 1e-3)) +
                                RecordLine(Sample("W5", "GaAs", "AMB", 0, 10, 2)) + "\r\n\r\n" +
                                RecordLine(Sample("W6", "GaAsP", "AMB", 1, 10, 2));
    SortOptions o;
    o.key = SortOptions::Material, o.sortString = "gaas";
    EXPECT_EQ(SortTable(archive, o),
              "gaas\r\n"
              "Date,BatchID,WaferID,Resistivity,Hall Coef.,Mobility,Concentration,Description\r\n"
              " , , ,(ohm/sq),(m2/C),(cm2/V-sec),(/cm2)\r\n"
              "*** AMB ***\r\n"
              "12/07/2026,B7,W1,+1.000e+02,-2.000e+02,+2.000e+04,-3.121e+12,a test, with comma\r\n"
              "12/07/2026,B7,W5,+1.000e+01,+2.000e+00,+2.000e+03,+3.121e+14,a test, with comma\r\n"
              "*** LN2 ***\r\n"
              "12/07/2026,B7,W4,+0.000e+00,+1.000e-03,Error,+6.241e+17,a test, with comma\r\n"
              "*** OTHER TEMP ***\r\n"
              "12/07/2026,B7,W3,+5.000e+01,+0.000e+00,+0.000e+00,Error,a test, with comma\r\n");
    // Bulk: the thickness-0 records are left out, the units are the bulk ones.
    o.bulk = true, o.mobility = false;
    const std::string bulk = SortTable(archive, o);
    EXPECT_NE(bulk.find(" , , ,(ohm-cm),(m3/C),(/cm3)\r\n"), std::string::npos);
    EXPECT_EQ(bulk.find(",W5,"), std::string::npos);
    EXPECT_EQ(bulk.find(",W3,"), std::string::npos);
    EXPECT_NE(bulk.find("B7,W1,+2.000e-02,-4.000e-04,-1.560e+16,"), std::string::npos);
}

TEST(ArchiveSort, KeyColumnLeftOutAndWholeFieldCompared) {
    SortOptions o;
    o.key = SortOptions::WaferId, o.sortString = "w1";
    o.hall = o.mobility = o.concentration = false;
    const std::string archive = RecordLine(Sample("W1", "GaAs", "AMB", 2, 100, -200)) +
                                RecordLine(Sample("W10", "GaAs", "AMB", 2, 100, -200));
    EXPECT_EQ(SortTable(archive, o),
              "w1\r\nMaterial,Date,BatchID,Resistivity,Description\r\n , , ,(ohm/sq)\r\n"
              "*** AMB ***\r\nGaAs,12/07/2026,B7,+1.000e+02,a test, with comma\r\n"
              "*** LN2 ***\r\n*** OTHER TEMP ***\r\n");
    o.key = SortOptions::Date, o.sortString = "12/07/2026";
    const std::string byDate = SortTable(archive, o);
    EXPECT_NE(byDate.find("Material,BatchID,WaferID,Resistivity,Description\r\n"),
              std::string::npos);
    EXPECT_NE(byDate.find("GaAs,B7,W10,"), std::string::npos);
}

TEST(ArchiveSort, BinaryBytesAndHugeLinesGiveADefinedTable) {
    std::string archive(2 << 20, '\x01');
    archive += std::string("\0\xff,,,\n", 6);
    archive += RecordLine(Sample("W1", "GaAs", "AMB", 2, 100, -200));
    SortOptions o;
    o.key = SortOptions::Material, o.sortString = "GaAs";
    const std::string table = SortTable(archive, o);
    EXPECT_NE(table.find("*** AMB ***\r\n12/07/2026,B7,W1,"), std::string::npos);
}

// The table's numbers are written by a faster path than printf: they must be
// the very texts "%+.3e" gives.
TEST(ArchiveSort, TableNumbersAreThePrintfForm) {
    std::mt19937_64 random(11);
    SortOptions o;
    o.key = SortOptions::WaferId, o.mobility = o.hall = o.concentration = false;
    for (int i = 0; i < 20000; ++i) {
        Trecord r;
        std::uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) continue;
        if (i % 3 == 0)
            v = static_cast<double>(static_cast<std::int64_t>(random() % 2000000) - 1000000) /
                1000.0;
        r.sheetResistance = v;
        ASSERT_EQ(SortDataLine(r, o), ",,," + Printf("%+.3e", v) + ",\r\n") << v;
    }
}
