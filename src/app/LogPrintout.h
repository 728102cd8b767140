#pragma once
// The results page "Hall Results": heading, specimen, measuring conditions,
// the framed results summary, and the sections of the measurement windows
// that are open and visible, each drawn by the window's own print routine.
#include <QRect>
#include <array>
#include <functional>
#include <string>

class ProgramState;
class QPainter;

struct ResultsPageText {
    std::string date, time;
    std::string id1Label, id2Label;
    std::string waferId, batchId, material, description;
    double thickness = 0.0;
    bool bar = false;  // a bar or bridge specimen: its length and width are printed
    double length = 0.0, width = 0.0;
    std::string currentLine;  // "I-meas: ..." as printed
    std::string temperature;
    double tesla = 0.0;
    int targetVoltage = 0;
    std::array<std::string, 6> results;  // the panel's field texts as displayed
};

// The sections: each draws its table with the painter's origin at the line
// below its heading, given the line height L and the character width W.
struct ResultsPageSections {
    std::function<void(QPainter&, int L, int W)> check;        // "CONTACT CHECK", line 17
    std::function<void(QPainter&, int L, int W)> resistivity;  // "RESISTIVITY", line 30
    std::function<void(QPainter&, int L, int W)> hall;         // "HALL MEASUREMENTS", line 38
    std::function<void(QPainter&, const QRect& area)> iv;      // the IV plot, line 16
};

// The present state as the page prints it.
ResultsPageText CurrentResultsPage(ProgramState& program);

// Draws the page on a device `pageWidth` device units wide with the given
// horizontal resolution, from the painter's origin.
void PaintLogPrintout(QPainter& painter, const ResultsPageText& page,
                      const ResultsPageSections& sections, int pageWidth, int pageHeight,
                      int dotsPerInchX);

// The printout's fonts: Courier New a sixth of an inch high (a metric twin
// where it is not installed), weight 500, or 700 and underlined.
class QFont;
QFont PrintoutFont(int dotsPerInchX, bool heading);
