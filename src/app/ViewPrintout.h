#pragma once
// The graph page "Hall Temperature Scan": the scan window's caption centred
// above the graph, the graph drawn by the window's own paint with the
// printer's tick length and pen width, and the scan's identity below it.
#include <string>

class QPainter;
class TScanBase;
struct RunConfig;

// The printed tick length: 1 mm in device units, so printed markers and
// ticks have the same size on paper whatever the printer's resolution.
int PrinterTickLength(int dotsPerInch);
// Pen width of the graph page: 3 on a device more than 1000 units wide, else 1.
int PrinterPenWidth(int printableWidth);

// Draws the page into the area (width x height) at the painter's origin,
// which is the page less the page set-up's margins.
void PaintViewPrintout(QPainter& painter, TScanBase& graph, const RunConfig& config, int width,
                       int height, int dotsPerInchX, int dotsPerInchY);
