#pragma once
// The archive of results: one comma-separated line per result, the reader
// that splits such lines, the readable ticket of a record, and the sorted
// table extracted from the archive. Pure functions over strings and files;
// the dialogs and commands sit on top of them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// One archive record. As written, `time` and `date` are the two stamps; as
// read back, `time` carries the rest of the line (the time, a comma and the
// date), which is what a ticket shows, and `date` the text after that comma.
struct Trecord {
    std::string waferId;
    std::string batchId;
    std::string material;
    std::string description;
    std::string temperature;
    double thickness = 0.0;        // micrometres; 0: sheet values only
    double symmetry = 0.0;         // symmetry factor of the resistivity run
    double sheetResistance = 0.0;  // ohms per square
    double hallCoefficient = 0.0;  // sheet Hall coefficient before the scattering factor, m2/C
    std::string time;
    std::string date;
};

namespace ArchiveFormat {

// Field sizes of a record as it is added (characters).
inline constexpr std::size_t kIdLength = 15;
inline constexpr std::size_t kMaterialLength = 15;
inline constexpr std::size_t kDescriptionLength = 35;
inline constexpr std::size_t kTemperatureLength = 7;
// The stamps come from the regional settings; nothing longer is plausible.
inline constexpr std::size_t kStampLength = 31;
// The reader keeps this much of a line and skips the rest of a longer one.
// A line the program writes stays far below it (about 190 characters at
// most), so only a line that is not ours is cut.
inline constexpr std::size_t kMaxLine = 1024;

// The record made fit for a line: texts cut to their fields, separators the
// reader would split at replaced (a comma in a text by ';', a double quote in
// the description by '\'', line breaks and other control characters by a
// blank), and leading blanks of the first field dropped, since the reader
// skips white space before a line.
Trecord Cleaned(const Trecord& record);
// The line of a cleaned record, ended by CR LF.
std::string RecordLine(const Trecord& record);
// Splits one line (without its line end) as the reader does. Number fields
// that are not numbers (or not finite) read as 0.
Trecord ParseRecordLine(std::string_view line);

// Derived values of a record (Part of every ticket and table).
double BulkResistivity(const Trecord& r);      // ohm-cm
double BulkHallCoefficient(const Trecord& r);  // m3/C
double SheetConcentration(const Trecord& r);   // cm-2, signed like the coefficient
double BulkConcentration(const Trecord& r);    // cm-3
double Mobility(const Trecord& r);             // cm2/V-sec

// The ticket of one record, CR LF line ends, ending with an empty line.
std::string Ticket(const Trecord& record);

// What the sort dialog selects and includes.
struct SortOptions {
    enum Key { WaferId = 0, BatchId = 1, Material = 2, Date = 3 };
    int key = WaferId;
    std::string sortString;
    bool resistivity = true;
    bool hall = true;
    bool mobility = true;
    bool concentration = true;
    bool bulk = false;
};
enum class TemperatureGroup { Ambient = 0, Nitrogen = 1, Other = 2 };
TemperatureGroup GroupOf(std::string_view temperature);
const char* GroupLine(TemperatureGroup group);  // "*** AMB ***" ...
// The sort string line and the two header lines.
std::string SortHeader(const SortOptions& options);
std::string SortDataLine(const Trecord& record, const SortOptions& options);

// Reads the record lines of an archive one by one: white space (blank lines
// included) before a line is skipped, a line ends at LF (a CR before it is
// dropped), at most kMaxLine characters of it are kept. Memory does not grow
// with the file or its lines.
class ArchiveReader {
  public:
    explicit ArchiveReader(std::FILE* file) : file_(file) {}
    // The next line; false at the end of the file.
    bool Next(std::string& line);
    // Starts again from the beginning of the file.
    void Rewind();

  private:
    int Get();
    std::FILE* file_;
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

// Writes the sorted table of `in` into `out`: the header, then the three
// temperature groups, each in archive order. Returns the number of data
// lines written, -1 when the table could not be put together.
long long WriteSortTable(std::FILE* in, std::FILE* out, const SortOptions& options);

// Line starts of the record lines, with the reader's rules, from the file's
// bytes fed in pieces of any size; entry n is the n-th record line.
class RecordLineIndexer {
  public:
    void Feed(const char* data, std::size_t size);
    std::vector<std::uint64_t>& Starts() { return starts_; }

  private:
    std::vector<std::uint64_t> starts_;
    std::uint64_t base_ = 0;
    bool inLine_ = false;
};
std::vector<std::uint64_t> IndexRecordLines(const char* data, std::size_t size);
// The record line starting at `offset` (without its line end, cut to kMaxLine).
std::string_view LineAt(const char* data, std::size_t size, std::uint64_t offset);
// Counts the record lines of a file; -1 when it cannot be read.
long long CountRecordLines(const std::string& path);

}  // namespace ArchiveFormat
