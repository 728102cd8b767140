#include "app/LogPrintout.h"
#include "records/ProgramState.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "records/ArchiveSettings.h"
#include "records/DateTimeText.h"
#include "measure/IVCurveMath.h"
#include "core/MeasurementSettings.h"
#include "core/Printf.h"
#include "records/RecordText.h"
#include "records/RecordsLinks.h"
#include "measure/Results.h"
#include "core/RunConfig.h"
#include "core/SpecimenData.h"

namespace {
QString Latin(const std::string& text) {
    return FromRecordText(text);
}

void Line(QPainter& p, double x, int line, int L, const QString& text) {
    p.drawText(QPointF(x, line * L + p.fontMetrics().ascent()), text);
}

// A heading is drawn on a blank background, as it may sit on a frame line.
void Heading(QPainter& p, const QFont& font, double x, int line, int L, const QString& text) {
    p.save();
    p.setFont(font);
    const QFontMetrics m = p.fontMetrics();
    p.fillRect(QRectF(x, line * L, m.horizontalAdvance(text), m.height()), Qt::white);
    Line(p, x, line, L, text);
    p.restore();
}

void Section(QPainter& p, const QFont& heading, int W, int L, int line, const char* title,
             const std::function<void(QPainter&, int, int)>& draw) {
    if (!draw) return;
    Heading(p, heading, 3 * W, line, L, title);
    p.save();
    p.translate(3 * W, (line + 1) * L);
    draw(p, L, W);
    p.restore();
}
}  // namespace

QFont PrintoutFont(int dotsPerInchX, bool heading) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Cousine"), QStringLiteral("DejaVu Sans Mono")});
    font.setFixedPitch(true);
    font.setPixelSize(std::max(1, dotsPerInchX / 6));
    font.setWeight(heading ? QFont::Bold : QFont::Medium);
    font.setUnderline(heading);
    return font;
}

ResultsPageText CurrentResultsPage(ProgramState& program) {
    FormatNow();
    ResultsPageText t;
    t.date = DateText();
    t.time = TimeText();
    t.id1Label = program.Config().ID1;
    t.id2Label = program.Config().ID2;
    const SpecimenData& sp = program.Specimen();
    t.waferId = sp.WaferID;
    t.batchId = sp.BatchID;
    t.material = sp.Material;
    t.description = sp.Description;
    t.thickness = sp.Thickness;
    t.bar = sp.Shape != 0;
    t.length = sp.Length;
    t.width = sp.Width;
    const MeasurementSettings& st = program.Settings();
    const CurrentUnit unit = CurrentUnitFor(st.Iunits);
    t.currentLine =
        Printf("I-meas: %.3lg %s %s", st.Current * unit.factor, unit.logText, st.AC ? "AC" : "DC");
    t.temperature = ControllerText(program.Records());
    t.tesla = st.Tesla;
    t.targetVoltage = sp.Shape == 0 ? st.TargVrVDP : st.TargVrBar;
    for (int i = 0; i < 6; ++i) t.results[static_cast<std::size_t>(i)] = ResultsFields().Get(i + 1);
    return t;
}

void PaintLogPrintout(QPainter& p, const ResultsPageText& t, const ResultsPageSections& sections,
                      int pageWidth, int pageHeight, int dpi) {
    (void)pageHeight;
    const QFont body = PrintoutFont(dpi, false);
    const QFont heading = PrintoutFont(dpi, true);
    p.setFont(body);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    const QFontMetrics m = p.fontMetrics();
    const int L = m.height() + m.leading();
    const int W = m.averageCharWidth();
    const double x0 = 3 * W;

    Line(p, x0, 0, L, "Quorvex RT4400 Hall System");
    Line(p, x0, 1, L, Latin(Printf("Measured on %s at %s", t.date.c_str(), t.time.c_str())));

    Heading(p, heading, x0, 3, L, "SPECIMEN");
    Line(p, x0, 4, L, Latin(t.id1Label + ": " + t.waferId));
    Line(p, x0, 5, L, Latin(t.id2Label + ": " + t.batchId));
    Line(p, x0, 6, L, Latin("Material: " + t.material));
    Line(p, x0, 7, L, Latin("Description: " + t.description));
    Line(p, x0, 8, L, Latin(Printf("Thickness: %.3f \265m", t.thickness)));
    if (t.bar) {
        Line(p, x0, 9, L, Latin(Printf("Length   : %.2f mm", t.length)));
        Line(p, x0, 10, L, Latin(Printf("Width    : %.2f mm", t.width)));
    }

    const double xc = pageWidth / 2.0;
    Heading(p, heading, xc, 3, L, "MEASURING CONDITIONS");
    Line(p, xc, 4, L, Latin(t.currentLine));
    Line(p, xc, 5, L, Latin("Temperature: " + t.temperature));
    Line(p, xc, 6, L, Latin(Printf("Field: %.3lf Tesla", t.tesla)));
    Line(p, xc, 8, L, Latin(Printf("Targ.Vr: %d mV", t.targetVoltage)));

    // The summary: its frame, the heading on the frame's top line, then two
    // lines of three columns.
    p.save();
    p.translate(x0, 11 * L);
    p.drawRect(QRectF(QPointF(-W, L / 2.0), QPointF(pageWidth - 7.0 * W, 3.5 * L)));
    Heading(p, heading, 0, 0, L, "RESULTS SUMMARY");
    p.translate(0, L);
    auto cut = [&t](int i, std::size_t n) {
        return CutToField(t.results[static_cast<std::size_t>(i)], n + 1);
    };
    // The columns stand at a third and two thirds of the page itself, as the
    // conditions stand at its half; so the third column ends inside the
    // frame on A4 as on Letter.
    const double c2 = pageWidth / 3.0 - x0, c3 = 2.0 * pageWidth / 3.0 - x0;
    Line(p, 0, 0, L, Latin(Printf("Rs: %9s ohm/sq", cut(0, 9).c_str())));
    Line(p, 0, 1, L, Latin(Printf("R : %9s ohm-cm", cut(1, 9).c_str())));
    Line(p, c2, 0, L, Latin(Printf("RHs: %9s m\262/C", cut(2, 9).c_str())));
    Line(p, c2, 1, L, Latin(Printf("Mob: %9s cm\262/V-s", cut(3, 9).c_str())));
    Line(p, c3, 0, L, Latin(Printf("Ns: %10s /cm\262", cut(4, 11).c_str())));
    Line(p, c3, 1, L, Latin(Printf("N : %10s /cm\263", cut(5, 11).c_str())));
    p.restore();

    Section(p, heading, W, L, 17, "CONTACT CHECK", sections.check);
    Section(p, heading, W, L, 30, "RESISTIVITY", sections.resistivity);
    Section(p, heading, W, L, 38, "HALL MEASUREMENTS", sections.hall);
    if (sections.iv) {
        p.save();
        sections.iv(p, QRect(pageWidth / 3, 16 * L, pageWidth - pageWidth / 3, 13 * L));
        p.restore();
    }
}
