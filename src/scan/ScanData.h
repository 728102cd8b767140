#pragma once
// A scan's points and the .tsc file that keeps them: five header lines
// (Wafer ID, Batch ID, Description, Material, thickness) and one line per
// point, CR LF line ends, no end marker.
#include <array>
#include <cstddef>
#include <istream>
#include <string>
#include <vector>

struct ScanHeader {
    static constexpr std::size_t kIdChars = 15;
    static constexpr std::size_t kDescriptionChars = 35;
    static constexpr std::size_t kMaterialChars = 15;

    std::string WaferID;
    std::string BatchID;
    std::string Description;
    std::string Material;
    double Thickness = 0.0;  // micrometres; 0: the points hold sheet quantities

    bool Sheet() const { return Thickness == 0.0; }
};

// One point, in the order of the file's columns.
struct ScanPoint {
    double T = 0.0;              // K
    double resistivity = 0.0;    // ohm-cm, or ohms/sq for a sheet scan
    double hall = 0.0;           // raw sheet Hall coefficient, m2/C, signed
    double concentration = 0.0;  // /cm3 or /cm2, signed: negative n-type
    double mobility = 0.0;       // cm2/V-s

    // Concentration 0: resistivity only, the Hall quantities are not plotted.
    bool ResistivityOnly() const { return concentration == 0.0; }
};

struct Extent {
    double maximum = 0.0;
    double minimum = 0.0;
    // Strictly greater or smaller values replace the ends.
    void Take(double value) {
        if (value > maximum) maximum = value;
        if (value < minimum) minimum = value;
    }
};

struct ScanData {
    static constexpr int kSlots = 100;

    std::array<ScanPoint, kSlots> points{};
    int count = 0;    // points taken or read
    int current = 0;  // slot of the current point
    bool resistivityOnly = false;

    Extent T, resistivity, concentration, mobility, hall;

    // The initial extents; a file read starts the concentration maximum at 0,
    // so that a file without any concentration can be recognised.
    void ResetExtents(bool fileRead);
    // Takes |value| of columns 2 to 5 and T itself; a resistivity-only point
    // gives only T and resistivity. Zero magnitudes have no logarithm and are
    // left out of the logarithmic extents.
    void TakeExtents(const ScanPoint& point);
    bool HasConcentration() const { return concentration.maximum > 0.0; }
};

// The planned set-points: equal steps in T, or in 1000/T when inverse.
// Empty when fewer than two points are asked for or a temperature is not
// above 0 in the inverse spacing.
std::vector<double> PlanTemperatures(int points, double start, double stop, bool inverse);

// The thickness as a stream writes a double by default ("0", "1.5", "1e-05").
std::string ThicknessText(double thickness);
// The five header lines, each ending in CR LF.
std::string HeaderText(const ScanHeader& header);
// "%5.1f %.2e %+.2e %+.2e %.2e", without the line end.
std::string PointLine(const ScanPoint& point);

struct ScanFileRead {
    ScanHeader header;
    ScanData data;
    bool thicknessRead = false;  // the fifth line held a number

    // What was not taken, so that nothing is lost without a word.
    int skipped = 0;              // points with T or resistivity not above 0, or a value
                                  // beyond a double: passed over, the reading goes on
    long firstSkippedLine = 0;    // the line of the first of them
    long stoppedAtLine = 0;       // text that is not a point ended the reading here; 0: none
    bool beyondCapacity = false;  // points followed the 100th
    // One line per kind of loss, for the Information box and standard error.
    std::vector<std::string> Notes() const;
};

// Reads a scan file. Header lines keep their first 15, 15, 35 and 15
// characters (the rest of a longer line is passed over); at most 100 points
// are read, so memory and time stay bounded whatever follows. A number is at
// most kMaxNumberChars characters long; a longer token ends the reading as
// text that is not a number would (where the next point begins cannot be
// told, since a point may span lines). A point whose five numbers read but
// that is not one the program draws (T or resistivity not above 0, a value
// beyond a double) is skipped and counted, and the reading goes on.
inline constexpr std::size_t kMaxNumberChars = 64;
ScanFileRead ReadScanFile(std::istream& in);
