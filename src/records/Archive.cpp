#include "records/Archive.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/FileNames.h"
#include "core/Printf.h"

namespace ArchiveFormat {
namespace {
constexpr double kElementaryCharge = 1.602192e-19;  // C, as the results have always used

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Control characters would end or break the line; separators would split it.
std::string Replaced(const std::string& text, char separator, char replacement) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = ' ';
        } else if (c == separator) {
            c = replacement;
        }
    }
    return out;
}

std::string Cut(const std::string& text, std::size_t length) {
    return text.size() <= length ? text : text.substr(0, length);
}

// A field as the decimal conversion reads it: its leading number, or 0 when
// there is none or it is not finite.
double Number(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    if (i < field.size() && field[i] == '+') ++i;
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data() + i, field.data() + field.size(), value);
    (void)end;
    if (error != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

// The fields of a line before any of them is converted.
struct LineFields {
    std::string_view wafer, batch, material, description, temperature;
    std::string_view thickness, symmetry, sheet, hall;
    std::string_view time, date;
};

LineFields Split(std::string_view line) {
    LineFields f;
    std::size_t p = 0;
    auto until = [&line, &p](char c) {
        const std::size_t q = line.find(c, p);
        const std::string_view field =
            q == std::string_view::npos ? line.substr(p) : line.substr(p, q - p);
        p = q == std::string_view::npos ? line.size() : q + 1;
        return field;
    };
    f.wafer = until(',');
    f.batch = until(',');
    f.material = until(',');
    if (p < line.size() && line[p] == '"') ++p;
    f.description = until('"');
    if (p < line.size() && line[p] == ',') ++p;
    f.temperature = until(',');
    f.thickness = until(',');
    f.symmetry = until(',');
    f.sheet = until(',');
    f.hall = until(',');
    f.time = line.substr(p);
    const std::size_t comma = f.time.find(',');
    if (comma != std::string_view::npos) f.date = f.time.substr(comma + 1);
    return f;
}

std::string_view KeyField(const LineFields& f, int key) {
    switch (key) {
        case SortOptions::BatchId:
            return f.batch;
        case SortOptions::Material:
            return f.material;
        case SortOptions::Date:
            return f.date;
        default:
            return f.wafer;
    }
}

bool InGroup(std::string_view temperature, TemperatureGroup group) {
    const bool ambient = SameIgnoringCase(temperature, "AMB");
    const bool nitrogen = SameIgnoringCase(temperature, "LN2");
    switch (group) {
        case TemperatureGroup::Ambient:
            return ambient;
        case TemperatureGroup::Nitrogen:
            return nitrogen;
        default:
            return !ambient && !nitrogen;
    }
}

// "%+.3e," or "Error," where the value cannot be had. to_chars writes what
// printf writes for this form, several times faster, and tables are long.
std::string TableNumber(double value, bool valid) {
    if (!valid || !std::isfinite(value)) return "Error,";
    char text[40];
    char* p = text;
    if (!std::signbit(value)) *p++ = '+';
    const auto result =
        std::to_chars(p, text + sizeof text - 1, value, std::chars_format::scientific, 3);
    *result.ptr = ',';
    return std::string(text, result.ptr + 1);
}

std::string TicketNumber(double value) {
    if (!std::isfinite(value)) return "Error";
    return Printf("%.3e", value);
}
}  // namespace

Trecord Cleaned(const Trecord& record) {
    Trecord r = record;
    std::string wafer = Replaced(record.waferId, ',', ';');
    const std::size_t first = wafer.find_first_not_of(' ');
    wafer.erase(0, first == std::string::npos ? wafer.size() : first);
    r.waferId = Cut(wafer, kIdLength);
    r.batchId = Cut(Replaced(record.batchId, ',', ';'), kIdLength);
    r.material = Cut(Replaced(record.material, ',', ';'), kMaterialLength);
    r.description = Cut(Replaced(record.description, '"', '\''), kDescriptionLength);
    r.temperature = Cut(Replaced(record.temperature, ',', ';'), kTemperatureLength);
    r.time = Cut(Replaced(record.time, ',', ';'), kStampLength);
    // The date is the last field: it runs to the end of the line, commas and all.
    r.date = Cut(Replaced(record.date, '\n', ' '), kStampLength);
    for (double* v : {&r.thickness, &r.symmetry, &r.sheetResistance, &r.hallCoefficient})
        if (!std::isfinite(*v)) *v = 0.0;
    return r;
}

std::string RecordLine(const Trecord& record) {
    const Trecord r = Cleaned(record);
    return Printf("%s,%s,%s,\"%s\",%s,%.6g,%.5g,%.5e,%.5e,%s,%s\r\n", r.waferId.c_str(),
                  r.batchId.c_str(), r.material.c_str(), r.description.c_str(),
                  r.temperature.c_str(), r.thickness, r.symmetry, r.sheetResistance,
                  r.hallCoefficient, r.time.c_str(), r.date.c_str());
}

Trecord ParseRecordLine(std::string_view line) {
    const LineFields f = Split(line);
    Trecord r;
    r.waferId = f.wafer;
    r.batchId = f.batch;
    r.material = f.material;
    r.description = f.description;
    r.temperature = f.temperature;
    r.thickness = Number(f.thickness);
    r.symmetry = Number(f.symmetry);
    r.sheetResistance = Number(f.sheet);
    r.hallCoefficient = Number(f.hall);
    r.time = f.time;
    r.date = f.date;
    return r;
}

double BulkResistivity(const Trecord& r) {
    return r.sheetResistance * r.thickness * 1e-4;
}
double BulkHallCoefficient(const Trecord& r) {
    return r.hallCoefficient * r.thickness * 1e-6;
}
double SheetConcentration(const Trecord& r) {
    return 1e-4 / (r.hallCoefficient * kElementaryCharge);
}
double BulkConcentration(const Trecord& r) {
    return SheetConcentration(r) / (r.thickness * 1e-4);
}
double Mobility(const Trecord& r) {
    return std::fabs(r.hallCoefficient * 1e4 / r.sheetResistance);
}

std::string Ticket(const Trecord& r) {
    std::string t;
    t += "Wafer: " + r.waferId + "\r\n";
    t += "Batch: " + r.batchId + "\r\n";
    t += "Material: " + r.material + "\r\n";
    t += "Descr: " + r.description + "\r\n";
    t += "Time,Date: " + r.time + "\r\n";
    t += "Temperature: " + r.temperature + "\r\n";
    t += Printf("Thickness: %.3f um\r\n", r.thickness);
    t += Printf("Symmetry: %.3f\r\n", r.symmetry);
    t += "Sheet R: " + TicketNumber(r.sheetResistance) + " ohms/square\r\n";
    const bool bulk = r.thickness != 0.0;
    if (bulk) t += "Bulk R: " + TicketNumber(BulkResistivity(r)) + " ohm-cm\r\n";
    if (r.hallCoefficient != 0.0) {
        t += "Sheet Hall Coef: " + TicketNumber(r.hallCoefficient) + " m2/C\r\n";
        if (bulk) t += "Bulk Hall Coef: " + TicketNumber(BulkHallCoefficient(r)) + " m3/C\r\n";
        t += "Sheet N: " + TicketNumber(SheetConcentration(r)) + " cm-2\r\n";
        if (bulk) t += "Bulk N: " + TicketNumber(BulkConcentration(r)) + " cm-3\r\n";
        if (r.sheetResistance == 0.0) {
            t += "Mobility: Error\r\n";
        } else {
            t += "Mobility: " + TicketNumber(Mobility(r)) + " cm2/V-sec\r\n";
        }
    } else {
        t += "No Hall value, can't calculate further\r\n";
    }
    t += "\r\n";
    return t;
}

TemperatureGroup GroupOf(std::string_view temperature) {
    if (InGroup(temperature, TemperatureGroup::Ambient)) return TemperatureGroup::Ambient;
    if (InGroup(temperature, TemperatureGroup::Nitrogen)) return TemperatureGroup::Nitrogen;
    return TemperatureGroup::Other;
}

const char* GroupLine(TemperatureGroup group) {
    switch (group) {
        case TemperatureGroup::Ambient:
            return "*** AMB ***";
        case TemperatureGroup::Nitrogen:
            return "*** LN2 ***";
        default:
            return "*** OTHER TEMP ***";
    }
}

std::string SortHeader(const SortOptions& o) {
    std::string h = o.sortString + "\r\n";
    // Identity columns in the table's order, with the key each one is.
    const std::pair<const char*, int> identities[] = {{"Material,", SortOptions::Material},
                                                      {"Date,", SortOptions::Date},
                                                      {"BatchID,", SortOptions::BatchId},
                                                      {"WaferID,", SortOptions::WaferId}};
    for (const auto& [name, key] : identities)
        if (key != o.key) h += name;
    if (o.resistivity) h += "Resistivity,";
    if (o.hall) h += "Hall Coef.,";
    if (o.mobility) h += "Mobility,";
    if (o.concentration) h += "Concentration,";
    h += "Description\r\n";
    h += " , , ";
    if (o.resistivity) h += o.bulk ? ",(ohm-cm)" : ",(ohm/sq)";
    if (o.hall) h += o.bulk ? ",(m3/C)" : ",(m2/C)";
    if (o.mobility) h += ",(cm2/V-sec)";
    if (o.concentration) h += o.bulk ? ",(/cm3)" : ",(/cm2)";
    h += "\r\n";
    return h;
}

std::string SortDataLine(const Trecord& r, const SortOptions& o) {
    std::string line;
    const std::pair<const std::string*, int> identities[] = {{&r.material, SortOptions::Material},
                                                             {&r.date, SortOptions::Date},
                                                             {&r.batchId, SortOptions::BatchId},
                                                             {&r.waferId, SortOptions::WaferId}};
    for (const auto& [text, key] : identities)
        if (key != o.key) line += *text + ",";
    if (o.resistivity) line += TableNumber(o.bulk ? BulkResistivity(r) : r.sheetResistance, true);
    if (o.hall) line += TableNumber(o.bulk ? BulkHallCoefficient(r) : r.hallCoefficient, true);
    if (o.mobility) line += TableNumber(Mobility(r), r.sheetResistance != 0.0);
    if (o.concentration)
        line += TableNumber(o.bulk ? BulkConcentration(r) : SheetConcentration(r),
                            r.hallCoefficient != 0.0);
    line += r.description + "\r\n";
    return line;
}

// ---------------------------------------------------------------------------
// Reading

void ArchiveReader::Rewind() {
    std::rewind(file_);
    pos_ = end_ = 0;
}

int ArchiveReader::Get() {
    if (pos_ == end_) {
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        pos_ = 0;
        if (end_ == 0) return EOF;
    }
    return static_cast<unsigned char>(buffer_[pos_++]);
}

bool ArchiveReader::Next(std::string& line) {
    line.clear();
    int c;
    do {
        c = Get();
    } while (c != EOF && IsBlank(static_cast<char>(c)));
    if (c == EOF) return false;
    --pos_;  // the line's first character is still in the buffer
    std::size_t total = 0;
    char last = 0;
    for (;;) {
        if (pos_ == end_) {
            end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
            pos_ = 0;
            if (end_ == 0) break;
        }
        const char* start = buffer_.data() + pos_;
        const std::size_t available = end_ - pos_;
        const void* nl = std::memchr(start, '\n', available);
        const std::size_t n =
            nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : available;
        if (line.size() < kMaxLine) line.append(start, std::min(n, kMaxLine - line.size()));
        if (n > 0) last = start[n - 1];
        total += n;
        pos_ += n;
        if (nl) {
            ++pos_;
            break;
        }
    }
    if (total <= kMaxLine && last == '\r' && !line.empty()) line.pop_back();
    return true;
}

namespace {
bool Copy(std::FILE* from, std::FILE* to) {
    std::rewind(from);
    char buffer[1 << 15];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0)
        if (std::fwrite(buffer, 1, n, to) != n) return false;
    return !std::ferror(from);
}
}  // namespace

long long WriteSortTable(std::FILE* in, std::FILE* out, const SortOptions& options) {
    const std::string header = SortHeader(options);
    std::fwrite(header.data(), 1, header.size(), out);
    // One pass over the archive: the AMB lines go straight to the table, the
    // other two groups to temporary files appended after it, so the table is
    // the one three passes would write and memory stays the same whatever
    // the archive's size. Without temporary files, three passes it is.
    std::FILE* later[2] = {std::tmpfile(), std::tmpfile()};
    const bool onePass = later[0] && later[1];
    ArchiveReader reader(in);
    std::string line, data;
    long long written = 0;
    bool copied = true;
    constexpr TemperatureGroup kGroups[3] = {TemperatureGroup::Ambient, TemperatureGroup::Nitrogen,
                                             TemperatureGroup::Other};
    for (int pass = 0; pass < (onePass ? 1 : 3); ++pass) {
        std::fputs(GroupLine(kGroups[pass]), out);
        std::fputs("\r\n", out);
        reader.Rewind();
        while (reader.Next(line)) {
            // Most lines fail on their key: those are not converted at all.
            const LineFields f = Split(line);
            if (!SameIgnoringCase(KeyField(f, options.key), options.sortString)) continue;
            const int group = static_cast<int>(GroupOf(f.temperature));
            if (!onePass && group != pass) continue;
            const Trecord record = ParseRecordLine(line);
            if (options.bulk && record.thickness == 0.0) continue;
            data = SortDataLine(record, options);
            std::FILE* to = group == 0 || !onePass ? out : later[group - 1];
            std::fwrite(data.data(), 1, data.size(), to);
            ++written;
        }
    }
    if (onePass) {
        for (int g = 1; g < 3; ++g) {
            std::fputs(GroupLine(kGroups[g]), out);
            std::fputs("\r\n", out);
            copied = Copy(later[g - 1], out) && copied;
        }
    }
    for (std::FILE* f : later)
        if (f) std::fclose(f);
    return copied ? written : -1;
}

void RecordLineIndexer::Feed(const char* data, std::size_t size) {
    std::size_t p = 0;
    while (p < size) {
        if (inLine_) {
            const void* nl = std::memchr(data + p, '\n', size - p);
            if (!nl) break;
            p = static_cast<std::size_t>(static_cast<const char*>(nl) - data) + 1;
            inLine_ = false;
            continue;
        }
        while (p < size && IsBlank(data[p])) ++p;
        if (p >= size) break;
        starts_.push_back(base_ + p);
        inLine_ = true;
    }
    base_ += size;
}

std::vector<std::uint64_t> IndexRecordLines(const char* data, std::size_t size) {
    RecordLineIndexer indexer;
    indexer.Feed(data, size);
    return std::move(indexer.Starts());
}

std::string_view LineAt(const char* data, std::size_t size, std::uint64_t offset) {
    if (offset >= size) return {};
    const char* start = data + offset;
    const std::size_t rest = size - static_cast<std::size_t>(offset);
    const void* nl = std::memchr(start, '\n', rest);
    std::size_t n = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : rest;
    if (n > 0 && start[n - 1] == '\r') --n;
    return std::string_view(start, std::min(n, kMaxLine));
}

long long CountRecordLines(const std::string& path) {
    // Only a regular file: /dev/zero would be counted for ever.
    std::FILE* file = FileNames::OpenForReading(FileNames::FromStored(path));
    if (!file) return -1;
    ArchiveReader reader(file);
    std::string line;
    long long n = 0;
    while (reader.Next(line)) ++n;
    std::fclose(file);
    return n;
}

}  // namespace ArchiveFormat
