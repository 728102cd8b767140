// The frame around the measurement windows: the measure commands show a
// window and run it under the run lock (lid check, shape and dimensions, the
// closing temperature reading), and closing a window only hides it.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <memory>
#include <utility>

#include "CountingWindow.h"
#include "MeasureTestSupport.h"
#include "measure/MeasurementWindow.h"
#include "measure/RunFrame.h"
#include "core/RunLock.h"
#include "measure/IVcurve.h"
#include "measure/TCheck.h"
#include "measure/THall.h"
#include "measure/TResBar.h"
#include "measure/TResVdp.h"
#include "TestRecords.h"

namespace {

class CheckTest : public MeasureTest {};
class FrameTest : public MeasureTest {};

// The contact check run through its window by the measure command.
TEST_F(CheckTest, AbortDisconnectsAndLogsWhatWasMeasured) {
    Settings().LogInclude = 1;
    OpenLog();
    Bus_().Replies({"100.0", " 0.6", " 0.7"});
    onOperation = [](const std::string& line) {
        EXPECT_TRUE(State().busy);
        if (line == "W 3 7 S23M23") State().cancelRequested = true;
    };
    TCheck check(program);
    State().cancelRequested = true;  // left from an earlier run: cleared at the start
    RunMeasurement(check);
    EXPECT_FALSE(State().busy);
    EXPECT_EQ(Outcome(), "Cancelled |  | 0");
    EXPECT_EQ(trace.back(), "W 3 7 S0M77");
    EXPECT_EQ(LogBytes(),
              "*** Check Contacts ***\r\nPair\tK-ohms\r\n12\t1\r\n23\t1\r\n34\t\r\n41\t\r\n"
              "13\t\r\n24\t\r\n");
}

TEST_F(FrameTest, RunMeasurementMarksBusyAndClearsTheAbortRequest) {
    CountingWindow window(program);
    State().cancelRequested = true;
    RunMeasurement(window);
    EXPECT_EQ(window.runs, 1);
    EXPECT_TRUE(window.busyInside);
    EXPECT_FALSE(window.cancelInside);
    EXPECT_FALSE(State().busy);
    EXPECT_EQ(State().currentWindow, &window);

    // A measure command arriving while a run is busy does not start a second run.
    {
        const RunLock other = RunLock::TryAcquire(program.Core());
        RunMeasurement(window);
        EXPECT_EQ(window.runs, 1);
    }

    Config().noInstrument = true;
    RunMeasurement(window);
    EXPECT_FALSE(window.busyInside);
}

TEST_F(FrameTest, ClosingHidesAndNeverDeletes) {
    QPointer<CountingWindow> window = new CountingWindow(program);
    window->show();
    EXPECT_FALSE(window->close());
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    delete window.data();
}

TEST_F(FrameTest, ResistivityCommandChecksLidAndDimensions) {
    CountingWindow vdp(program), bar(program);
    int readings = 0;
    const auto readTemperature = [&] { ++readings; };

    Specimen().Shape = 2;
    Specimen().Length = 1.0;
    Bus_().Replies({"14", "2"});
    responder.Add("OK");
    ResistivityCommand(nullptr, vdp, bar, readTemperature);
    EXPECT_EQ(Joined(trace), "R 3 7\nR 3 7\n");
    ASSERT_EQ(Messages(), Lines({"Lid is Open | Please close lid and press OK",
                                 "Resistivity Error | Dimensions Missing"}));
    EXPECT_EQ(responder.Asked()[0].icon, Prompt::Icon::Stop);
    EXPECT_EQ(vdp.runs + bar.runs, 0);
    EXPECT_EQ(readings, 0);

    Specimen().Width = 3.0;
    Bus_().Reply("0");
    ResistivityCommand(nullptr, vdp, bar, readTemperature);
    EXPECT_EQ(bar.runs, 1);
    EXPECT_EQ(readings, 1);

    // With Shape 0 the dimensions are not looked at.
    Specimen().Shape = 0;
    Specimen().Width = 0.0;
    Bus_().Reply("0");
    ResistivityCommand(nullptr, vdp, bar, readTemperature);
    EXPECT_EQ(vdp.runs, 1);
}

TEST_F(FrameTest, LidCancelAndDemoMode) {
    CountingWindow hall(program);
    int readings = 0;
    Bus_().Reply("6");
    responder.Add("Cancel");
    HallCommand(nullptr, hall, [&] { ++readings; });
    EXPECT_EQ(hall.runs, 0);
    EXPECT_EQ(readings, 0);

    trace.clear();
    Config().noInstrument = true;
    HallCommand(nullptr, hall, [&] { ++readings; });
    EXPECT_EQ(hall.runs, 1);
    EXPECT_EQ(readings, 0);
    EXPECT_TRUE(trace.empty());
}

TEST_F(FrameTest, BusErrorDuringTheLidCheckEndsTheCommand) {
    CountingWindow hall(program);
    Bus_().FailRead();
    HallCommand(nullptr, hall, {});
    EXPECT_EQ(hall.runs, 0);
    EXPECT_EQ(Outcome(), "ERROR | GPIB | 0");
}

// Each window is a view over its own run: the automation finds it by the
// run's resource name, it shares the run's fields (the Hall tests read a
// view's labels), and the run's prompts and magnet waits stand over it.
TEST_F(FrameTest, EachWindowShowsItsRunAndOwnsItsPrompts) {
    TCheck check(program);
    IVcurve iv(program);
    TResVdp vdp(program);
    TResBar bar(program);
    THall hall(program);
    const std::pair<MeasurementWindow*, const char*> windows[] = {
        {&check, "CHECK"}, {&iv, "IV"}, {&vdp, "VDPRESIST"}, {&bar, "BARRESIST"}, {&hall, "HALL"}};
    for (const auto& [window, name] : windows) {
        EXPECT_EQ(window->ResourceName(), name);
        EXPECT_EQ(window->objectName(), name);
        EXPECT_EQ(window->Run().Owner(), window) << name;
        EXPECT_EQ(&window->Fields(), &window->Run().Fields()) << name;
    }
}

// At its minimum size every measurement window is still readable: each label
// and field as high as its text, and no two of them over each other. Below
// it the client area scrolls the window rather than squeeze it.
TEST_F(FrameTest, AtTheirMinimumSizeTheWindowsShowEveryRowWhole) {
    TCheck check(program);
    IVcurve iv(program);
    TResVdp vdp(program);
    TResBar bar(program);
    THall hall(program);
    for (MeasurementWindow* window :
         std::initializer_list<MeasurementWindow*>{&check, &iv, &vdp, &bar, &hall}) {
        window->show();
        window->resize(window->minimumSizeHint());
        QApplication::processEvents();
        std::vector<QRect> boxes;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty()) continue;
            const QRect box(label->mapTo(window, QPoint(0, 0)), label->size());
            EXPECT_GE(box.height(), label->fontMetrics().height())
                << window->ResourceName() << " " << label->text().toStdString();
            EXPECT_TRUE(window->rect().contains(box))
                << window->ResourceName() << " " << label->text().toStdString();
            boxes.push_back(box);
        }
        for (std::size_t a = 0; a < boxes.size(); ++a)
            for (std::size_t b = a + 1; b < boxes.size(); ++b)
                EXPECT_FALSE(boxes[a].intersects(boxes[b])) << window->ResourceName();
        window->hide();
    }
}
}  // namespace
