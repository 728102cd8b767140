// The archive's reader: the line splitter, the line reader, the viewer's
// index and the sort table over arbitrary bytes. Whatever comes in, the
// reader and the index agree on the lines, numbers are finite, a cleaned
// record's line splits back into the same texts, and the table is written.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "records/Archive.h"

using namespace ArchiveFormat;

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    std::FILE* in = std::tmpfile();
    if (!in) return 0;
    std::fwrite(bytes, 1, size, in);
    std::rewind(in);

    const auto starts = IndexRecordLines(bytes, size);
    ArchiveReader reader(in);
    std::string line;
    std::size_t n = 0;
    while (reader.Next(line)) {
        Check(n < starts.size());
        Check(line == LineAt(bytes, size, starts[n]));
        Check(line.size() <= kMaxLine);
        const Trecord r = ParseRecordLine(line);
        for (double v : {r.thickness, r.symmetry, r.sheetResistance, r.hallCoefficient})
            Check(std::isfinite(v));
        (void)Ticket(r);
        // Whatever a record holds, the line written for it reads back as the
        // cleaned texts.
        std::string written = RecordLine(r);
        Check(written.size() >= 2 && written.compare(written.size() - 2, 2, "\r\n") == 0);
        written.resize(written.size() - 2);
        const Trecord c = Cleaned(r);
        const Trecord back = ParseRecordLine(written);
        Check(back.waferId == c.waferId && back.batchId == c.batchId &&
              back.material == c.material && back.description == c.description &&
              back.temperature == c.temperature);
        ++n;
    }
    Check(n == starts.size());

    std::FILE* out = std::tmpfile();
    if (out) {
        SortOptions options;
        options.key = size > 0 ? data[0] % 4 : 0;
        options.sortString =
            size > 1 ? std::string(bytes + 1, std::min<std::size_t>(size - 1, 3)) : "x";
        options.bulk = size > 4 && (data[4] & 1);
        WriteSortTable(in, out, options);
        std::fclose(out);
    }
    std::fclose(in);
    return 0;
}
