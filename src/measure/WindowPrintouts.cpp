// The printable forms of the measurement windows on the results page. The
// page's font is fixed-pitch, so a column is a character position.
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "core/FieldSet.h"
#include "core/Printf.h"
#include "records/RecordText.h"
#include "measure/TCheck.h"
#include "measure/THall.h"
#include "measure/TResBar.h"
#include "measure/TResVdp.h"

namespace {
struct Grid {
    QPainter& p;
    int L;
    int W;
    void At(double column, double line, const std::string& text) const {
        p.drawText(QPointF(column * W, line * L + p.fontMetrics().ascent()), FromRecordText(text));
    }
    // A vertical rule at a column, from the top of `first` to the bottom of `last`.
    void Rule(double column, int first, int last) const {
        p.save();
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(column * W, first * L), QPointF(column * W, (last + 1) * L));
        p.restore();
    }
};

std::string Field(const FieldSet& fields, int id, std::size_t characters) {
    return CutToField(fields.Get(id), characters + 1);
}
}  // namespace

void TCheck::Print(QPainter& painter, int L, int W) const {
    const Grid g{painter, L, W};
    constexpr int kUnit = 9, kFirstValue = 10;
    g.At(0, 0, Printf("%-6s%10s", "Pair", Field(Fields(), kUnit, 9).c_str()));
    for (int k = 0; k < 6; ++k)
        g.At(0, 1 + k,
             Printf("%-6s%10s", Field(Fields(), 1 + k, 9).c_str(),
                    Field(Fields(), kFirstValue + k, 9).c_str()));
}

void TResVdp::Print(QPainter& painter, int L, int W) const {
    const Grid g{painter, L, W};
    g.At(0, 0, "Meas    +++   Vm   ---");
    g.At(29, 0, "Sym  Factor R-sheet");
    for (int i = 0; i < 4; ++i) {
        const int line = 1 + i;
        g.At(0, line, Field(Fields(), 1 + i, 4));
        g.At(5, line, Field(Fields(), 10 + i, 10));
        g.At(16, line, Field(Fields(), 20 + i, 10));
        g.At(29, line, Field(Fields(), 30 + i, 4));
        g.At(34, line, Field(Fields(), 40 + i, 6));
        g.At(41, line, Field(Fields(), 50 + i, 10));
    }
    g.Rule(27.5, 0, 4);
}

void TResBar::Print(QPainter& painter, int L, int W) const {
    const Grid g{painter, L, W};
    g.At(0, 0, "Meas   +++  Vm  ---");
    for (int i = 0; i < 2; ++i) {
        g.At(0, 1 + i, Field(Fields(), 1 + i, 4));
        g.At(5, 1 + i, Field(Fields(), 10 + i, 10));
        g.At(16, 1 + i, Field(Fields(), 20 + i, 10));
    }
}

void THall::Print(QPainter& painter, int L, int W) const {
    const Grid g{painter, L, W};
    constexpr int kTitles = 25;  // where the values start
    const std::string label0 = Field(Fields(), kLabelField, 9);
    const std::string label1 = Field(Fields(), kLabelField + 1, 9);
    const std::string header =
        Printf("+++   %s   ---         +++   %s   ---", label0.c_str(), label1.c_str());
    g.At(kTitles, 0, header);
    // Each configuration's two columns stand under its "+++" and "---".
    const std::size_t p0 = header.find("+++"), n0 = header.find("---");
    const std::size_t p1 = header.find("+++", n0), n1 = header.find("---", p1);
    const double columns[2][2] = {{kTitles + double(p0), kTitles + double(n0)},
                                  {kTitles + double(p1), kTitles + double(n1)}};
    struct Row {
        const char* title;
        int base;  // field of configuration 0, polarity P
        bool perPolarity;
    };
    const Row rows[] = {{"Misalignment", 10, true},
                        {"Offset applied", 12, false},
                        {"V-hall North", 13, true},
                        {"V-hall South", 15, true},
                        {"V-hall (mean)", 17, false}};
    int line = 1;
    for (const Row& row : rows) {
        g.At(0, line, row.title);
        for (int c = 0; c < 2; ++c) {
            const int id = row.base + 10 * c;
            g.At(columns[c][0], line, Field(Fields(), id, 9));
            if (row.perPolarity) g.At(columns[c][1], line, Field(Fields(), id + 1, 9));
        }
        ++line;
    }
    g.At(0, line, "V-hall (over all cycles)");
    g.At(columns[0][0], line, Printf("%+.2le", Run().HallOverAll()));
    g.Rule((columns[0][1] + 10 + columns[1][0]) / 2.0 - 0.5, 0, line - 1);
}
