// The tool bar's status fields and graph read-outs hold every text the
// program puts there, whole, in the font they are drawn in.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <cstdio>

#include "MainFrame.h"
#include "Printf.h"
#include "ProgramState.h"
#include "StatusFields.h"

namespace {
// The room a label gives its text: inside the frame and margins, less the
// indent a framed label adds by itself when none is set.
int TextRoom(const QLabel& label) {
    int indent = label.indent();
    if (indent < 0) indent = label.frameWidth() > 0 ? label.fontMetrics().horizontalAdvance('x') / 2 : 0;
    return label.contentsRect().width() - 2 * label.margin() - indent;
}

// Texts a field shows that it does not hold whole, with the reason.
std::vector<std::string> NotWhole(QLabel& label, const std::vector<std::string>& texts,
                                  const std::function<void(const std::string&)>& show) {
    std::vector<std::string> cut;
    for (const std::string& text : texts) {
        show(text);
        const QString expected = QString::fromStdString(text);
        const int needed = QFontMetrics(label.font()).horizontalAdvance(expected);
        if (label.text() != expected || needed >= TextRoom(label))
            cut.push_back(text + " (shown '" + label.text().toStdString() + "', " +
                          std::to_string(needed) + " px in " + std::to_string(TextRoom(label)) +
                          ")");
    }
    return cut;
}

std::string Formatted(const char* format, double value) {
    char b[64];
    std::snprintf(b, sizeof b, format, value);
    return b;
}

class ToolBar : public ::testing::Test {
  protected:
    void SetUp() override { program.Install(); }
    QLabel& Field(MainFrame& frame, const char* name) {
        auto* label = frame.findChild<QLabel*>(name);
        EXPECT_NE(label, nullptr) << name;
        return *label;
    }
    ProgramState program;
};
}  // namespace

TEST_F(ToolBar, StatusFieldsHoldEveryFixedTextAndEveryProgressText) {
    MainFrame frame(program, ControllerKind::LN2, false);
    frame.show();
    StatusFields& status = program.Status();
    const std::vector<std::string> states = {
        "Ready",       "ERROR",    "Cancelled", "Check",     "IV-Curve",   "Resistivity",
        "Hall Meas.",  "Standby",  "Change Temp", "Finished", "AutoSet I", "Stabilizing"};
    EXPECT_EQ(NotWhole(Field(frame, "statusText"), states,
                       [&](const std::string& t) { status.SetText(t); }),
              std::vector<std::string>{});

    // The timed readings' progress at every count a delay (0..100 s) and an
    // integration (0..60 s) can show, with small and large readings, cut to
    // 19 characters as the readings do.
    std::vector<std::string> details = {"GPIB", "AutoSet I", "I-meas Saturating",
                                        "A/D OverRange", "Measurement Failure",
                                        "F.P.Divide By Zero"};
    for (const char* what : {"Delay", "Integ"})
        for (int count : {1, 9, 10, 60, 99, 100})
            for (double value : {0.013, -0.013, -5.999, 9.999, -9999.999, 88888.888})
                details.push_back(
                    CutToField(Printf("%s %d (%+.3f)", what, count, value), 20));
    EXPECT_EQ(details.back().size(), 19u);
    EXPECT_EQ(NotWhole(Field(frame, "statusDetail"), details,
                       [&](const std::string& t) { status.SetDetail(t); }),
              std::vector<std::string>{});
}

TEST_F(ToolBar, ReadoutsHoldEveryNumberOfTheirFormats) {
    MainFrame frame(program, ControllerKind::LN2, false);
    frame.show();
    StatusFields& status = program.Status();
    std::vector<std::string> temperatures, left, right;
    for (double t : {0.5, 77.0, 293.2, 999.9, 1999.9, -273.1})
        temperatures.push_back(Formatted("T= %.1lf", t));
    for (double v : {1.55e-2, 9.99e-99, 8.88e+88, 1.0e17, 2.5e-10})
        for (const char* name : {"R= %.2e", "N= %.2e"}) left.push_back(Formatted(name, v));
    for (double v : {1.55e-2, 9.99e-99, 8.88e+88, 9.57e3})
        for (const char* name : {"Rh= %.2e", "\xC2\xB5= %.2e"}) right.push_back(Formatted(name, v));
    const std::vector<std::string>* texts[] = {&temperatures, &left, &right};
    const char* names[] = {"readout0", "readout1", "readout2"};
    for (int i = 0; i < 3; ++i) {
        QLabel& field = Field(frame, names[i]);
        const int width = field.width();
        EXPECT_EQ(NotWhole(field, *texts[i], [&](const std::string& t) { status.SetReadout(i, t); }),
                  std::vector<std::string>{})
            << names[i];
        // These are the formats' longest: the field did not have to grow.
        EXPECT_EQ(field.width(), width) << names[i];
    }
    // A number beyond them (a three-digit exponent) is still shown whole.
    EXPECT_EQ(NotWhole(Field(frame, "readout1"), {"R= 1.55e-302"},
                       [&](const std::string& t) { status.SetReadout(1, t); }),
              std::vector<std::string>{});
}

TEST_F(ToolBar, AnExceptionTooLongForTheDetailIsCutAndWholeInTheTooltip) {
    MainFrame frame(program, ControllerKind::None, false);
    QLabel& detail = Field(frame, "statusDetail");
    const int width = detail.width();
    program.Status().SetDetail("Function sqrt: DOMAIN error");
    EXPECT_EQ(detail.width(), width);
    EXPECT_TRUE(detail.text().endsWith(QChar(0x2026))) << detail.text().toStdString();
    EXPECT_EQ(detail.toolTip().toStdString(), "Function sqrt: DOMAIN error");
    program.Status().SetDetail("GPIB");
    EXPECT_EQ(detail.text().toStdString(), "GPIB");
    EXPECT_TRUE(detail.toolTip().isEmpty());
}
