#include "scan/ScanRun.h"

#include <algorithm>
#include <cmath>

#include "core/MeasurementResults.h"
#include "core/MeasurementSettings.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "measure/Results.h"
#include "core/RunConfig.h"
#include "core/RunLock.h"
#include "scan/ScanRunCurrent.h"
#include "records/ScanSettings.h"
#include "core/StatusFields.h"
#include "scan/TSetupTemp.h"
#include "temperature/TTemp.h"
#include "platform/TimeScale.h"
#include "platform/Wait.h"
#include "core/xmsg.h"

namespace {
// A flag that is set for a step and cleared however the step ends.
struct ClearedOnExit {
    bool& flag;
    ~ClearedOnExit() { flag = false; }
};
const char* MainLabelOf(int state) {
    switch (state) {
        case kScanSetup:
            return "Setup";
        case kScanStart:
            return "Start";
        case kScanResume:
            return "Resume";
        case kScanPause:
            return "Pause";
        default:
            return "";
    }
}

// The set-point the stage is given. The hot stage takes whole kelvin
// (truncated), and its stability test compares the reading with the
// set-point: a planned 372.7 K compared with a stage that settles at 372 K
// would never be ready. So it is given, and compared with, what it takes.
double GivenSetPoint(const TTemp& controller, double planned) {
    return controller.Kind() == ControllerKind::HotStage ? std::trunc(planned) : planned;
}
}  // namespace

ScanRun::ScanRun(ProgramState& program, TTemp& controller)
    : program_(program),
      controller_(controller),
      model_(program, &controller),
      test_(controller),
      clock_([] { return TimeScale::Seconds(); }) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    Update();
}

ScanRun::~ScanRun() = default;

int ScanRun::Done() const {
    return model_.Data().count;
}
int ScanRun::PointsPlanned() const {
    return model_.PlannedCount();
}
int ScanRun::CurrentSlot() const {
    return model_.Data().current;
}

bool ScanRun::Running() const {
    return starting_ || (state_ == kScanPause && !aborted_);
}

bool ScanRun::Enabled(int button) const {
    switch (button) {
        case kCloseButton:
        case kNewRunButton:
            return state_ != kScanPause && !starting_ && !moving_;
        case kForceButton:
        case kNextButton:
            // Not while a tick measures (the point would move under it), nor
            // after an abort during the current search: no tick is coming.
            // Nor while the stage is given its set-point: a press there would
            // move the plan on while the stage is still sent the old point.
            return state_ == kScanPause && !measuring_ && !aborted_ && !starting_ && !moving_;
        case kMainButton:
            return state_ != kScanFinished && !measuring_ && !starting_ && !moving_;
        case kHelpButton:
            return true;
        default:
            return false;
    }
}

void ScanRun::Update() {
    fields_.Set(kMainButton, MainLabelOf(state_));
    emit changed();
}

void ScanRun::ShowError(const std::string& text) {
    Prompt::Message(owner_, text, "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
}

void ScanRun::Guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const StopQuietly&) {
        Pause();
    } catch (bool) {
        // The operator's abort outside a measurement: the scan waits for him.
        if (state_ == kScanPause) Pause();
    } catch (const xmsg& error) {
        ShowError(error.why());
        // The main button pressed on the operator's behalf: the scan pauses.
        if (state_ == kScanPause) Pause();
    }
}

void ScanRun::PanelOpened() {
    Stabilization& s = StabilizationState();
    s.stabilityMargin = 2.0;
    s.sampleMargin = 2.0;
    s.driftMargin = 2.0;
}

void ScanRun::PressMain() {
    if (!Enabled(kMainButton)) return;
    switch (state_) {
        case kScanSetup:
            RunSetup();
            break;
        case kScanStart:
            Start();
            break;
        case kScanResume:
            Resume();
            break;
        case kScanPause:
            Pause();
            break;
        default:
            break;
    }
}

void ScanRun::PressNewRun() {
    if (Enabled(kNewRunButton)) RunSetup();
}

void ScanRun::PressForce() {
    if (Enabled(kForceButton)) force_ = true;
}

void ScanRun::PressNextTemp() {
    if (!Enabled(kNextButton)) return;
    model_.SkipCurrentPoint();
    Guarded([this] { NextPoint(); });
    Update();
}

void ScanRun::AcceptSetup() {
    state_ = kScanStart;
    aborted_ = false;
    model_.SetResistivityOnly(program_.Records().scan.ResOnly);
    model_.Plan();
    runSeconds_ = 0.0;
    timedPoints_ = 0;
    runningSince_.reset();
    fields_.Set(kOfField, std::to_string(PointsPlanned()));
    fields_.Set(kTimeLeftField, "");
    Update();
}

void ScanRun::Start() {
    // Nothing reaches an instrument in demo mode: there is no scan to run.
    if (program_.Config().noInstrument) return;
    starting_ = true;
    Update();
    bool started = false;
    try {
        // A scan whose file cannot be written would measure for nothing: it
        // does not start until the file can be written.
        if (!model_.StartScan()) {
            Prompt::Message(owner_, model_.LastWriteFailure(), "File Error", Prompt::Buttons::Ok,
                            Prompt::Icon::Stop);
        } else {
            measurements_ = 0;
            controller_.SetControl(1, 0);
            controller_.SetControl(0, 0);
            started = true;
        }
    } catch (const xmsg& error) {
        ShowError(error.why());
    }
    if (started) Wait::Ms(kStartPauseMs);
    starting_ = false;
    if (started) {
        Resume();
    } else {
        Update();
    }
}

void ScanRun::Resume() {
    state_ = kScanPause;
    aborted_ = false;
    ClockOn();
    Update();
    Guarded([this] { GoToPoint(); });
    Update();
}

void ScanRun::Pause() {
    timer_.stop();
    ClockOff();
    // A point measured but still without its temperature is measured again
    // on Resume.
    awaiting_ = false;
    model_.EraseMarkers();
    state_ = kScanResume;
    aborted_ = false;
    program_.Status().SetText("Standby");
    Update();
}

void ScanRun::GoToPoint() {
    // The ITC5's sensor switch waits with the event loop running: no tick
    // and no plan-changing press may come in until the stage has its point.
    timer_.stop();
    moving_ = true;
    Update();
    const ClearedOnExit moved{moving_};
    failingSince_.reset();
    awaiting_ = false;
    const ScanData& data = model_.Data();
    const int slot = data.current;
    const double planned = slot >= 0 && slot < ScanData::kSlots ? data.points[slot].T : 0.0;
    controller_.SetControl(0, 0);
    controller_.SetTemperature(GivenSetPoint(controller_, planned));
    if (!model_.SetPointMarkerShown()) model_.ToggleSetPointMarker();
    fields_.Set(kSetField, Printf("%.1lf", planned));
    timer_.start(TimeScale::Ms(kTickMs));
    force_ = false;
    test_.Restart();
    pointMeasurements_ = 0;
    program_.Status().SetText("Change Temp");
    fields_.Set(kPointField, std::to_string(data.count + 1));
    moving_ = false;
    Update();
}

void ScanRun::NextPoint() {
    PointTimed();
    if (Done() + 1 >= PointsPlanned()) {
        model_.CountPoint();
        Finish();
        return;
    }
    model_.NextSlot();
    GoToPoint();
}

void ScanRun::Finish() {
    timer_.stop();
    ClockOff();
    model_.EraseMarkers();
    state_ = kScanFinished;
    program_.Status().SetText("Finished");
    Update();
    if (!program_.Records().scan.ReturnRoomTemp) return;
    // The scan is over whatever the stage answers; an error is only shown.
    try {
        controller_.SetControl(2, 0);
        controller_.SetTemperature(293);
    } catch (const xmsg& error) {
        ShowError(error.why());
    }
}

void ScanRun::ClockOn() {
    if (!runningSince_) runningSince_ = clock_();
}

void ScanRun::ClockOff() {
    if (!runningSince_) return;
    runSeconds_ += clock_() - *runningSince_;
    runningSince_.reset();
}

void ScanRun::PointTimed() {
    // Called as the current point is done, before it is counted.
    ++timedPoints_;
    const double ran = runSeconds_ + (runningSince_ ? clock_() - *runningSince_ : 0.0);
    const int left = std::max(0, PointsPlanned() - (Done() + 1));
    fields_.Set(kTimeLeftField, HoursMinutes(ran / timedPoints_ * left));
}

std::string HoursMinutes(double seconds) {
    if (!(seconds > 0.0)) return "0:00";
    // Beyond any scan's length (100 points): shown as the most it can say.
    const double minutes = std::min(std::ceil(seconds / 60.0), 99999.0 * 60.0 + 59.0);
    const long total = static_cast<long>(minutes);
    return Printf("%ld:%02ld", total / 60, total % 60);
}

bool ScanRun::ReadyToMeasure() {
    // A controller whose reading fails (a bus error, a reply that carries no
    // temperature) is read again on the next ticks; the point waits for it.
    std::string failure;
    try {
        model_.UpdateTemperatureMarker();
    } catch (const xgpib& error) {
        failure = error.why();
    }
    if (failure.empty() && !controller_.ReadingValid()) failure = controller_.ReadingFailure();
    fields_.Set(kSampleField, failure.empty() ? controller_.ReadingText() : "Error");
    if (!failure.empty()) {
        ReadingFailed(failure);
        return false;
    }
    // A measured point waiting for its temperature needs no other test.
    if (awaiting_) {
        failingSince_.reset();
        return true;
    }
    StabilityTest::Verdict verdict;
    try {
        verdict = test_.Tick(force_);
    } catch (const xgpib& error) {
        // The ITC5's cryostat reading.
        ReadingFailed(error.why());
        return false;
    }
    failingSince_.reset();
    if (!verdict.status.empty()) program_.Status().SetText(verdict.status);
    if (!verdict.cryostatText.empty()) fields_.Set(kCryoField, verdict.cryostatText);
    return verdict.ready;
}

void ScanRun::ReadingFailed(const std::string& why) {
    const double now = clock_();
    if (!failingSince_) failingSince_ = now;
    if (now - *failingSince_ < kMostFailingSeconds) return;
    // Paused before the box: no tick runs while it is up, and an automated
    // run waiting on the scan sees it stopped.
    Pause();
    Prompt::Message(owner_,
                    Printf("No temperature from the %s for %.0f s: the scan is paused.\n%s",
                           controller_.DeviceName().c_str(), now - *failingSince_, why.c_str()),
                    "Temperature Scan", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    failingSince_.reset();
}

void ScanRun::Tick() {
    if (state_ != kScanPause || inTick_ || measuring_ || moving_) return;
    inTick_ = true;
    Guarded([this] {
        if (!ReadyToMeasure()) return;
        timer_.stop();
        RunLock lock = RunLock::TryAcquire(program_.Core());
        if (!lock) {
            // Another run holds the instrument: this point waits for the next tick.
            timer_.start(TimeScale::Ms(kTickMs));
            return;
        }
        program_.State().cancelRequested = false;
        measuring_ = true;
        Update();
        const ClearedOnExit done{measuring_};
        if (!MeasureAndRecord(lock)) {
            aborted_ = true;
            program_.Status().SetText("Cancelled");
            program_.Status().SetDetail("AutoSet I");
        }
    });
    measuring_ = false;
    inTick_ = false;
    Update();
}

bool ScanRun::MeasureAndRecord(const RunLock& lock) {
    int first = 1;
    if (awaiting_) {
        // The point measured before its temperature could be read: this
        // tick's reading is its temperature (the stage was stable then and
        // is still), unless the drift test asks for the measurement again.
        awaiting_ = false;
        double present = controller_.present;
        if (DriftTest(controller_.Kind(), force_, awaitingT0_, controller_.present, present)) {
            controller_.SetPresent(present);
            first = kMostMeasurements + 1;
        } else {
            first = awaitingRound_ + 1;
        }
    }
    for (int n = first; n <= kMostMeasurements; ++n) {
        const double t0 = controller_.present;
        if (program_.Records().scan.AutoSetIm) {
            const ScanCurrent::Result result = ScanCurrent::SetCurrentForPoint(program_, owner_);
            fields_.Set(kCurrentField, ScanCurrent::CurrentText(program_.Settings().Current));
            if (result == ScanCurrent::kAborted) return false;
            if (result == ScanCurrent::kFailed) throw StopQuietly{};
        }
        MeasurePoint(lock);
        ++measurements_;
        ++pointMeasurements_;
        fields_.Set(kSampleField, controller_.ReadingText());
        if (!controller_.ReadingValid()) {
            // The reading after the measurement is the point's temperature:
            // without it the point is not taken yet. The next ticks read
            // again; the first good reading completes the point.
            awaiting_ = true;
            awaitingT0_ = t0;
            awaitingRound_ = n;
            fields_.Set(kSampleField, "Error");
            ReadingFailed(controller_.ReadingFailure());
            if (state_ == kScanPause) timer_.start(TimeScale::Ms(kTickMs));
            return true;
        }
        double present = controller_.present;
        if (DriftTest(controller_.Kind(), force_, t0, controller_.present, present)) {
            controller_.SetPresent(present);
            break;
        }
        // After the tenth drifting measurement the last one stands.
    }
    model_.TakeTemperature();
    if (!model_.AddResults(program_.Results())) {
        // Not recorded, so not taken: the scan pauses here, and Resume
        // measures this point again, as after a failed measurement.
        Prompt::Message(owner_, model_.LastWriteFailure(), "File Error", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
        throw StopQuietly{};
    }
    NextPoint();
    return true;
}

void ScanRun::MeasurePoint(const RunLock& lock) {
    ResultsClear(program_);
    // A command that never started its run (a lid left open) must not pass
    // for one that succeeded with the status of the previous point.
    program_.State().measurementStatus = 1;
    lock.RunNested([this] {
        if (send_) send_(51);
    });
    if (program_.State().measurementStatus != 0) throw xmeas("Resistivity Failed", 0);
    fields_.Set(kSymmetryField, Printf("%.2f", program_.Results().symmetryFactor));
    if (model_.ResistivityOnly()) return;
    program_.State().measurementStatus = 1;
    lock.RunNested([this] {
        if (send_) send_(52);
    });
    if (program_.State().measurementStatus != 0) throw xmeas("Hall Failed", 0);
}

void ScanRun::RunSetup() {
    TSetupTemp dialog(owner_, program_.Records().scan, controller_.minimum, controller_.maximum,
                      help_);
    if (Prompt::Exec(dialog) == Prompt::IDOK) AcceptSetup();
}

void ScanRun::DumpLines(std::vector<std::string>& lines) const {
    lines.push_back(
        Printf("scan: state=%d done=%d of=%d current=%d measured=%d point_measured=%d "
               "aborted=%d timer=%d",
               state_, Done(), PointsPlanned(), CurrentSlot(), measurements_, pointMeasurements_,
               aborted_ ? 1 : 0, timer_.isActive() ? 1 : 0));
}
