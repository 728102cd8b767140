// The scan file reader over arbitrary bytes: whatever comes in, the header
// fields keep their sizes, at most 100 points are taken, every point is one
// the graph can draw (T and resistivity above 0, all finite), the points
// passed over are counted, and what the writer makes of the result reads
// back into no more points than it holds.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "scan/ScanData.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const ScanFileRead r = ReadScanFile(in);
    Check(r.header.WaferID.size() <= ScanHeader::kIdChars);
    Check(r.header.BatchID.size() <= ScanHeader::kIdChars);
    Check(r.header.Description.size() <= ScanHeader::kDescriptionChars);
    Check(r.header.Material.size() <= ScanHeader::kMaterialChars);
    Check(r.data.count >= 0 && r.data.count <= ScanData::kSlots);
    Check(std::isfinite(r.header.Thickness) && r.header.Thickness >= 0);
    for (int i = 0; i < r.data.count; ++i) {
        const ScanPoint& p = r.data.points[i];
        Check(p.T > 0 && p.resistivity > 0);
        for (double v : {p.T, p.resistivity, p.hall, p.concentration, p.mobility})
            Check(std::isfinite(v));
    }
    Check(r.data.resistivityOnly == !r.data.HasConcentration());
    // What was not taken is counted, and said in at most one line per kind.
    Check(r.skipped >= 0 && (r.skipped == 0) == (r.firstSkippedLine == 0));
    Check(r.Notes().size() <= 3);

    std::string text = HeaderText(r.header);
    for (int i = 0; i < r.data.count; ++i) text += PointLine(r.data.points[i]) + "\r\n";
    std::istringstream again(text);
    const ScanFileRead back = ReadScanFile(again);
    Check(back.header.WaferID == r.header.WaferID);
    Check(back.header.Material == r.header.Material);
    Check(back.data.count <= r.data.count);
    return 0;
}
