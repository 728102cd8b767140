// Magnet motion with its wait dialog, and the status word.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QPointer>
#include <climits>

#include "core/FieldSet.h"
#include "MagnetFixture.h"
#include "magnet/MagnetMotion.h"
#include "magnet/MagnetStatus.h"
#include "core/MeasurementState.h"
#include "magnet/Tmagmove.h"
#include "TestRecords.h"

namespace {

using Lines = std::vector<std::string>;

class MoveMagnetTest : public MagnetFixture {
  protected:
    // Runs the motion and records every value field 101 takes.
    MotionOutcome Move(const std::string& command, QWidget* parent = nullptr) {
        bus->onOperation = [this](const std::string& line) {
            if (line != "H" || watching) return;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<Tmagmove*>(widget);
                if (!dialog || !dialog->isVisible()) continue;
                watching = true;
                seconds.push_back(dialog->Fields().Get(101));
                QObject::connect(&dialog->Fields(), &FieldSet::changed,
                                 [this](int id, const QString& text) {
                                     if (id == 101) seconds.push_back(text.toStdString());
                                 });
                EXPECT_EQ(dialog->windowTitle().toStdString(), "Wait for Magnet");
                EXPECT_TRUE(dialog->isModal());
            }
        };
        return instruments.MagnetUnit().MoveMagnet(parent, command);
    }
    size_t Polls() const { return bus->LogStarting("H").size(); }

    bool watching = false;
    Lines seconds;
};

TEST_F(MoveMagnetTest, CompletionBytesEndTheMotionSilently) {
    for (int done : {0x50, 0x68}) {
        bus->ClearLog();
        bus->Poll(0x50).Poll(0).Poll(0).Poll(done);  // the first, stale request is dropped
        EXPECT_EQ(Move("+F+R-F"), MotionOutcome::Done) << done;
        EXPECT_EQ(bus->Log(), (Lines{"H", "W 3 12 +F+R-F", "H", "H", "H"})) << done;
        EXPECT_TRUE(responder.Asked().empty()) << done;
        EXPECT_EQ(bus->StepsLeft(), 0u);
    }
}

TEST_F(MoveMagnetTest, FaultBytesAreReportedWithTheirStatusText) {
    bus->Poll(0).Poll(0).Poll(0x46);
    EXPECT_EQ(Move("+F"), MotionOutcome::Failed);
    EXPECT_EQ(Prompts(), (Lines{"Motion Error|SRQ: Normal x6"}));
    EXPECT_EQ(responder.Asked()[0].buttons, Prompt::Buttons::Ok);

    bus->Poll(0).Poll(0x66);
    Move("+F");
    EXPECT_EQ(Prompts().back(), "Motion Error|SRQ: Motor Timeout");
}

TEST_F(MoveMagnetTest, NoServiceRequestTimesOutOnThe71stTick) {
    bus->SetDefaultReply("");  // every poll answers 0
    EXPECT_EQ(Move("+F-R"), MotionOutcome::Failed);
    EXPECT_EQ(Polls(), 1u + 71u);
    EXPECT_EQ(Prompts(), (Lines{"Motion Error|Motor Software Timeout"}));
    Lines expected;
    for (int s = 0; s <= 35; ++s) expected.push_back(std::to_string(s));
    EXPECT_EQ(seconds, expected);
}

TEST_F(MoveMagnetTest, LateCompletionOnTick70StillCounts) {
    for (int tick = 0; tick < 70; ++tick) bus->Poll(0);
    bus->Poll(0x50);
    EXPECT_EQ(Move("+F"), MotionOutcome::Done);
    EXPECT_EQ(Polls(), 71u);
    EXPECT_TRUE(responder.Asked().empty());
}

TEST_F(MoveMagnetTest, PollErrorIsShownAndTheMotionCountsAsDone) {
    bus->Poll(0).Poll(0).FailRead("ENOL: no listeners");
    // It ends the wait without a message of its own, but where the stage is
    // is not known: the motion is not reported as done to the run.
    EXPECT_EQ(Move("+F"), MotionOutcome::Failed);
    EXPECT_EQ(Prompts(), (Lines{"Exception:|ENOL: no listeners"}));
    EXPECT_EQ(responder.Asked()[0].icon, Prompt::Icon::Stop);
    EXPECT_EQ(Polls(), 3u);  // no tick after the error
}

TEST_F(MoveMagnetTest, PollErrorOnTheLastTickIsATimeOut) {
    for (int tick = 0; tick <= 70; ++tick) bus->Poll(0);
    bus->FailRead("EABO: timeout on data");
    Move("+F");
    EXPECT_EQ(Prompts(),
              (Lines{"Exception:|EABO: timeout on data", "Motion Error|Motor Software Timeout"}));
}

TEST_F(MoveMagnetTest, ManualMagnetShowsTheCommandAndSendsNothing) {
    Config().manualMagnet = true;
    Move("+F+R-F");
    EXPECT_TRUE(bus->Log().empty());
    EXPECT_EQ(Prompts(), (Lines{"Manual Operation|+F+R-F"}));
}

TEST_F(MoveMagnetTest, WriteErrorPropagatesBeforeTheDialog) {
    bus->Poll(0).FailWrite(0, "ENOL: no listeners");
    try {
        Move("+F");
        FAIL() << "no exception";
    } catch (const xgpib& e) {
        EXPECT_STREQ(e.what(), "ENOL: no listeners");
    }
    EXPECT_EQ(Polls(), 1u);
    EXPECT_FALSE(watching);
}

TEST_F(MoveMagnetTest, DemoModeSendsNothing) {
    Config().noInstrument = true;
    Move("+F");
    EXPECT_TRUE(bus->Log().empty());
    EXPECT_TRUE(responder.Asked().empty());
}

TEST_F(MoveMagnetTest, ParentDestroyedDuringTheWaitEndsItQuietly) {
    QPointer<QWidget> parent(new QWidget);
    bus->SetDefaultReply("");
    int polls = 0;
    bus->onOperation = [&](const std::string& line) {
        if (line == "H" && ++polls == 4 && parent) parent->deleteLater();
    };
    instruments.MagnetUnit().MoveMagnet(parent.data(), "+F");
    EXPECT_TRUE(parent.isNull());
    EXPECT_LT(polls, 10);
    EXPECT_TRUE(responder.Asked().empty());
}

// "stage/magnet/interlock" of a status word.
std::string Decoded(int word) {
    const MagnetStatusTexts t = DecodeMagnetStatus(word);
    return t.stage + "/" + t.magnet + "/" + t.interlock;
}

TEST(MagnetStatus, WordDecodesIntoStageMagnetAndInterlock) {
    // The last two: bits outside the masks change nothing.
    const std::pair<int, const char*> cases[] = {
        {58, "Between/OK/Broken"},   {0x08, "Forward/Off/E/W"}, {0x10, "Back/Off/E/W"},
        {0, "Fault/Off/E/W"},        {0x04, "Fault/Off/N/S"},   {0x06, "Fault/Off/Lid Open"},
        {-1, "Between/OK/Lid Open"}, {0x1C1, "Fault/Off/E/W"},
    };
    for (const auto& [word, text] : cases) EXPECT_EQ(Decoded(word), text) << word;
}

TEST(MagnetStatus, LidIsOpenOnlyWithBothBits) {
    for (int word : {6, 0x3E}) EXPECT_TRUE(LidOpen(word)) << word;
    for (int word : {2, 4, 0x38}) EXPECT_FALSE(LidOpen(word)) << word;
}

TEST(MagnetStatus, ReplyConversionNeverFails) {
    const std::pair<const char*, int> cases[] = {
        {"58", 58}, {"  58\r", 58}, {"+12abc", 12}, {"-3", -3}, {"abc", 0}, {"", 0}, {"-", 0},
    };
    for (const auto& [reply, word] : cases) EXPECT_EQ(ParseStatusWord(reply), word) << reply;
    EXPECT_EQ(ParseStatusWord("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseStatusWord("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseStatusWord(std::string_view("4\0"
                                               "2",
                                               3)),
              4);
}

class StatusReadTest : public MagnetFixture {
  protected:
    // Fields 108 to 110: stage/magnet/interlock.
    static std::string PageText(const FieldSet& page) {
        return page.Get(108) + "/" + page.Get(109) + "/" + page.Get(110);
    }
};

TEST_F(StatusReadTest, ReadMagnetStatusFillsThePageFields) {
    FieldSet page;
    bus->Reply("58");
    instruments.MagnetUnit().ReadMagnetStatus(page, nullptr);
    EXPECT_EQ(bus->Log(), (Lines{"R 3 7"}));
    EXPECT_EQ(PageText(page), "Between/OK/Broken");

    bus->FailRead("EABO: timeout on data");
    instruments.MagnetUnit().ReadMagnetStatus(page, nullptr);
    EXPECT_EQ(Prompts(), (Lines{"Exception:|EABO: timeout on data"}));
    EXPECT_EQ(PageText(page), "Fault/Off/E/W");
}

// A word that is not one number is no word: junk is read past, and when no
// reply is a number the page says so instead of showing the texts of 0.
TEST_F(StatusReadTest, JunkStatusWordIsReadPastOrShownAsUnreadable) {
    FieldSet page;
    bus->Replies({"12abc", "1,1", "58"});
    instruments.MagnetUnit().ReadMagnetStatus(page, nullptr);
    EXPECT_EQ(PageText(page), "Between/OK/Broken");
    EXPECT_TRUE(Prompts().empty());

    bus->SetDefaultReply("6 junk");  // would read as "Lid Open"
    instruments.MagnetUnit().ReadMagnetStatus(page, nullptr);
    EXPECT_EQ(Prompts(), (Lines{"Exception:|Status Unreadable"}));
    EXPECT_EQ(PageText(page), "Fault/Off/E/W");
    EXPECT_THROW(instruments.MagnetUnit().LidStaysOpen(nullptr), xmeas);
}

TEST_F(StatusReadTest, LidCheckAsksUntilClosedOrCancelled) {
    bus->Replies({"38", "6", "0"});
    responder.Add("OK");
    responder.Add("OK");
    EXPECT_FALSE(instruments.MagnetUnit().LidStaysOpen(nullptr));  // 38 = 0x26: lid open
    EXPECT_EQ(Prompts(), (Lines{"Lid is Open|Please close lid and press OK",
                                "Lid is Open|Please close lid and press OK"}));
    EXPECT_EQ(responder.Asked()[0].buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(responder.Asked()[0].icon, Prompt::Icon::Stop);
    EXPECT_EQ(bus->Reads(), 3);

    bus->Reply("6");
    responder.Add("Cancel");
    EXPECT_TRUE(instruments.MagnetUnit().LidStaysOpen(nullptr));
}

}  // namespace

namespace {
// A mouse click at the middle of a widget, as the window system delivers it.
void ClickAt(QWidget& widget) {
    const QPointF centre(widget.width() / 2.0, widget.height() / 2.0);
    const QPointF global = widget.mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QApplication::sendEvent(&widget, &release);
}
}  // namespace

TEST_F(MoveMagnetTest, TheWaitBoxAbortAsksTheRunToStopAndTheMotionCompletes) {
    State().busy = true;  // as inside a run
    State().cancelRequested = false;
    bus->Poll(0).Poll(0).Poll(0).Poll(0x50);
    bool clicked = false, enabledAfter = true;
    bus->onOperation = [&](const std::string& line) {
        if (line != "H" || clicked) return;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<Tmagmove*>(widget);
            if (!dialog || !dialog->isVisible()) continue;
            auto* abort = dialog->findChild<QPushButton*>("button2");
            ASSERT_NE(abort, nullptr);
            EXPECT_EQ(abort->text().toStdString(), "Abort");
            EXPECT_TRUE(abort->isEnabled());
            ASSERT_NE(dialog->findChild<QLabel*>("unit101"), nullptr);
            // VANTRIS_SCREENSHOT_DIR: the box as the operator sees it, to look at.
            const QByteArray shots = qgetenv("VANTRIS_SCREENSHOT_DIR");
            if (!shots.isEmpty()) dialog->grab().save(QString(shots) + "/WAIT.png");
            ClickAt(*abort);
            clicked = true;
            enabledAfter = abort->isEnabled();
        }
    };
    instruments.MagnetUnit().MoveMagnet(nullptr, "-F");
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(State().cancelRequested);
    EXPECT_FALSE(enabledAfter);  // pressed once is enough
    // The motion was not cut short: the box polled on to the completion byte.
    EXPECT_EQ(bus->StepsLeft(), 0u);
    EXPECT_TRUE(responder.Asked().empty());
    State() = MeasurementState{};
}
