#include "app/ViewPrintout.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "scan/GraphLook.h"
#include "records/GraphStyle.h"
#include "core/Printf.h"
#include "records/RecordText.h"
#include "core/RunConfig.h"
#include "scan/TScanBase.h"

namespace {
// The graph's font is kept in screen pixels.
constexpr double kScreenDotsPerInch = 96.0;
constexpr int kTextLines = 6;
}  // namespace

int PrinterTickLength(int dotsPerInch) {
    return std::max(1, static_cast<int>(std::lround(dotsPerInch / 25.4)));
}

int PrinterPenWidth(int printableWidth) {
    return printableWidth > 1000 ? 3 : 1;
}

void PaintViewPrintout(QPainter& p, TScanBase& graph, const RunConfig& config, int width,
                       int height, int dpiX, int dpiY) {
    const int pen = PrinterPenWidth(width);
    // The style's font, scaled from the screen to the printer, for the
    // graph's paint and the texts around it alike; the style itself stays.
    GraphStyle& style = graph.StyleOf();
    const std::int32_t screenHeight = style.FontHeight;
    const double scale = dpiY / kScreenDotsPerInch;
    const int pixels = std::abs(screenHeight) ? std::abs(screenHeight) : 13;
    style.FontHeight = -static_cast<std::int32_t>(std::lround(pixels * scale));
    const QFont font = GraphFont(style);
    p.setFont(font);
    p.setPen(QPen(Qt::black, pen));
    const QFontMetrics m(font, p.device());
    const int L = m.lineSpacing();

    const QString caption = QString::fromStdString(graph.Title());
    p.drawText(QRect(0, 0, width, L), Qt::AlignHCenter | Qt::AlignTop, caption);
    const int top = L + L / 2;
    const int bottom = height - (kTextLines + 1) * L;
    const QRect area(0, top, width, std::max(L, bottom - top));
    p.save();
    graph.Paint(p, area, PrinterTickLength(dpiX), pen);
    p.restore();
    style.FontHeight = screenHeight;

    p.setFont(font);
    p.setPen(QPen(Qt::black, pen));
    const ScanHeader header = graph.Header();
    // The title is Unicode already; the rest is the header's 8-bit text.
    const QString lines[kTextLines] = {
        "File: " + QString::fromStdString(graph.Title()),
        FromRecordText(Printf("%s: %s", config.ID1.c_str(), header.WaferID.c_str())),
        FromRecordText(Printf("%s: %s", config.ID2.c_str(), header.BatchID.c_str())),
        FromRecordText(header.Description),
        FromRecordText(Printf("Material: %s", header.Material.c_str())),
        FromRecordText(Printf("Thickness: %.3lf", header.Thickness))};
    int y = area.bottom() + L / 2;
    for (const QString& line : lines) {
        p.drawText(QPoint(0, y + m.ascent()), line);
        y += L;
    }
}
