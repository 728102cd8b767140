// The results page drawn onto a recording device: every text where the page
// puts it, nothing overlapping, the frame around the summary, the windows'
// tables at their lines; and the printer object's PDF output.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextItem>

#include "measure/IVcurve.h"
#include "app/LogPrintout.h"
#include "records/PageSetup.h"
#include "app/Printer.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "measure/TCheck.h"
#include "measure/THall.h"
#include "measure/TResBar.h"
#include "measure/TResVdp.h"
#include "TestProgram.h"

namespace {
struct Text {
    QPointF at;  // baseline start, device units
    QString text;
};

// Records texts, framed rectangles and lines, in device coordinates.
class RecordingEngine : public QPaintEngine {
  public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyPen) pen_ = state.pen();
        if (state.state() & DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts.push_back({transform_.map(p), item.text()});
    }
    void drawRects(const QRectF* rects, int count) override {
        if (pen_.style() == Qt::NoPen) return;  // a heading's blank background
        for (int i = 0; i < count; ++i) frames.push_back(transform_.mapRect(rects[i]));
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) rules.push_back(transform_.map(lines[i]));
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return User; }

    std::vector<Text> texts;
    std::vector<QRectF> frames;
    std::vector<QLineF> rules;

  private:
    QPen pen_;
    QTransform transform_;
};

// A page of 8 x 10.5 inches at 600 dpi.
class RecordingPage : public QPaintDevice {
  public:
    static constexpr int kDpi = 600;
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric m) const override {
        if (m == PdmWidth) return 8 * kDpi;
        if (m == PdmHeight) return 21 * kDpi / 2;
        if (m == PdmDpiX || m == PdmDpiY || m == PdmPhysicalDpiX || m == PdmPhysicalDpiY)
            return kDpi;
        if (m == PdmDepth) return 32;
        if (m == PdmWidthMM) return 203;
        if (m == PdmHeightMM) return 267;
        if (m == PdmNumColors) return INT_MAX;
        if (m == PdmDevicePixelRatio) return 1;
        if (m == PdmDevicePixelRatioScaled)
            return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        return 0;
    }
    mutable RecordingEngine engine;
};

ResultsPageText SamplePage(bool bar) {
    ResultsPageText t;
    t.date = "08/12/26", t.time = "10:15", t.id1Label = "Wafer ID", t.id2Label = "Batch ID";
    t.waferId = "W1", t.batchId = "L7", t.material = "GaAs", t.description = "etched";
    t.thickness = 2, t.bar = bar, t.length = 5, t.width = 1.25;
    t.currentLine = "I-meas: 100 \265A DC", t.temperature = "AMB", t.tesla = 0.5;
    t.targetVoltage = 50;
    t.results = {"150.6", "0.03012", "-62.4", "4.14e+03", "-1.000e+13", "-5.000e+16"};
    return t;
}

class PrintoutTest : public ::testing::Test {
  protected:
    void SetUp() override { UseProgram(program); }
    void Paint(const ResultsPageText& t, const ResultsPageSections& s = {}) {
        QPainter p(&page_);
        PaintLogPrintout(p, t, s, page_.width(), page_.height(), RecordingPage::kDpi);
        const QFontMetrics m(PrintoutFont(RecordingPage::kDpi, false), &page_);
        L_ = m.height() + m.leading();
        W_ = m.averageCharWidth();
        ascent_ = m.ascent();
    }
    const Text* Find(const QString& text) const {
        for (const Text& t : page_.engine.texts)
            if (t.text == text) return &t;
        return nullptr;
    }
    // The line a text stands on, from its baseline.
    double LineOf(const Text& t) const { return (t.at.y() - ascent_) / L_; }
    double ColumnOf(const Text& t) const { return t.at.x() / W_; }
    struct Place {
        const char* text;
        double line, column;
    };
    void ExpectAt(std::initializer_list<Place> places) const {
        for (const auto& e : places) {
            const Text* t = Find(QString::fromUtf8(e.text));
            ASSERT_NE(t, nullptr) << e.text;
            EXPECT_NEAR(LineOf(*t), e.line, 0.01) << e.text;
            EXPECT_NEAR(ColumnOf(*t), e.column, 0.05) << e.text;
        }
    }

    ProgramState program;
    RecordingPage page_;
    int L_ = 0, W_ = 0, ascent_ = 0;
};
}  // namespace

TEST_F(PrintoutTest, EveryLineOfThePageStandsAtItsLineAndColumn) {
    Paint(SamplePage(false));
    const double third = page_.width() / 3.0 / W_, half = page_.width() / 2.0 / W_;
    ExpectAt({{"Quorvex RT4400 Hall System", 0, 3},
              {"Measured on 08/12/26 at 10:15", 1, 3},
              {"SPECIMEN", 3, 3},
              {"Wafer ID: W1", 4, 3},
              {"Batch ID: L7", 5, 3},
              {"Material: GaAs", 6, 3},
              {"Description: etched", 7, 3},
              {"Thickness: 2.000 \u00b5m", 8, 3},
              {"MEASURING CONDITIONS", 3, half},
              {"I-meas: 100 \u00b5A DC", 4, half},
              {"Temperature: AMB", 5, half},
              {"Field: 0.500 Tesla", 6, half},
              {"Targ.Vr: 50 mV", 8, half},
              {"RESULTS SUMMARY", 11, 3},
              {"Rs:     150.6 ohm/sq", 12, 3},
              {"R :   0.03012 ohm-cm", 13, 3},
              {"RHs:     -62.4 m\u00b2/C", 12, third},
              {"Mob:  4.14e+03 cm\u00b2/V-s", 13, third},
              {"Ns: -1.000e+13 /cm\u00b2", 12, 2 * third},
              {"N : -5.000e+16 /cm\u00b3", 13, 2 * third}});
    EXPECT_EQ(Find("Length   : 5.00 mm"), nullptr);
    EXPECT_EQ(Find("CONTACT CHECK"), nullptr);
}

TEST_F(PrintoutTest, TheFrameEnclosesTheSummaryAndNoTextsOverlap) {
    ResultsPageText t = SamplePage(true);
    // The widest texts the panel's fields can hold.
    t.results = {"-1.234e+05", "-1.234e+05",  "-1.23e+05",
                 "-1.23e+05",  "-1.234e+123", "-1.234e+123"};
    Paint(t);
    ASSERT_NE(Find("Length   : 5.00 mm"), nullptr);
    EXPECT_NEAR(LineOf(*Find("Width    : 1.25 mm")), 10, 0.01);
    ASSERT_EQ(page_.engine.frames.size(), 1u);
    const QRectF frame = page_.engine.frames[0];
    EXPECT_LE(frame.right(), page_.width());
    std::vector<QRectF> boxes;
    for (const Text& x : page_.engine.texts) {
        const QRectF box(x.at.x(), x.at.y() - ascent_, x.text.size() * W_, L_ - 1);
        const double line = LineOf(x);
        if (line > 11.5 && line < 14) {
            EXPECT_TRUE(frame.contains(box)) << x.text.toStdString();
        }
        EXPECT_LE(box.right(), page_.width()) << x.text.toStdString();
        for (const QRectF& other : boxes)
            EXPECT_FALSE(box.intersects(other)) << x.text.toStdString();
        boxes.push_back(box);
    }
}

TEST_F(PrintoutTest, TheWindowsTablesStandAtTheirLines) {
    Config().noInstrument = true;  // the IV window shows its demonstration lines
    TCheck check(program);
    check.Fields().Set(9, "K-ohms"), check.Fields().Set(10, "1.5");
    TResVdp vdp(program);
    vdp.Fields().Set(10, "+3.323e-03"), vdp.Fields().Set(50, "150.6");
    THall hall(program);
    for (auto [id, text] : {std::pair{1, "24"}, {2, "13"}, {13, "-3.12e-03"}, {24, "+3.12e-03"}})
        hall.Fields().Set(id, text);
    IVcurve iv(program);
    QRect ivArea;
    ResultsPageSections s;
    s.check = [&check](QPainter& p, int L, int W) { check.Print(p, L, W); };
    s.resistivity = [&vdp](QPainter& p, int L, int W) { vdp.Print(p, L, W); };
    s.hall = [&hall](QPainter& p, int L, int W) { hall.Print(p, L, W); };
    s.iv = [&iv, &ivArea](QPainter& p, const QRect& area) {
        ivArea = area;
        iv.Print(p, area);
    };
    Paint(SamplePage(false), s);
    ExpectAt({{"CONTACT CHECK", 17, 3},
              {"Pair      K-ohms", 18, 3},
              {"12           1.5", 19, 3},
              {"RESISTIVITY", 30, 3},
              {"Meas    +++   Vm   ---", 31, 3},
              {"Sym  Factor R-sheet", 31, 32},
              {"+3.323e-03", 32, 8},
              {"150.6", 32, 44},
              {"HALL MEASUREMENTS", 38, 3},
              {"+++   24   ---         +++   13   ---", 39, 28},
              {"V-hall North", 42, 3},
              // Each value under its configuration's "+++" or "---".
              {"-3.12e-03", 42, 28},
              {"+3.12e-03", 42, 28 + 34},
              {"V-hall (over all cycles)", 45, 3}});
    EXPECT_EQ(ivArea.topLeft(), QPoint(page_.width() / 3, 16 * L_));
    // The IV plot (two inch-high panes) ends above the resistivity heading,
    // and right of the contact check's table.
    double ivBottom = 0, ivLeft = 1e9;
    for (const QRectF& f : page_.engine.frames) {
        if (f.top() < 16 * L_ - 1) continue;
        ivBottom = std::max(ivBottom, f.bottom());
        ivLeft = std::min(ivLeft, f.left());
    }
    EXPECT_LT(ivBottom, 30 * L_);
    EXPECT_GT(ivLeft, (3 + 16) * W_);
    // The rules between the halves of the two tables.
    EXPECT_EQ(page_.engine.rules.size() >= 2, true);
    Config().noInstrument = false;
}

TEST(MyPrinterTest, PrintToWritesAPdfWithoutAskingAndKeepsTheMargins) {
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("page.pdf").toStdString();
    ProgramState program;
    UseProgram(program);
    MyPrinter printer(program.Records(), pdf);
    Prompt::ScriptedResponder responder;
    Prompt::SetResponder(&responder);
    EXPECT_TRUE(printer.Available());
    bool drawn = false;
    ASSERT_TRUE(printer.PrintPage(nullptr, "Hall Results", "W1", false, true,
                                  [&drawn](QPainter& p, QPagedPaintDevice& device) {
                                      drawn = device.width() > 0;
                                      p.drawText(100, 100, "x");
                                  }));
    EXPECT_TRUE(drawn);
    EXPECT_TRUE(responder.Asked().empty());
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_EQ(printer.LastOutput(), pdf);
    // Page set-up: the margins come back in hundredths of a millimetre.
    PrinterPage().margins = {1500, 1000, 2500, 1200};
    responder.Add("OK");
    printer.Setup(nullptr);
    EXPECT_EQ(PrinterPage().margins, (std::array<std::int32_t, 4>{1500, 1000, 2500, 1200}));
    // A margin typed into the dialog is kept; one out of range keeps it open.
    responder.onDialog = [](QDialog& d) {
        if (auto* left = d.findChild<QLineEdit*>("field103")) left->setText("12.5");
        if (auto* bottom = d.findChild<QLineEdit*>("field106")) bottom->setText("250");
    };
    responder.Add("OK");
    printer.Setup(nullptr);
    EXPECT_EQ(PrinterPage().margins, (std::array<std::int32_t, 4>{1500, 1000, 2500, 1200}));
    EXPECT_EQ(responder.Asked().back().caption, "Page Setup");
    responder.onDialog = [](QDialog& d) {
        if (auto* left = d.findChild<QLineEdit*>("field103")) left->setText("12.5");
    };
    responder.Add("OK");
    printer.Setup(nullptr);
    EXPECT_EQ(PrinterPage().margins, (std::array<std::int32_t, 4>{1250, 1000, 2500, 1200}));
    EXPECT_FALSE(PrinterPage().orientation.has_value());  // no device description to keep it in
    Prompt::SetResponder(nullptr);
}

TEST(MyPrinterTest, WithoutAPrinterThePdfFileIsAskedForAndCancelPrintsNothing) {
    ProgramState program;
    UseProgram(program);
    MyPrinter printer(program.Records());
    if (printer.HasDefaultPrinter()) GTEST_SKIP() << "a printer is installed here";
    EXPECT_FALSE(printer.NoPrinterWarning().empty());
    Prompt::ScriptedResponder responder;  // no answer: the file dialog is cancelled
    Prompt::SetResponder(&responder);
    Config().noInstrument = false;
    bool drawn = false;
    EXPECT_FALSE(printer.PrintPage(nullptr, "Hall Results", "W/1", false, true,
                                   [&drawn](QPainter&, QPagedPaintDevice&) { drawn = true; }));
    EXPECT_FALSE(drawn);
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(responder.Asked()[0].kind, "save");
    // The name comes from the Wafer ID, made fit for a file name.
    EXPECT_NE(responder.Asked()[0].text.find("W_1.pdf"), std::string::npos);
    Prompt::SetResponder(nullptr);
}
