// The tool bar's status fields and graph read-outs hold every text the
// program puts there, whole, in the font they are drawn in.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QWindow>
#include <cstdio>

#include "core/FieldSet.h"
#include "magnet/MagnetMotion.h"
#include "app/MainFrame.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunLock.h"
#include "ScriptedBus.h"
#include "core/StatusFields.h"
#include "platform/TimeScale.h"
#include "magnet/Tmagmove.h"
#include "TestProgram.h"

// A click as the window system delivers it, so that a modal window blocks
// it as it would block the operator's.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button,
                                      QEvent::Type type, Qt::KeyboardModifiers mods, int timestamp);
QT_END_NAMESPACE

namespace {
// The room a label gives its text: inside the frame and margins, less the
// indent a framed label adds by itself when none is set.
int TextRoom(const QLabel& label) {
    int indent = label.indent();
    if (indent < 0)
        indent = label.frameWidth() > 0 ? label.fontMetrics().horizontalAdvance('x') / 2 : 0;
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
    void SetUp() override { UseProgram(program); }
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
        "Ready",      "ERROR",   "Cancelled",   "Check",    "IV-Curve",  "Resistivity",
        "Hall Meas.", "Standby", "Change Temp", "Finished", "AutoSet I", "Stabilizing"};
    EXPECT_EQ(NotWhole(Field(frame, "statusText"), states,
                       [&](const std::string& t) { status.SetText(t); }),
              std::vector<std::string>{});

    // The timed readings' progress at every count a delay (0..100 s) and an
    // integration (0..60 s) can show, with small and large readings, cut to
    // 19 characters as the readings do.
    std::vector<std::string> details = {
        "GPIB",          "AutoSet I",           "I-meas Saturating",
        "A/D OverRange", "Measurement Failure", "F.P.Divide By Zero"};
    for (const char* what : {"Delay", "Integ"})
        for (int count : {1, 9, 10, 60, 99, 100})
            for (double value : {0.013, -0.013, -5.999, 9.999, -9999.999, 88888.888})
                details.push_back(CutToField(Printf("%s %d (%+.3f)", what, count, value), 20));
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
        EXPECT_EQ(
            NotWhole(field, *texts[i], [&](const std::string& t) { status.SetReadout(i, t); }),
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

namespace {
void OperatorClick(QWidget& widget) {
    QWidget* top = widget.window();
    QWindow* window = top->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPointF at = widget.mapTo(top, widget.rect().center());
    static int time = 1000;
    qt_handleMouseEvent(window, at, window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                        QEvent::MouseButtonPress, Qt::NoModifier, time += 100);
    qt_handleMouseEvent(window, at, window->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                        QEvent::MouseButtonRelease, Qt::NoModifier, time += 100);
}

Tmagmove* WaitBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<Tmagmove*>(widget); box && box->isVisible()) return box;
    return nullptr;
}
}  // namespace

TEST_F(ToolBar, TheToolBarsAbortReachesTheRunWhileTheMagnetBoxIsUp) {
    TimeScale::SetFactor(0.001);
    Prompt::ScriptedResponder responder;
    Prompt::SetResponder(&responder);
    auto owned = std::make_unique<ScriptedBus>();
    ScriptedBus& bus = *owned;
    program.SetBus(std::move(owned));
    program.MagnetUnit().SetInitialisationPending(false);  // as after the start-up's own motion
    bus.Poll(0);                                           // the request cleared before the motion
    for (int i = 0; i < 8; ++i) bus.Poll(0);
    bus.Poll(0x50);

    MainFrame frame(program, ControllerKind::None, false);
    frame.show();
    auto* abortAction = frame.findChild<QAction*>("button250");
    ASSERT_NE(abortAction, nullptr);
    QWidget* abortButton = frame.findChild<QToolBar*>("toolbar")->widgetForAction(abortAction);
    ASSERT_NE(abortButton, nullptr);

    RunLock run = RunLock::TryAcquire(program.Core());  // as inside a Hall run
    ASSERT_TRUE(run);
    program.State().cancelRequested = false;
    frame.UpdateCommands();
    bool clicked = false, boxAbortAfter = true, boxUpAfter = false;
    bus.onOperation = [&](const std::string& line) {
        Tmagmove* box = WaitBox();
        if (line != "H" || !box || clicked) return;
        EXPECT_TRUE(abortButton->isEnabled());
        OperatorClick(*abortButton);
        clicked = true;
        boxUpAfter = box->isVisible();
        // The box's own Abort greys on its next tick: the run is told already.
        QObject::connect(&box->Fields(), &FieldSet::changed, [&, box] {
            boxAbortAfter = box->findChild<QPushButton*>("button2")->isEnabled();
        });
    };
    EXPECT_EQ(program.MagnetUnit().MoveMagnet(frame.Client(), "-F"), MotionOutcome::Done);
    bus.onOperation = nullptr;
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(program.State().cancelRequested);
    // The motion went on to its completion; the run ends at its next check.
    EXPECT_TRUE(boxUpAfter);
    EXPECT_EQ(bus.StepsLeft(), 0u);
    EXPECT_FALSE(boxAbortAfter);
    run.Release();
    Prompt::SetResponder(nullptr);
    TimeScale::SetFactor(1.0);
}

TEST_F(ToolBar, OutsideARunTheMagnetBoxStaysModal) {
    // A move from the magnet page: nothing to abort, and nothing else may
    // start while the stage travels.
    TimeScale::SetFactor(0.001);
    auto owned = std::make_unique<ScriptedBus>();
    ScriptedBus& bus = *owned;
    program.SetBus(std::move(owned));
    program.MagnetUnit().SetInitialisationPending(false);
    bus.Poll(0).Poll(0).Poll(0x50);
    bool modal = false, abortEnabled = true;
    bus.onOperation = [&](const std::string& line) {
        if (Tmagmove* box = WaitBox(); box && line == "H") {
            modal = QApplication::activeModalWidget() == box;
            abortEnabled = box->findChild<QPushButton*>("button2")->isEnabled();
        }
    };
    EXPECT_EQ(program.MagnetUnit().MoveMagnet(nullptr, "+F"), MotionOutcome::Done);
    bus.onOperation = nullptr;
    EXPECT_TRUE(modal);
    EXPECT_FALSE(abortEnabled);
    TimeScale::SetFactor(1.0);
}
