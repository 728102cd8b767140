// The archive at scale: writes an archive of N records (default one million;
// argument 2 a size in MB instead), then measures, side by side, the sorted
// table of the GaAs records against awk selecting the same lines, the
// viewer's index of the records, and the memory both need. Prints figures;
// the target is a sort at most twice awk's time, with memory independent of
// the archive's size.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchSupport.h"
#include "records/Archive.h"

namespace {
using bench::MaxRssKb;
using bench::Now;
}  // namespace

int main(int argc, char** argv) {
    long long records = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 0;
    const std::string path = "/tmp/vantris_bench_archive.dat";
    const char* materials[] = {"GaAs", "Si", "InP", "GAAS", "Ge"};
    const char* temperatures[] = {"AMB", "LN2", "300.0", "77.4"};
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 1;
    long long written = 0, bytes = 0;
    for (long long i = 0; megabytes ? bytes < megabytes * 1000000 : i < records; ++i) {
        Trecord r;
        r.waferId = "W" + std::to_string(i);
        r.batchId = "B" + std::to_string(i % 97);
        r.material = materials[i % 5];
        r.description = "bench record " + std::to_string(i);
        r.temperature = temperatures[i % 4];
        r.thickness = (i % 3) * 0.5;
        r.symmetry = 1.01;
        r.sheetResistance = 100.0 + i % 1000;
        r.hallCoefficient = (i % 7) ? -250.0 + i % 50 : 0.0;
        r.time = "10:15:00 AM";
        r.date = "12/07/2026";
        const std::string line = ArchiveFormat::RecordLine(r);
        std::fwrite(line.data(), 1, line.size(), f);
        bytes += static_cast<long long>(line.size());
        ++written;
    }
    std::fclose(f);
    records = written;
    std::printf("archive: %lld records, %.1f MB\n", records, bytes / 1e6);

    // Warm the page cache for both, so neither pays for the disc alone.
    std::system(("cat " + path + " > /dev/null").c_str());

    const long rss0 = MaxRssKb();
    double t0 = Now();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::FILE* out = std::fopen("/tmp/vantris_bench_sorted.txt", "wb");
    ArchiveFormat::SortOptions options;
    options.key = ArchiveFormat::SortOptions::Material;
    options.sortString = "gaas";
    const long long lines = ArchiveFormat::WriteSortTable(in, out, options);
    std::fclose(in);
    std::fclose(out);
    const double sortSeconds = Now() - t0;
    const long rss1 = MaxRssKb();

    t0 = Now();
    const std::string awk =
        "awk -F, 'tolower($3)==\"gaas\"' " + path + " > /tmp/vantris_bench_awk.txt";
    const int awkStatus = std::system(awk.c_str());
    const double awkSeconds = Now() - t0;

    t0 = Now();
    std::FILE* view = std::fopen(path.c_str(), "rb");
    ArchiveFormat::RecordLineIndexer indexer;
    std::string piece(1 << 20, '\0');
    std::size_t n;
    while ((n = std::fread(piece.data(), 1, piece.size(), view)) > 0) indexer.Feed(piece.data(), n);
    std::fclose(view);
    const double indexSeconds = Now() - t0;

    std::printf("sort           : %.3f s, %lld data lines\n", sortSeconds, lines);
    std::printf("awk (1 pass):    %.3f s (status %d)\n", awkSeconds, awkStatus);
    std::printf("sort / awk:      %.2f (target at most 2)\n", sortSeconds / awkSeconds);
    std::printf("viewer index:    %.3f s for %zu records (%.1f MB of line starts)\n", indexSeconds,
                indexer.Starts().size(), indexer.Starts().size() * 8 / 1e6);
    std::printf("sort memory:     max RSS %ld kB before, %ld kB after\n", rss0, rss1);
    // Bad input: a 10 MB line of binary bytes among ordinary records.
    {
        const std::string bad = "/tmp/vantris_bench_bad.dat";
        std::FILE* b = std::fopen(bad.c_str(), "wb");
        unsigned state = 12345;
        std::string junk(10 << 20, '\0');
        for (char& c : junk) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
            if (c == '\n') c = 'x';
        }
        Trecord r;
        r.material = "GaAs";
        r.temperature = "AMB";
        const std::string line = ArchiveFormat::RecordLine(r);
        for (int i = 0; i < 1000; ++i) std::fwrite(line.data(), 1, line.size(), b);
        std::fwrite(junk.data(), 1, junk.size(), b);
        std::fputs("\r\n", b);
        for (int i = 0; i < 1000; ++i) std::fwrite(line.data(), 1, line.size(), b);
        std::fclose(b);
        const long before = MaxRssKb();
        t0 = Now();
        std::FILE* bin = std::fopen(bad.c_str(), "rb");
        std::FILE* bout = std::fopen("/tmp/vantris_bench_sorted.txt", "wb");
        const long long badLines = ArchiveFormat::WriteSortTable(bin, bout, options);
        std::fclose(bin);
        std::fclose(bout);
        std::printf("10 MB binary line: %.3f s, %lld data lines, max RSS %ld kB -> %ld kB\n",
                    Now() - t0, badLines, before, MaxRssKb());
        std::remove(bad.c_str());
    }
    std::remove("/tmp/vantris_bench_sorted.txt");
    std::remove("/tmp/vantris_bench_awk.txt");
    std::remove(path.c_str());
    return 0;
}
