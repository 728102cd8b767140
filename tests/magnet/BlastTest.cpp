// The contact blaster and the buffer amplifier's detection and bytes.
#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "magnet/BufferAmplifier.h"
#include "electronics/BufferAmplifierLink.h"
#include "MagnetFixture.h"
#include "platform/SerialLink.h"
#include "magnet/TBlast.h"
#include "TestRecords.h"

namespace {

using Lines = std::vector<std::string>;

class BlastTest : public MagnetFixture {
  protected:
    void TearDown() override {
        instruments.Amplifier().SetLines(std::nullopt);
        MagnetFixture::TearDown();
    }
    // Runs the dialog; `inside` plays the operator while it is open.
    void RunDialog(std::function<void(QDialog&)> inside) {
        responder.onDialog = [&](QDialog& dialog) {
            dialogSeen = true;
            if (inside) inside(dialog);
        };
        ShowBlastDialog(instruments, nullptr);
    }
    static void Click(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    static std::string Text(QDialog& dialog, const char* name) {
        auto* field = dialog.findChild<QLineEdit*>(name);
        return field ? field->text().toStdString() : "<missing>";
    }
    bool dialogSeen = false;
};

TEST_F(BlastTest, OnePulseOnATwoPolarityUnit) {
    bus->Replies({"R44/1.1", "10.2,11.3", "0", "9.8,10.1"});
    std::string before, after;
    RunDialog([&](QDialog& dialog) {
        before = Text(dialog, "field110") + " " + Text(dialog, "field111");
        Click(dialog, "button103");
        after = Text(dialog, "field110") + " " + Text(dialog, "field111");
        EXPECT_EQ(Text(dialog, "field107"), "3");
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("radio101")->isChecked());
    });
    EXPECT_EQ(bus->Log(),
              (Lines{"R 3 6", "W 3 4 F", "R 3 5", "R 3 7", "W 3 5 I3P1N1", "R 3 5", "W 3 4 H"}));
    EXPECT_EQ(before, "10.2 11.3");
    EXPECT_EQ(after, "9.8 10.1");
    EXPECT_TRUE(responder.Asked().size() == 1);  // the dialog itself
    EXPECT_EQ(responder.Asked()[0].caption, "Blast Contacts");
}

TEST_F(BlastTest, IdentificationMustMatchExactly) {
    for (const char* identity : {"R44/1.0", "R44/1.10", "r44/1.1", "", "R44/1.1 "}) {
        bus->ClearLog();
        bus->Replies({identity, "1,2", "0", "1,2"});
        RunDialog([&](QDialog& dialog) { Click(dialog, "button104"); });
        EXPECT_EQ(bus->LogStarting("W 3 5"), (Lines{"W 3 5 I3P5"})) << identity;
    }
    bus->ClearLog();
    bus->Replies({"R44/1.1", "1,2", "0", "1,2"});
    RunDialog([&](QDialog& dialog) { Click(dialog, "button104"); });
    EXPECT_EQ(bus->LogStarting("W 3 5"), (Lines{"W 3 5 I3P5N5"}));
}

TEST_F(BlastTest, IntensityStaysWithinOneToFive) {
    // One reply for both reads: the status word before a pulse must be a number.
    bus->SetDefaultReply("0");
    bus->Reply("R44/1.0");
    RunDialog([&](QDialog& dialog) {
        for (int i = 0; i < 4; ++i) Click(dialog, "updownUp");
        EXPECT_EQ(Text(dialog, "field107"), "5");
        Click(dialog, "button103");
        for (int i = 0; i < 7; ++i) Click(dialog, "updownDown");
        EXPECT_EQ(Text(dialog, "field107"), "1");
        Click(dialog, "button103");
    });
    EXPECT_EQ(bus->LogStarting("W 3 5"), (Lines{"W 3 5 I5P1", "W 3 5 I1P1"}));
}

TEST_F(BlastTest, IntensityStartsAtThreeEachTime) {
    bus->SetDefaultReply("1,1");
    RunDialog([&](QDialog& dialog) { Click(dialog, "updownUp"); });
    RunDialog([&](QDialog& dialog) { EXPECT_EQ(Text(dialog, "field107"), "3"); });
}

TEST_F(BlastTest, PairSelectionSwitchesAndMeasures) {
    bus->Replies({"x", "1,2", "3,4", "5,6", "7,8"});
    RunDialog([&](QDialog& dialog) {
        Click(dialog, "radio102");
        EXPECT_EQ(Text(dialog, "field110"), "3");
        Click(dialog, "radio101");
        Click(dialog, "button105");
        EXPECT_EQ(Text(dialog, "field111"), "8");
    });
    EXPECT_EQ(bus->Log(), (Lines{"R 3 6", "W 3 4 F", "R 3 5", "W 3 4 R", "R 3 5", "W 3 4 F",
                                 "R 3 5", "R 3 5", "W 3 4 H"}));
}

TEST_F(BlastTest, OpenLidCancelledSendsNoPulse) {
    bus->Replies({"x", "1,2", "6"});
    responder.Add("Cancel");  // the lid prompt, asked while the dialog is open
    RunDialog([&](QDialog& dialog) { Click(dialog, "button103"); });
    EXPECT_TRUE(bus->LogStarting("W 3 5").empty());
    EXPECT_EQ(Prompts().back(), "Lid is Open|Please close lid and press OK");
    EXPECT_EQ(bus->Log().back(), "W 3 4 H");
}

TEST(BlasterReply, RepliesWithoutACommaAreShownWhole) {
    // One pair of strings for every call: a split leaves nothing of the one before.
    std::string first, second;
    const std::pair<const char*, const char*> cases[] = {
        {"12.5", "12.5|"},
        {"a,b,c", "a|b,c"},
        {",", "|"},
        {"", "|"},
    };
    for (const auto& [reply, split] : cases) {
        SplitBlasterReply(reply, first, second);
        EXPECT_EQ(first + "|" + second, split) << reply;
    }
}

TEST_F(BlastTest, BusErrorsAreShownAndTheDialogStaysOpen) {
    bus->Reply("x").Reply("1,2").FailRead("EABO: timeout on data");
    bool stillOpen = false;
    RunDialog([&](QDialog& dialog) {
        Click(dialog, "button105");
        stillOpen = dialog.result() == 0;
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Prompts(), (Lines{"Blast Contacts|BLAST", "Exception:|EABO: timeout on data"}));
    EXPECT_EQ(bus->Log().back(), "W 3 4 H");
}

TEST_F(BlastTest, FailedIdentificationLeavesOnePolarity) {
    bus->FailRead("ENOL: no listeners").Replies({"1,2", "0", "1,2"});
    RunDialog([&](QDialog& dialog) { Click(dialog, "button103"); });
    EXPECT_EQ(Prompts().front(), "Exception:|ENOL: no listeners");
    EXPECT_EQ(bus->LogStarting("W 3 5"), (Lines{"W 3 5 I3P1"}));
}

TEST_F(BlastTest, AttachedBufferAmplifierForbidsBlasting) {
    bool rts = false;
    instruments.Amplifier().SetLines(ModemLines{[&](bool on) { rts = on; }, [&] { return rts; }});
    RunDialog(nullptr);
    EXPECT_FALSE(dialogSeen);
    EXPECT_TRUE(bus->Log().empty());
    ASSERT_EQ(responder.Asked().size(), 1u);
    EXPECT_EQ(Prompts()[0], "Violation|Buffer Amplifer detected, Blasting not permitted");
    EXPECT_EQ(responder.Asked()[0].icon, Prompt::Icon::Stop);
}

TEST_F(BlastTest, DemoModeTalksToNobody) {
    Config().noInstrument = true;
    RunDialog([&](QDialog& dialog) {
        Click(dialog, "button103");
        Click(dialog, "radio102");
        Click(dialog, "button105");
    });
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(bus->Log().empty());
}

TEST(BufferAmplifierDetection, CtsMustFollowRts) {
    std::vector<bool> rtsCalls;
    bool rts = true;
    EXPECT_TRUE(BufferAmplifierAnswers({[&](bool on) {
                                            rts = on;
                                            rtsCalls.push_back(on);
                                        },
                                        [&] { return rts; }}));
    EXPECT_EQ(rtsCalls, (std::vector<bool>{false, true}));

    EXPECT_FALSE(BufferAmplifierAnswers({[](bool) {}, [] { return true; }}));
    EXPECT_FALSE(BufferAmplifierAnswers({[](bool) {}, [] { return false; }}));
    bool inverted = false;
    EXPECT_FALSE(
        BufferAmplifierAnswers({[&](bool on) { inverted = !on; }, [&] { return inverted; }}));
    EXPECT_FALSE(BufferAmplifierAnswers({}));
}

TEST(BufferAmplifierDetection, NoOpenPortMeansNoAmplifier) {
    Instruments instruments(TestCore());
    instruments.AmplifierLink().Attach(nullptr);
    EXPECT_FALSE(instruments.Amplifier().Present());
    EXPECT_FALSE(instruments.Amplifier().PortOpen());
    SerialLink closed;
    instruments.AmplifierLink().Attach(&closed);
    EXPECT_FALSE(instruments.Amplifier().Present());
    EXPECT_FALSE(instruments.Amplifier().PortOpen());
    instruments.AmplifierLink().Attach(nullptr);
}

TEST(BufferAmplifierBytes, PairBytesDoNotDependOnDirection) {
    // {a, b, byte}; -1: no byte for the pair.
    const int cases[][3] = {
        {1, 2, 0x85}, {2, 1, 0x85}, {2, 3, 0x94}, {3, 4, 0xB0}, {1, 4, 0xA1},
        {3, 1, 0x92}, {4, 2, 0xA8}, {1, 1, -1},   {5, 8, -1},
    };
    for (const auto& [a, b, byte] : cases) {
        const std::optional<std::uint8_t> got = BufferAmplifierPairByte(a, b);
        EXPECT_EQ(got ? int(*got) : -1, byte) << a << "," << b;
    }
}

TEST(BufferAmplifierBytes, HexTextGivesItsLowByte) {
    // "123456": only five characters count.
    const std::pair<const char*, int> cases[] = {
        {"1FF", 0xFF},    {"41", 0x41}, {" 7f", 0x7F}, {"0x85", 0x85}, {"A1zz", 0xA1},
        {"123456", 0x45}, {"zz", 0},    {"", 0},       {"-1", 0xFF},
    };
    for (const auto& [text, byte] : cases) EXPECT_EQ(HexByteFromText(text), byte) << text;
}

}  // namespace
