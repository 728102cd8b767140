#include "scan/ScanData.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

void ScanData::ResetExtents(bool fileRead) {
    T = {0.0, 1000.0};
    resistivity = {1.0, 1e6};
    concentration = {fileRead ? 0.0 : 1.0, 1e22};
    mobility = {1.0, 1e7};
    hall = {1.0, 1e7};
}

void ScanData::TakeExtents(const ScanPoint& p) {
    T.Take(p.T);
    auto takeLog = [](Extent& e, double v) {
        const double m = std::fabs(v);
        if (m > 0.0 && std::isfinite(m)) e.Take(m);
    };
    takeLog(resistivity, p.resistivity);
    if (p.ResistivityOnly()) return;
    takeLog(hall, p.hall);
    takeLog(concentration, p.concentration);
    takeLog(mobility, p.mobility);
}

std::vector<double> PlanTemperatures(int n, double ts, double te, bool inverse) {
    std::vector<double> out;
    if (n < 2 || n > ScanData::kSlots) return out;
    if (!inverse) {
        for (int i = 0; i < n; ++i) out.push_back(ts + i * (te - ts) / (n - 1));
        // The last point is the stop temperature itself, not a sum of steps.
        out.back() = te;
        return out;
    }
    if (!(ts > 0) || !(te > 0)) return out;
    const double a = 1000.0 / ts, b = 1000.0 / te;
    for (int i = 0; i < n; ++i) out.push_back(1000.0 / (a + i * (b - a) / (n - 1)));
    out.front() = ts;
    out.back() = te;
    return out;
}

std::string ThicknessText(double thickness) {
    std::ostringstream s;
    s << thickness;
    return s.str();
}

std::string HeaderText(const ScanHeader& h) {
    auto cut = [](const std::string& s, std::size_t n) { return s.substr(0, n); };
    return cut(h.WaferID, ScanHeader::kIdChars) + "\r\n" + cut(h.BatchID, ScanHeader::kIdChars) +
           "\r\n" + cut(h.Description, ScanHeader::kDescriptionChars) + "\r\n" +
           cut(h.Material, ScanHeader::kMaterialChars) + "\r\n" + ThicknessText(h.Thickness) +
           "\r\n";
}

std::string PointLine(const ScanPoint& p) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%5.1f %.2e %+.2e %+.2e %.2e", p.T, p.resistivity, p.hall,
                  p.concentration, p.mobility);
    return buffer;
}

namespace {
// The file's characters with the number of the line they stand on: LF,
// CR LF and a lone CR each end a line.
class Source {
  public:
    explicit Source(std::istream& in) : in_(in) {}
    int peek() { return in_.peek(); }
    int get() {
        const int c = in_.get();
        if (c == '\n' || (c == '\r' && in_.peek() != '\n')) ++line_;
        return c;
    }
    long Line() const { return line_; }

  private:
    std::istream& in_;
    long line_ = 1;
};

// A header line: its first `keep` characters, up to the end of the line
// (LF, CR LF or a lone CR); the rest of a longer line is skipped.
std::string HeaderLine(Source& in, std::size_t keep) {
    std::string out;
    int c;
    while ((c = in.get()) != EOF) {
        if (c == '\n') break;
        if (c == '\r') {
            if (in.peek() == '\n') in.get();
            break;
        }
        if (out.size() < keep) out.push_back(static_cast<char>(c));
    }
    return out;
}

bool Space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool Digit(int c) {
    return c >= '0' && c <= '9';
}

void SkipSpace(Source& in) {
    int c;
    while ((c = in.peek()) != EOF && Space(c)) in.get();
}

enum class Token {
    Number,      // a finite value
    OutOfRange,  // a whole number whose value a double does not hold
    NotANumber,  // anything else, the end of the file included
};

// Skips white space and reads one decimal number ([+-]digits[.digits][e[+-]digits]).
Token Number(Source& in, double& value) {
    SkipSpace(in);
    std::string token;
    auto take = [&] {
        token.push_back(static_cast<char>(in.get()));
        return token.size() <= kMaxNumberChars;
    };
    const int c = in.peek();
    if (c == '+' || c == '-') {
        if (!take()) return Token::NotANumber;
    }
    int digits = 0;
    while (Digit(in.peek())) {
        if (!take()) return Token::NotANumber;
        ++digits;
    }
    if (in.peek() == '.') {
        if (!take()) return Token::NotANumber;
        while (Digit(in.peek())) {
            if (!take()) return Token::NotANumber;
            ++digits;
        }
    }
    if (digits == 0) return Token::NotANumber;
    if (in.peek() == 'e' || in.peek() == 'E') {
        if (!take()) return Token::NotANumber;
        if (in.peek() == '+' || in.peek() == '-')
            if (!take()) return Token::NotANumber;
        if (!Digit(in.peek())) return Token::NotANumber;
        while (Digit(in.peek()))
            if (!take()) return Token::NotANumber;
    }
    const char* first = token.data();
    if (*first == '+') ++first;  // from_chars takes no plus sign
    const auto [end, error] = std::from_chars(first, token.data() + token.size(), value);
    if (end != token.data() + token.size()) return Token::NotANumber;
    if (error == std::errc::result_out_of_range) return Token::OutOfRange;
    if (error != std::errc() || !std::isfinite(value)) return Token::NotANumber;
    return Token::Number;
}

std::string Plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::vector<std::string> ScanFileRead::Notes() const {
    std::vector<std::string> notes;
    if (skipped > 0)
        notes.push_back("Skipped " + Plural(skipped, "point", "points") +
                        " with T or resistivity not above 0 or a value out of range (line " +
                        std::to_string(firstSkippedLine) + (skipped > 1 ? " and on)" : ")"));
    if (stoppedAtLine > 0)
        notes.push_back("Reading stopped at line " + std::to_string(stoppedAtLine) +
                        ": not a point");
    if (beyondCapacity)
        notes.push_back("Points after the " + std::to_string(ScanData::kSlots) +
                        "th were not read");
    return notes;
}

ScanFileRead ReadScanFile(std::istream& stream) {
    Source in(stream);
    ScanFileRead r;
    r.header.WaferID = HeaderLine(in, ScanHeader::kIdChars);
    r.header.BatchID = HeaderLine(in, ScanHeader::kIdChars);
    r.header.Description = HeaderLine(in, ScanHeader::kDescriptionChars);
    r.header.Material = HeaderLine(in, ScanHeader::kMaterialChars);
    double thickness = 0.0;
    // A negative thickness is not one the program writes.
    r.thicknessRead = Number(in, thickness) == Token::Number && thickness >= 0.0;
    if (r.thicknessRead) r.header.Thickness = thickness;
    ScanData& d = r.data;
    d.ResetExtents(true);
    d.count = 0;
    d.current = 0;
    // Whatever the file holds, the flag says what its points are: an empty
    // read is not left with the flag of whatever was read before.
    d.resistivityOnly = !d.HasConcentration();
    if (!r.thicknessRead) return r;
    for (;;) {
        SkipSpace(in);
        if (in.peek() == EOF) break;
        if (d.count == ScanData::kSlots) {
            r.beyondCapacity = true;
            break;
        }
        const long line = in.Line();
        ScanPoint p;
        bool usable = true;
        bool whole = true;
        for (double* v : {&p.T, &p.resistivity, &p.hall, &p.concentration, &p.mobility}) {
            const Token t = Number(in, *v);
            if (t == Token::NotANumber) {
                whole = false;
                break;
            }
            if (t == Token::OutOfRange) usable = false;
        }
        if (!whole) {
            r.stoppedAtLine = in.Line();
            break;
        }
        if (!usable || !(p.T > 0.0) || !(p.resistivity > 0.0)) {
            if (r.skipped++ == 0) r.firstSkippedLine = line;
            continue;
        }
        d.points[d.count] = p;
        d.TakeExtents(p);
        ++d.count;
        d.current = d.count;
    }
    // The file is resistivity-only when none of its points has a concentration.
    d.resistivityOnly = !d.HasConcentration();
    return r;
}
