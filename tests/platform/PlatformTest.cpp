#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/Prompt.h"
#include "platform/SerialLink.h"
#include "platform/TimeScale.h"
#include "platform/Wait.h"

TEST(SerialMode, ReadsTheModeTexts) {
    auto m = ParseSerialMode("COM1:1200,n,8,1");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->baud, 1200);
    EXPECT_EQ(m->parity, 'n');
    EXPECT_EQ(m->stopBits, 1);
    auto h = ParseSerialMode("COM2:9600,N,8,2");
    ASSERT_TRUE(h);
    EXPECT_EQ(h->stopBits, 2);
    EXPECT_EQ(h->parity, 'n');
    for (const char* bad : {"COM1", "COM1:abc", "COM1:9600,x,8,1", "COM1:9600,n,9,1",
                            "COM1:9600,n,8,3", "COM1:0,n,8,1", "COM1:9600,n,8,1junk"})
        EXPECT_FALSE(ParseSerialMode(bad)) << bad;
}

TEST(SerialLink, WindowsNamesMapToLinuxDevices) {
    EXPECT_EQ(SerialLink::DeviceFor("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialLink::DeviceFor("COM12"), "/dev/ttyS11");
    EXPECT_EQ(SerialLink::DeviceFor("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(SerialLink::DeviceFor("COM0"), "COM0");
    EXPECT_EQ(SerialLink::DeviceFor("COM1x"), "COM1x");
}

TEST(SerialLink, OpeningAMissingDeviceFails) {
    SerialLink link;
    EXPECT_FALSE(link.Open("/dev/vantris-no-such-port", SerialMode{}));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.WriteByte(1));
    EXPECT_FALSE(link.ReadByte().has_value());
}

TEST(TimeScale, ScalesIntervalsButKeepsThemPositive) {
    TimeScale::SetFactor(0.01);
    EXPECT_EQ(TimeScale::Ms(1000), 10);
    EXPECT_EQ(TimeScale::Ms(20), 1);
    EXPECT_EQ(TimeScale::Ms(0), 0);
    TimeScale::SetFactor(-1);  // refused
    EXPECT_DOUBLE_EQ(TimeScale::Factor(), 0.01);
    TimeScale::SetFactor(1.0);
}

TEST(Wait, ServesEventsWhileWaiting) {
    TimeScale::SetFactor(1.0);
    bool fired = false;
    QTimer::singleShot(5, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    Wait::Ms(40);
    EXPECT_TRUE(fired);
    EXPECT_GE(clock.elapsed(), 35);
}

TEST(Prompt, ScriptedAnswersThenEscape) {
    Prompt::ScriptedResponder responder({"Yes", "Retry", "bogus"});
    Prompt::SetResponder(&responder);
    std::vector<std::string> echoed;
    Prompt::SetEcho([&](const Prompt::Record& r) { echoed.push_back(r.caption + "|" + r.text); });
    EXPECT_EQ(Prompt::Message(nullptr, "t1", "c1", Prompt::Buttons::YesNo), Prompt::IDYES);
    // An answer the box does not offer falls back to its escape answer.
    EXPECT_EQ(Prompt::Message(nullptr, "t2", "c2", Prompt::Buttons::OkCancel), Prompt::IDCANCEL);
    EXPECT_EQ(Prompt::Message(nullptr, "t3", "c3", Prompt::Buttons::YesNo), Prompt::IDNO);
    EXPECT_EQ(Prompt::Message(nullptr, "t4", "c4", Prompt::Buttons::Ok), Prompt::IDOK);
    EXPECT_EQ(Prompt::Message(nullptr, "t5", "c5", Prompt::Buttons::AbortRetryIgnore),
              Prompt::IDABORT);
    ASSERT_EQ(responder.Asked().size(), 5u);
    EXPECT_EQ(responder.Asked()[1].text, "t2");
    EXPECT_EQ(echoed.front(), "c1|t1");
    Prompt::SetResponder(nullptr);
    Prompt::SetEcho(nullptr);
}
