#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/FileRegistryStore.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunConfig.h"
#include "ScriptedBus.h"
#include "temperature/TTemp.h"
#include "app/Thall.h"
#include "TestProgram.h"

namespace {
const std::string kSystem = "SOFTWARE\\Brisel\\Hall\\System";

class ThallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A fresh program state per test, as the application makes at start.
        program_ = std::make_unique<ProgramState>();
        UseProgram(*program_);
        Config() = RunConfig{};
        SetRegistry(std::make_unique<FileRegistryStore>(dir_.path().toStdString() + "/Hall.reg"));
        Prompt::SetResponder(&responder_);
    }
    void TearDown() override {
        Prompt::SetResponder(nullptr);
        thall_.reset();
        program_.reset();
    }
    void InstallSystem(const std::string& port, std::uint8_t installed) {
        Registry().Set(kSystem, {RegistryStore::String("bufAmp Port", port),
                                 RegistryStore::String("ID1", "Wafer ID"),
                                 RegistryStore::Binary("bufAmp Installed", {installed})});
        // The LN2 controller's PID key, as the installer writes it (a missing
        // key is shown at start-up).
        Registry().Set(std::string(kSystem) + "\\RT4450\\77", {RegistryStore::Dword("P", 25)});
    }
    // Starts up with the given switches; the bus the program gets is kept.
    bool Start(const std::vector<std::string>& switches, ScriptedBus* prepared = nullptr) {
        thall_ = std::make_unique<Thall>(
            ParseCommandLine(switches),
            [this, prepared](const RunConfig&) {
                ++busesMade_;
                auto bus = std::make_unique<ScriptedBus>();
                if (prepared) *bus = *prepared;
                bus_ = bus.get();
                return bus;
            },
            *program_);
        return thall_->InitInstance();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& r : responder_.Asked()) out.push_back(r.caption + " | " + r.text);
        return out;
    }

    QTemporaryDir dir_;
    Prompt::ScriptedResponder responder_;
    std::unique_ptr<ProgramState> program_;
    std::unique_ptr<Thall> thall_;
    ScriptedBus* bus_ = nullptr;
    int busesMade_ = 0;
};
}  // namespace

TEST_F(ThallTest, MissingSystemKeyEndsStartUp) {
    EXPECT_FALSE(Start({}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Can't Open Registry Key: | path: SOFTWARE\\Brisel\\Hall\\System\n"
                              "error: 2"}));
    EXPECT_EQ(busesMade_, 0);
}

TEST_F(ThallTest, InitialisesTheMagnetUnlessManual) {
    InstallSystem("LPT1", 0);
    ASSERT_TRUE(Start({}));
    EXPECT_EQ(bus_->Log(), (std::vector<std::string>{"O", "W 3 25 I"}));
    EXPECT_FALSE(Config().noInstrument);
    EXPECT_EQ(Config().ID1, "Wafer ID");
    EXPECT_EQ(Config().ID2, "ID2");  // missing: its own value name
    EXPECT_EQ(thall_->Temperature().ReadingText(), "AMB");

    ASSERT_TRUE(Start({"/x"}));
    EXPECT_EQ(bus_->Log(), (std::vector<std::string>{"O"}));
}

TEST_F(ThallTest, DemoModeOpensNothing) {
    InstallSystem("COM1", 1);
    ASSERT_TRUE(Start({"/d/n"}));
    EXPECT_EQ(busesMade_, 0);
    EXPECT_TRUE(Config().noInstrument);
    EXPECT_EQ(Config().controllerKind, ControllerKind::LN2);
    EXPECT_EQ(thall_->Temperature().Kind(), ControllerKind::LN2);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ThallTest, FailedBusOpeningFallsBackToDemo) {
    InstallSystem("LPT1", 0);
    ScriptedBus failing;
    failing.SetOpenFails(true);
    ASSERT_TRUE(Start({}, &failing));
    EXPECT_TRUE(Config().noInstrument);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Can't initialize GPIB | scripted bus error"}));
    EXPECT_EQ(bus_->Log(), (std::vector<std::string>{"O"}));
}

TEST_F(ThallTest, FailingMagnetInitialisationDoesNotEndTheProgram) {
    InstallSystem("LPT1", 0);
    ScriptedBus failing;
    failing.FailWrite(0, "EDVR: driver not installed");
    ASSERT_TRUE(Start({}, &failing));
    EXPECT_TRUE(Config().noInstrument);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Can't initialize GPIB | EDVR: driver not installed"}));
}

TEST_F(ThallTest, BufferAmplifierNeedsAPortNamedC) {
    InstallSystem("LPT1", 1);
    ASSERT_TRUE(Start({"/x"}));
    EXPECT_FALSE(Config().bufferAmplifierInstalled);
    EXPECT_TRUE(Messages().empty());  // a port that is not COMn is never opened

    // A COM port that cannot be opened is reported and the amplifier dropped.
    InstallSystem("COM250", 1);
    Registry().SetString(kSystem + "\\Ports", "COM250", "/dev/vantris-no-such-port");
    ASSERT_TRUE(Start({"/x"}));
    EXPECT_FALSE(Config().bufferAmplifierInstalled);
    EXPECT_EQ(Messages().back(), "Can't Open Serial Port: | COM250");
}
