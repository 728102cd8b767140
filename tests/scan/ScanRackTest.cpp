// A whole scan with the LN2 controller over the virtual rack: the stage is
// given each planned set-point on the bus, the run waits for the rack's
// stage to settle, and each point's temperature, in the model and in the
// file alike, is the rack's reading after the point's measurements.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "bus/GpibBus.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementState.h"
#include "core/xmsg.h"
#include "platform/FileRegistryStore.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "platform/TimeScale.h"
#include "records/ProgramState.h"
#include "records/ScanSettings.h"
#include "scan/ScanRun.h"
#include "scan/ScanState.h"
#include "temperature/Ln2Func.h"
#include "temperature/PidRegistry.h"
#include "vantris_sim/Rack.h"
#include "PointTemperatures.h"
#include "TestProgram.h"

namespace {
using vantris::sim::BusStatus;
using vantris::sim::Rack;

// The program's bus over a rack in this process, on the rack's manual clock.
class RackBus : public GpibBus {
  public:
    explicit RackBus(Rack& rack) : rack_(rack) {}
    bool Open() override { return false; }
    void Write(int primary, int secondary, const std::string& text) override {
        NoteWrite(primary);
        if (rack_.Command(primary, secondary, text) != BusStatus::Ok)
            throw xgpib("GPIB write failed");
    }
    std::string Read(int primary, int secondary, int bufferSize) override {
        const auto reply = rack_.Query(primary, secondary);
        if (!reply) throw xgpib("GPIB read timed out");
        NoteReply(primary, reply->size(), bufferSize);
        return reply->substr(0, static_cast<std::size_t>(bufferSize - 1));
    }
    int SerialPoll(int primary, int secondary) override {
        return rack_.SerialPoll(primary, secondary).value_or(0);
    }
    int PollHall() override { return 0; }
    void SetRemote(bool) override {}
    void ItcWrite(const std::string&) override {}
    std::string ItcRead() override { return {}; }
    std::string ErrorText() override { return {}; }
    PageResult InterfaceCommand(int, int, int) override { return {}; }

  private:
    Rack& rack_;
};

class ScanOnTheRack : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ResetScanState();
        TimeScale::SetFactor(0.001);
        ASSERT_TRUE(folder.isValid());
        Prompt::SetResponder(&responder);
        // One PID entry from 77 K: a 1 K margin, 10 s to settle (20 ticks).
        SetRegistry(std::make_unique<FileRegistryStore>(folder.filePath("Hall.reg").toStdString()));
        ASSERT_TRUE(
            Registry().Set(PidTableKey(ControllerKind::LN2) + "\\0",
                           PidEntryValues(ControllerKind::LN2, Tpid{77, 25, 50, 50, 1, 10, 0})));
        rack.Clock().SetManual(true);
        program.SetBus(std::make_unique<RackBus>(rack));
        stage = std::make_unique<LN2Func>(program.Instruments().Bus(), program.Config());
        ScanSettings& sc = program.Records().scan;
        sc = ScanSettings{};
        sc.DataDir = folder.path().toStdString();
        run = std::make_unique<ScanRun>(program, *stage);
        run->SetClock([this] { return rack.Now(); });
        run->SetCommandSender([this](int id) {
            sent.push_back(id);
            program.State().measurementStatus = 0;
            MeasurementResults& r = program.Results();
            r.bulkResistivity = r.sheetResistance = 10.0 + id;
            r.hallCoefficientRaw = -1e-3, r.bulkConcentration = r.sheetConcentration = -1e15;
            r.mobility = 900.0;
            // The commands end by reading the temperature, as the program's do.
            stage->ReadTemperature();
            if (id == 52) readings.push_back(stage->present);
        });
    }
    void TearDown() override {
        run.reset();
        stage.reset();
        program.SetBus(nullptr);
        SetRegistry(nullptr);
        Prompt::SetResponder(nullptr);
        TimeScale::SetFactor(1.0);
        ResetScanState();
    }
    std::vector<double> FileTemperatures() const {
        return PointTemperatures(run->Model().ScanFile());
    }

    ProgramState program;
    QTemporaryDir folder;
    Prompt::ScriptedResponder responder;
    Rack rack;
    std::unique_ptr<LN2Func> stage;
    std::unique_ptr<ScanRun> run;
    std::vector<int> sent;
    std::vector<double> readings;  // the rack's temperature after each point's Hall run
};

TEST_F(ScanOnTheRack, EachPointIsTakenAtTheRacksSettledTemperature) {
    ScanSettings& sc = program.Records().scan;
    sc.ScanTstart = 300, sc.ScanTstop = 200, sc.ScanNpoints = 3;
    run->AcceptSetup();
    run->PressMain();
    ASSERT_EQ(run->State(), kScanPause)
        << (responder.Asked().empty() ? "" : responder.Asked()[0].text);
    std::vector<std::string> setPoints;  // what the rack was told, at each point
    int ticks = 0;
    for (; ticks < 2000 && run->State() == kScanPause; ++ticks) {
        rack.Clock().Advance(5.0);
        const int before = run->Done();
        run->Tick();
        if (run->Done() != before || run->State() != kScanPause)
            setPoints.push_back(rack.Query(Rack::kLn2Primary, 3).value_or("-"));
    }
    ASSERT_EQ(run->State(), kScanFinished)
        << (responder.Asked().empty() ? "" : responder.Asked()[0].text);
    EXPECT_TRUE(responder.Asked().empty());
    EXPECT_EQ(sent, (std::vector<int>{51, 52, 51, 52, 51, 52}));
    // Each point waited for the stage: 50 K with a 60 s time constant and
    // then 10 s of settling take far more than one tick.
    EXPECT_GT(ticks, 3 * 20);
    // The stage was moved on to the next point only after the last one was taken.
    EXPECT_EQ(setPoints, (std::vector<std::string>{"2500", "2000", "2000"}));

    const std::vector<double> planned{300.0, 250.0, 200.0};
    ASSERT_EQ(readings.size(), 3u);
    const ScanData& data = run->Model().Data();
    ASSERT_EQ(data.count, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(readings[i], planned[i], 1.0) << i;
        EXPECT_DOUBLE_EQ(data.points[i].T, readings[i]) << i;
    }
    EXPECT_EQ(FileTemperatures(), readings);
}
}  // namespace
