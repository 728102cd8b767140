// HallUnit's command sequences against a scripted bus: exact texts and order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

#include "electronics/BufferAmplifierLink.h"
#include "electronics/HallUnit.h"
#include "bus/GpibBus.h"
#include "core/CoreRecords.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/RunConfig.h"
#include "ScriptedBus.h"
#include "core/StatusFields.h"
#include "platform/TimeScale.h"
#include "TestRecords.h"

namespace {

using Lines = std::vector<std::string>;

class Hall : public ::testing::Test {
  protected:
    BusSlot slot;
    BufferAmplifierLink link;
    HallUnit hall{slot, TestCore(), link};
    void SetUp() override {
        Config() = RunConfig();
        Settings() = MeasurementSettings();
        State() = MeasurementState();
        TimeScale::SetFactor(0.001);
        auto owned = std::make_unique<ScriptedBus>();
        bus = owned.get();
        slot.Set(std::move(owned));
        link.SetWriter([this](std::uint8_t b) {
            bytes.push_back(b);
            events.push_back("byte " + std::to_string(b));
            return true;
        });
        bus->onOperation = [this](const std::string& line) { events.push_back(line); };
        Status().SetDetail("");
        connection =
            QObject::connect(&Status(), &StatusFields::detailChanged,
                             [this](const QString& d) { details.push_back(d.toStdString()); });
    }
    void TearDown() override {
        QObject::disconnect(connection);
        link.SetWriter(nullptr);
        hall.SetFocusCallback(nullptr);
        slot.Set(nullptr);
        TimeScale::SetFactor(1.0);
    }
    template <typename F>
    int MeasurementCode(F f) {
        try {
            f();
        } catch (const xmeas& e) {
            return e.code();
        }
        return -1;
    }
    // "text code" of the measurement error `f` raises, "bus: text" of a bus
    // error, "none" without either.
    template <typename F>
    static std::string Raised(F f) {
        try {
            f();
        } catch (const xmeas& e) {
            return std::string(e.what()) + " " + std::to_string(e.code());
        } catch (const xgpib& e) {
            return std::string("bus: ") + e.what();
        }
        return "none";
    }

    ScriptedBus* bus = nullptr;
    std::vector<std::uint8_t> bytes;
    Lines events;
    Lines details;
    QMetaObject::Connection connection;
};

TEST_F(Hall, ReadVoltageRaisesOverRangeFirstThenSaturation) {
    bus->Replies({"N+0.1234", "S >", "S+0.5"});
    double v = 0;
    hall.ReadVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.1234);
    EXPECT_EQ(Raised([&] { hall.ReadVoltage(v); }), "A/D OverRange 1");
    EXPECT_EQ(Raised([&] { hall.ReadVoltage(v); }), "I-meas Saturating 2");
    EXPECT_EQ(bus->Log(), (Lines{"R 3 9", "R 3 9", "R 3 9"}));
}

TEST_F(Hall, AutoGainStepsToTheFirstReadingInRange) {
    struct Case {
        Lines replies;
        std::vector<int> gains;  // set before each reading; the last is the result
        double v;
    };
    const Case cases[] = {
        // Rises a decade at a time up to the top.
        {{"N+0.004", "N+0.040", "N+0.400", "N+4.000"}, {0, 1, 2, 3}, 4.0},
        // Stops above the threshold.
        {{"N+0.550", "N-0.551"}, {1, 2}, -0.551},
        // After over range, takes the first good reading.
        {{"N+>", "N+0.010"}, {3, 2}, 0.010},
    };
    for (const Case& c : cases) {
        bus->ClearLog();
        bus->Replies(c.replies);
        double v = 0;
        int gain = c.gains.front();
        hall.ReadVoltageAutoGain(v, gain);
        EXPECT_EQ(gain, c.gains.back()) << c.replies[0];
        EXPECT_DOUBLE_EQ(v, c.v) << c.replies[0];
        Lines log;
        for (int g : c.gains) log.insert(log.end(), {"W 3 9 G" + std::to_string(g), "R 3 9"});
        EXPECT_EQ(bus->Log(), log) << c.replies[0];
    }
}

TEST_F(Hall, AReplyWithoutANumberIsReadAgainAndThenAFailedReadingNotZero) {
    // A spoilt reply costs one more reading, never its junk as a value.
    bus->Replies({"N+0.5", "Nq!x;", "", "N+0.25"});
    double v = 0;
    hall.ReadVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.5);
    hall.ReadVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_EQ(bus->Reads(), 4);
    EXPECT_EQ(bus->LogStarting("W"), Lines{});  // read again, not commanded again
    // A meter that gives no number in three whole replies has failed.
    bus->Replies({"N+1.5E+00x", "N1..2", "N-", "N+0.75"});
    try {
        hall.ReadVoltage(v);
        FAIL();
    } catch (const xmeas& e) {
        EXPECT_STREQ(e.what(), "V-meas Unreadable");
        // Neither over range (which steps the gain down) nor saturation.
        EXPECT_EQ(e.code(), HallUnit::kNoReadingCode);
    }
    EXPECT_DOUBLE_EQ(v, 0.25);  // the caller's value is left alone
    EXPECT_EQ(bus->Reads(), 4 + HallUnit::kReadingRepeats);
    hall.ReadVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.75);
}

TEST_F(Hall, AutoRangingPassesAnUnreadableReplyOnWithoutSteppingTheGain) {
    double v = 0;
    int gain = 2, offset = 30;
    bus->Replies({"N+0.01", "N*junk", "N*junk", "N*junk"});
    EXPECT_EQ(MeasurementCode([&] { hall.ReadVoltageAutoGain(v, gain); }),
              HallUnit::kNoReadingCode);
    EXPECT_EQ(gain, 3);
    EXPECT_EQ(bus->LogStarting("W"), (Lines{"W 3 9 G2", "W 3 9 G3"}));
    bus->ClearLog();
    bus->SetDefaultReply("N?");
    EXPECT_EQ(MeasurementCode([&] { hall.ReadVoltageGainOffset(v, gain, offset); }),
              HallUnit::kNoReadingCode);
    EXPECT_EQ(gain, 3);
    EXPECT_EQ(offset, 30);
    EXPECT_EQ(bus->LogStarting("W"), (Lines{"W 3 9 G3O30"}));
}

TEST_F(Hall, TimedReadingsDoNotAverageOrKeepUnreadableReplies) {
    // Delayed: an unreadable last reply fails the reading with its code.
    Settings().Delay = 2;
    bus->Replies({"N+0.1", "N<?", "N<?", "N<?"});
    double v = 0;
    EXPECT_EQ(Raised([&] { hall.MeasureVoltage(v); }),
              "Measurement Failure " + std::to_string(HallUnit::kNoReadingCode));
    // An earlier one is read again like any failed reading.
    bus->Replies({"N<?", "N<?", "N<?", "N+0.2"});
    hall.MeasureVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.2);

    // Integrated: one failed reading ends the integration with it.
    Settings().Delay = 0;
    Settings().Integrations = 1000;
    bus->onOperation = [&](const std::string&) {
        bus->Reply(bus->Reads() >= 7 ? "N/&%" : "N+0.1");
    };
    v = -1;
    EXPECT_EQ(MeasurementCode([&] { hall.IntegrateVoltage(v); }), HallUnit::kNoReadingCode);
    EXPECT_EQ(v, -1);
}

TEST_F(Hall, AutoGainPassesOnOverRangeAtZeroAndSaturation) {
    double v = 0;
    int gain = 1;
    bus->Replies({"N >", "N >"});
    EXPECT_EQ(MeasurementCode([&] { hall.ReadVoltageAutoGain(v, gain); }), 1);
    EXPECT_EQ(gain, 0);
    EXPECT_EQ(bus->LogStarting("W"), (Lines{"W 3 9 G1", "W 3 9 G0"}));
    gain = 2;
    bus->Reply("S+0.1");
    EXPECT_EQ(MeasurementCode([&] { hall.ReadVoltageAutoGain(v, gain); }), 2);
    EXPECT_EQ(gain, 2);
}

TEST_F(Hall, GainWithOffsetStepsDownAndDividesTheOffset) {
    bus->Replies({"N >", "N+0.250"});
    double v = 0;
    int gain = 2, offset = 55;
    hall.ReadVoltageGainOffset(v, gain, offset);
    EXPECT_EQ(gain, 1);
    EXPECT_EQ(offset, 5);
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_EQ(bus->Log(), (Lines{"W 3 9 G2O55", "R 3 9", "W 3 9 G1O5", "R 3 9"}));

    // The offset is truncated towards zero; the gain is never raised.
    bus->ClearLog();
    bus->Replies({"N >", "N >", "N+0.001"});
    gain = 2;
    offset = -155;
    hall.ReadVoltageGainOffset(v, gain, offset);
    EXPECT_EQ(bus->LogStarting("W"), (Lines{"W 3 9 G2O-155", "W 3 9 G1O-15", "W 3 9 G0O-1"}));

    bus->Reply("N >");
    EXPECT_EQ(MeasurementCode([&] { hall.ReadVoltageGainOffset(v, gain, offset); }), 1);
}

TEST_F(Hall, DelayedReadingTakesOneReadingASecondAndKeepsTheLast) {
    Settings().Delay = 3;
    bus->Replies({"N+0.100", "N+0.200", "N+0.300"});
    double v = 0;
    hall.MeasureVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.3);
    EXPECT_EQ(details, (Lines{"Delay 3 (+0.100)", "Delay 2 (+0.200)", "Delay 1 (+0.300)"}));
    EXPECT_EQ(bus->Reads(), 3);
}

TEST_F(Hall, WithoutDelayTheReadingIsTakenAtOnce) {
    bus->Reply("N+0.5");
    double v = 0;
    hall.MeasureVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_TRUE(details.empty());
}

TEST_F(Hall, DelayedReadingForgetsEarlierFailuresButNotTheLast) {
    Settings().Delay = 3;
    bus->Replies({"N >", "S+1", "N+0.5"});
    double v = 0;
    hall.MeasureVoltage(v);
    EXPECT_DOUBLE_EQ(v, 0.5);

    bus->Replies({"N+0.1", "N+0.2", "S+0.3"});
    EXPECT_EQ(Raised([&] { hall.MeasureVoltage(v); }), "Measurement Failure 2");
}

TEST_F(Hall, DelayedReadingTurnsABusErrorIntoGpib) {
    Settings().Delay = 3;
    bus->FailRead("EABO: timeout on data");
    double v = 0;
    EXPECT_EQ(Raised([&] { hall.MeasureVoltage(v); }), "bus: GPIB");
    EXPECT_EQ(bus->Reads(), 1);  // no further tick after the error
}

TEST_F(Hall, DelayedReadingServesEventsAndStopsOnAbort) {
    Settings().Delay = 5;
    bus->SetDefaultReply("N+0.1");
    // The abort button is pressed while the reading waits.
    QTimer::singleShot(0, [] { State().cancelRequested = true; });
    double v = 0;
    bool aborted = false;
    try {
        hall.MeasureVoltage(v);
    } catch (bool abort) {
        aborted = abort;
    }
    EXPECT_TRUE(aborted);
    // The request arrives before the first tick unless the machine is very busy.
    EXPECT_LT(bus->Reads(), 5);
    ASSERT_FALSE(details.empty());
    EXPECT_EQ(details.back().rfind("Delay ", 0), 0u);
}

TEST_F(Hall, DelayedAutoGainCarriesTheGainFromTickToTick) {
    Settings().Delay = 2;
    bus->Replies({"N >", "N+0.30", "N+0.31", "N+3.10"});
    double v = 0;
    int gain = 3;
    hall.MeasureVoltageAutoGain(v, gain);
    EXPECT_EQ(gain, 3);
    EXPECT_DOUBLE_EQ(v, 3.1);
    EXPECT_EQ(bus->LogStarting("W"), (Lines{"W 3 9 G3", "W 3 9 G2", "W 3 9 G2", "W 3 9 G3"}));
    EXPECT_EQ(details, (Lines{"Delay 2 (+0.300)", "Delay 1 (+3.100)"}));
}

TEST_F(Hall, DelayedGainOffsetAndTheProgressTextLimit) {
    Settings().Delay = 1;
    bus->Reply("N+12345678.9");
    double v = 0;
    int gain = 0, offset = 7;
    hall.MeasureVoltageGainOffset(v, gain, offset);
    EXPECT_EQ(bus->LogStarting("W"), (Lines{"W 3 9 G0O7"}));
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0], "Delay 1 (+12345678.");
}

TEST_F(Hall, IntegrationAveragesEveryReadingOverTheTime) {
    Settings().Integrations = 2;
    State().cancelRequested = true;  // an earlier abort does not stop this one
    int count = 0;
    double sum = 0;
    bus->onOperation = [&](const std::string& line) {
        if (line != "R 3 9") return;
        const double value = (count % 3) * 0.1;
        bus->Reply("N+" + std::to_string(value));
        ++count;
        sum += value;
    };
    double v = -1;
    hall.IntegrateVoltage(v);
    ASSERT_GT(count, 0);
    EXPECT_DOUBLE_EQ(v, sum / count);
    ASSERT_EQ(details.size(), 2u);
    EXPECT_EQ(details[0].rfind("Integ 2 (", 0), 0u);
    EXPECT_EQ(details[1].rfind("Integ 1 (", 0), 0u);
}

TEST_F(Hall, IntegrationPassesReadingErrorsOnUnchangedAndAborts) {
    Settings().Integrations = 1000;
    bus->onOperation = [&](const std::string&) {
        if (bus->Reads() == 5)
            bus->FailRead("EABO: timeout on data");
        else
            bus->Reply("N+0.1");
    };
    double v = 0;
    EXPECT_EQ(Raised([&] { hall.IntegrateVoltage(v); }), "bus: EABO: timeout on data");

    bus->onOperation = [&](const std::string&) {
        if (bus->Reads() == 10) State().cancelRequested = true;
        bus->Reply("N+0.1");
    };
    EXPECT_THROW(hall.IntegrateVoltage(v), bool);
}

TEST_F(Hall, WithoutIntegrationTimeOnePlainReading) {
    bus->Reply("N-0.75");
    double v = 0;
    hall.IntegrateVoltage(v);
    EXPECT_DOUBLE_EQ(v, -0.75);
    EXPECT_EQ(bus->Log(), (Lines{"R 3 9"}));
}

struct Range {
    double current;
    const char* command;
    const char* reply;
    double stored;
    std::uint8_t byte;
};

TEST_F(Hall, SetCurrentInEachBufferRange) {
    Config().bufferAmplifierInstalled = true;
    Settings().bufferAmplifierMode = true;
    const Range ranges[] = {
        {1.0, "DI200.0", "199.8", 199.8 / 200, 0x21},
        {0.5, "DI1000.0", "1000", 0.5, 0x22},
        {0.1, "DI200.0", "200.4", 200.4 / 2000, 0x22},
        {0.01, "DI200.0", "200", 0.01, 0x24},
        {0.001, "DI200.0", "201", 201.0 / 200000, 0x28},
        {0.0001, "DI200.0", "198", 198.0 / 2000000, 0x30},
        {1e-6, "DI2.0", "2.1", 2.1 / 2000000, 0x30},
    };
    for (const Range& r : ranges) {
        bus->ClearLog();
        bytes.clear();
        Settings().Current = r.current;
        bus->Reply(r.reply);
        hall.SetCurrent();
        EXPECT_EQ(bus->Log(), (Lines{std::string("W 3 8 ") + r.command, "R 3 13"})) << r.current;
        EXPECT_DOUBLE_EQ(Settings().Current, r.stored) << r.current;
        EXPECT_DOUBLE_EQ(Settings().bufferSourceValue, std::stod(r.reply));
        EXPECT_EQ(bytes, std::vector<std::uint8_t>{r.byte}) << r.current;
    }
}

TEST_F(Hall, SetCurrentOnTheStandardSource) {
    Settings().Current = 100;
    bus->Reply("99.7");
    hall.SetCurrent();
    Settings().AC = 1;
    bus->Reply("250.0");
    hall.SetCurrent();
    EXPECT_EQ(bus->Log(), (Lines{"W 3 8 DI100.0", "R 3 13", "W 3 8 AI99.7", "R 3 13"}));
    EXPECT_DOUBLE_EQ(Settings().Current, 250.0);
    EXPECT_TRUE(bytes.empty());  // no amplifier installed

    Config().bufferAmplifierInstalled = true;
    bus->Reply("250.0");
    hall.SetCurrent();
    EXPECT_EQ(bytes, std::vector<std::uint8_t>{0x40});
}

TEST_F(Hall, AnUnreadableCurrentReadBackKeepsTheCurrent) {
    for (const char* reply : {"", "#a%W", "uA", "1e999"}) {
        Settings().Current = 100;
        bus->SetDefaultReply(reply);  // however often it is read
        try {
            hall.SetCurrent();
            FAIL() << reply;
        } catch (const xmeas& e) {
            EXPECT_STREQ(e.what(), "I-meas Unreadable");
            EXPECT_EQ(e.code() & (HallUnit::kOverRangeCode | HallUnit::kSaturatingCode), 0);
        }
        EXPECT_DOUBLE_EQ(Settings().Current, 100.0) << reply;
    }
    // Buffered: neither the current nor the source value changes, and the
    // amplifier is not switched to a range for a current nobody confirmed.
    Config().bufferAmplifierInstalled = true;
    Settings().bufferAmplifierMode = true;
    Settings().Current = 0.1;
    Settings().bufferSourceValue = 200.0;
    bus->SetDefaultReply("?!");
    EXPECT_THROW(hall.SetCurrent(), xmeas);
    bus->SetDefaultReply(std::nullopt);
    EXPECT_DOUBLE_EQ(Settings().Current, 0.1);
    EXPECT_DOUBLE_EQ(Settings().bufferSourceValue, 200.0);
    EXPECT_TRUE(bytes.empty());
    // A reported 0 is a reading like any other.
    bus->Reply("0");
    hall.SetCurrent();
    EXPECT_EQ(Settings().Current, 0.0);
}

TEST_F(Hall, LimitCurrent) {
    struct Case {
        bool buffered;
        double current, limited;
        int result;
    };
    const Case cases[] = {
        {false, 20000, 19900, 3}, {false, 0.05, 0.1, 4}, {false, 19900, 19900, 0},
        {false, 0.1, 0.1, 0},     {true, 6, 5, 1},       {true, 1e-7, 1e-6, 2},
        {true, 2, 2, 0},          {true, 100, 5, 1},
    };
    for (const Case& c : cases) {
        Settings().bufferAmplifierMode = c.buffered;
        Settings().Current = c.current;
        EXPECT_EQ(hall.LimitCurrent(), c.result) << c.current;
        EXPECT_DOUBLE_EQ(Settings().Current, c.limited) << c.current;
    }
    EXPECT_TRUE(bus->Log().empty());
}

TEST_F(Hall, DisconnectSendsTheAmplifierBytesThenOpensTheMatrix) {
    int focus = 0;
    hall.SetFocusCallback([&] { ++focus; });
    Settings().bufferAmplifierMode = true;
    hall.Disconnect();
    EXPECT_EQ(events, (Lines{"byte 128", "byte 64", "W 3 7 S0M77"}));
    EXPECT_EQ(focus, 1);

    events.clear();
    Settings().bufferAmplifierMode = false;
    hall.Disconnect();
    EXPECT_EQ(events, (Lines{"W 3 7 S0M77"}));
    EXPECT_EQ(focus, 2);
}

TEST_F(Hall, BusErrorsPassThroughUnchanged) {
    bus->FailWrite(0, "ENOL: no listeners");
    double v = 0;
    int gain = 0;
    EXPECT_EQ(Raised([&] { hall.ReadVoltageAutoGain(v, gain); }), "bus: ENOL: no listeners");
}

}  // namespace

namespace {
// The scripted bus as a back-end sees its transfers: it tells the bus layer
// of every write and reply, so replies that filled the buffer count as cut.
class TransferBus : public ScriptedBus {
  public:
    void Write(int primary, int secondary, const std::string& text) override {
        NoteWrite(primary);
        ScriptedBus::Write(primary, secondary, text);
    }
    std::string Read(int primary, int secondary, int bufferSize = 20) override {
        std::string reply = ScriptedBus::Read(primary, secondary, bufferSize);
        NoteReply(primary, reply.size(), bufferSize);
        return reply;
    }
};

class CutReply : public ::testing::Test {
  protected:
    BusSlot slot;
    BufferAmplifierLink link;
    HallUnit hall{slot, TestCore(), link};
    void SetUp() override {
        Settings() = MeasurementSettings();
        auto owned = std::make_unique<TransferBus>();
        bus = owned.get();
        slot.Set(std::move(owned));
    }
    void TearDown() override { slot.Set(nullptr); }
    std::string Reading() {
        try {
            double v = 0.0;
            hall.ReadVoltage(v);
            return std::to_string(v).substr(0, 5);
        } catch (const xmeas& e) {
            return e.what();
        }
    }
    TransferBus* bus = nullptr;
};

// A reply that fills the buffer is cut; the pieces of its rest, read without
// a command in between, look like replies of their own and are none.
TEST_F(CutReply, TheRestOfACutReplyIsNoReadingUntilTheNextCommand) {
    const std::string piece = "N+1.5E+00" + std::string(10, ' ');  // 19 characters
    // The cut reply and its last piece are read past; the next reply is a reading.
    bus->Replies({piece, "N+2.5E+00   ", "N+3.5E+00"});
    EXPECT_EQ(Reading(), "3.500");
    EXPECT_EQ(bus->Reads(), 3);
    // A rest of many pieces: each fills the buffer again.
    bus->Replies({piece, piece, piece, "N+4.5E+00", "N+5.5E+00"});
    EXPECT_EQ(Reading(), "5.500");
    // A device that sends nothing but cut replies gives no reading, and the
    // pieces are not read for ever.
    bus->SetDefaultReply(piece);
    const int before = bus->Reads();
    EXPECT_EQ(Reading(), "V-meas Unreadable");
    EXPECT_EQ(bus->Reads() - before, HallUnit::kStatusWordAttempts);
    bus->SetDefaultReply(std::nullopt);
    // A command discards what a device still held of a cut reply: the next
    // read is a reply of its own.
    bus->Write(3, 9, "G1");
    bus->Replies({piece});
    bus->Read(3, 9);
    EXPECT_EQ(bus->LastReplyPart(), GpibBus::ReplyPart::Cut);
    bus->Write(3, 9, "G1");
    bus->Replies({"N+6.5E+00"});
    EXPECT_EQ(Reading(), "6.500");
    EXPECT_EQ(bus->LastReplyPart(), GpibBus::ReplyPart::Whole);
    // The rest of a cut current read-back is no current either.
    bus->Replies({"100" + std::string(16, '0'), "100", "250"});
    EXPECT_DOUBLE_EQ(hall.ReadCurrent(), 250.0);
}

TEST_F(CutReply, StatusWordIsReadPastJunkAndCutPieces) {
    bus->Replies({"1,1", std::string(19, '7'), "38 ", "6"});
    EXPECT_EQ(HallUnit::ReadStatusWord(*bus), 6);  // "38 " is the rest of the cut piece
    EXPECT_EQ(bus->Reads(), 4);
    bus->SetDefaultReply("junk");
    try {
        HallUnit::ReadStatusWord(*bus);
        FAIL();
    } catch (const xmeas& e) {
        EXPECT_STREQ(e.what(), "Status Unreadable");
        EXPECT_EQ(e.code(), HallUnit::kNoReadingCode);
    }
    EXPECT_EQ(bus->Reads(), 4 + HallUnit::kStatusWordAttempts);
}
}  // namespace
