#pragma once
// The scan run's fixture: the run over its own model, a stage that follows
// its set-point, and the Hall electronics as one resistor. Shared by the run's
// tests without widgets (test_scan_run) and the panel's (test_scan).
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "ScriptedBus.h"
#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "core/SpecimenData.h"
#include "platform/Prompt.h"
#include "platform/TimeScale.h"
#include "records/ProgramState.h"
#include "records/ScanSettings.h"
#include "scan/ScanModel.h"
#include "scan/ScanRun.h"
#include "scan/ScanState.h"
#include "temperature/TTemp.h"
#include "TestProgram.h"
#include "PointTemperatures.h"

// The Hall electronics with one resistor: Vr follows the current the
// source was given; readings above `overRange` volts are over range.
class ResistorBus : public ScriptedBus {
  public:
    double ohms = 1000.0;    // Vr per ampere, as the search computes it
    double overRange = 1e9;  // volts at the voltmeter
    int readings = 0;
    std::string Read(int primary, int secondary, int size) override {
        if (primary != 3) return ScriptedBus::Read(primary, secondary, size);
        if (onOperation) onOperation(Printf("R %d %d", primary, secondary));
        if (secondary == 13) return Printf("%.7g", source_);
        if (secondary == 9) {
            ++readings;
            // Vr (mV) = (vP - vN) / (4 * 0.002): each reading is +-4 Vr/1000 / 2.
            const double volts = ohms * source_ * 1e-6 * 4.0 * (positive_ ? 1 : -1);
            if (std::fabs(volts) > overRange) return "N+>";
            return Printf("N%+.6E", volts);
        }
        return ScriptedBus::Read(primary, secondary, size);
    }
    void Write(int primary, int secondary, const std::string& text) override {
        ScriptedBus::Write(primary, secondary, text);
        if (primary != 3 || secondary != 8) return;
        if (text == "P") positive_ = true;
        if (text == "N") positive_ = false;
        if (text.size() > 2 && text[1] == 'I') source_ = std::atof(text.c_str() + 2);
    }

  private:
    double source_ = 0.0;
    bool positive_ = true;
};

class FollowingStage : public TTempCon {
  public:
    FollowingStage(ProgramState& program, ControllerKind kind)
        : TTempCon(kind, program.Instruments().Bus(), program.Config()) {}
    void SetTemperature(double k) override {
        setPoint_ = k;
        given.push_back(k);
    }
    void ReadTemperature() override {
        ++reads;
        if (failing > 0) {
            // As the controllers absorb a failed reading: "Error" and 0 K.
            --failing;
            present_ = 0.0;
            SetReadingText("Error");
            ReadingFailed("The stage's reply \"#\" carries no temperature.");
            return;
        }
        present_ = setPoint + offset;
        SetReadingText(Printf("%.1f", present));
        ReadingSucceeded();
    }
    int failing = 0;  // readings still to fail
    int reads = 0;
    void SetControl(int mode, int) override { modes.push_back(mode); }
    double offset = 0.2;
    std::vector<double> given;
    std::vector<int> modes;
};

class ScanRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseProgram(program);
        ResetScanState();
        TimeScale::SetFactor(0.001);
        ASSERT_TRUE(folder.isValid());
        Scan() = ScanSettings{};
        Scan().DataDir = folder.path().toStdString();
        Prompt::SetResponder(&responder);
        run = std::make_unique<ScanRun>(program, stage);
        live = &run->Model();
        run->SetCommandSender([this](int id) {
            sent.push_back(id);
            nestedGranted.push_back(RunLock::Held(program.Core()) &&
                                    RunLock::CanStart(program.Core()));
            ::State().measurementStatus = (id == 52 && failHall > 0 && --failHall == 0) ? 1 : 0;
            Results().symmetryFactor = 1.0;
            // The commands end by reading the temperature, as the program's do.
            if (id == 52 && failAfterHall > 0 && --failAfterHall == 0) stage.failing = 1;
            stage.ReadTemperature();
        });
        run->SetClock([this] { return now; });
    }
    void TearDown() override {
        run.reset();
        Prompt::SetResponder(nullptr);
        TimeScale::SetFactor(1.0);
        ResetScanState();
    }
    void Plan(int start, int stop, int points, bool inverse = false) {
        Scan().ScanTstart = start, Scan().ScanTstop = stop, Scan().ScanNpoints = points;
        Scan().ScanInverse = inverse;
        run->AcceptSetup();
    }
    // Ticks until the scan stops running (or a bound is reached).
    void RunToTheEnd(int bound = 1000) {
        for (int i = 0; i < bound && run->State() == kScanPause && run->TimerActive(); ++i)
            run->Tick();
    }
    // The run's state and its main button's label.
    std::pair<int, std::string> Phase() const {
        return {run->State(), run->Fields().Get(ScanRun::kMainButton)};
    }
    // Which of the buttons are enabled, in the order asked.
    std::vector<bool> Enabled(std::initializer_list<int> buttons) const {
        std::vector<bool> enabled;
        for (int b : buttons) enabled.push_back(run->Enabled(b));
        return enabled;
    }
    int Lines() {
        std::ifstream in(run->Model().WorkingFile(), std::ios::binary);
        int n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    }
    // The temperatures of the file's point lines.
    std::vector<double> FileTemperatures() const {
        return PointTemperatures(run->Model().WorkingFile());
    }

    ProgramState program;
    QTemporaryDir folder;
    Prompt::ScriptedResponder responder;
    FollowingStage stage{program, ControllerKind::HotStage};
    std::unique_ptr<ScanRun> run;
    const ScanModel* live = nullptr;  // the live scan's model, the run's own
    std::vector<int> sent;
    std::vector<bool> nestedGranted;
    int failHall = 0;
    int failAfterHall = 0;  // the reading after this Hall run fails
    double now = 0.0;       // the run's clock, rack seconds
};
