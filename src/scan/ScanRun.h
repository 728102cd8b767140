#pragma once
// The temperature scan's run: the program-wide ScanState, the panel's model
// (its fields and the enabling of its buttons) and the 495 ms timer that
// drives a scan point by point. The panel (TScanDlg) is only its view, so
// the state survives closing and reopening the panel, and the whole run is
// tested without it.
//
// At each point the stage gets its set-point, the timer's ticks wait for
// stability, then one tick holds the run lock while it sets the current (if
// asked), sends "Resistivity" (51) and "Hall" (52) to the main window as
// nested runs, checks the drift, records the point and goes to the next.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/FieldSet.h"
#include "scan/ScanModel.h"
#include "temperature/Stability.h"

class ProgramState;
class RunLock;
class TTemp;

enum ScanStateValue : int {
    kScanSetup = 0,     // nothing planned yet
    kScanStart = 1,     // planned, not started
    kScanResume = 2,    // paused, or stopped by an error, at the current point
    kScanPause = 3,     // running
    kScanFinished = 4,  // all points done
};

class ScanRun : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 495;
    static constexpr int kStartPauseMs = 500;
    static constexpr int kMostMeasurements = 10;
    // Rack seconds of failed temperature readings in a row after which the
    // scan stops waiting and pauses with a message.
    static constexpr double kMostFailingSeconds = 60.0;

    // The panel's controls.
    static constexpr int kPointField = 100;
    static constexpr int kCurrentField = 101;
    static constexpr int kCryoField = 102;
    static constexpr int kSampleField = 103;
    static constexpr int kSymmetryField = 104;
    static constexpr int kSetField = 109;
    // Beside "Point #": the points planned, and the time the rest should
    // take at the mean pace so far ("h:mm"; empty before a point is done).
    static constexpr int kOfField = 110;
    static constexpr int kTimeLeftField = 111;
    static constexpr int kMainButton = 107;  // its label is field 107 of the model
    static constexpr int kCloseButton = 2;
    static constexpr int kHelpButton = 998;
    static constexpr int kNewRunButton = 108;
    static constexpr int kForceButton = 105;
    static constexpr int kNextButton = 106;

    // The run keeps its records (settings, results, run state, status) in
    // the program's state it is given, and the scan's data in its own model
    // (the live window shows it).
    ScanRun(ProgramState& program, TTemp& controller);
    ~ScanRun() override;

    // The scan's plan, points, working file and markers.
    ScanModel& Model() { return model_; }
    const ScanModel& Model() const { return model_; }

    // How the scan sends a menu command to the main window, synchronously
    // (the frame's own handler runs; its menus may be greyed meanwhile).
    void SetCommandSender(std::function<void(int id)> send) { send_ = std::move(send); }
    // Where message boxes and the set-up dialog belong (the panel while it is open).
    void SetOwner(QWidget* owner) { owner_ = owner; }
    // The clock that times a controller's failing readings, in seconds of
    // rack time (the program's scaled clock unless a test sets its own).
    void SetClock(std::function<double()> clock) { clock_ = std::move(clock); }
    // The help viewer for the scan's Help buttons (panel context 10, set-up 11).
    void SetHelp(std::function<void(int context)> help) { help_ = std::move(help); }
    void ShowHelp(int context) const {
        if (help_) help_(context);
    }

    int State() const { return state_; }
    FieldSet& Fields() { return fields_; }
    const FieldSet& Fields() const { return fields_; }
    bool Enabled(int button) const;
    // The scan is under way: running, or starting. Not while it waits for
    // the operator after an abort during the current search.
    bool Running() const;
    bool TimerActive() const { return timer_.isActive(); }
    bool AbortedInSearch() const { return aborted_; }
    // The stage is being given the current point's set-point (the ITC5's
    // sensor switch waits twice meanwhile, with the panel alive).
    bool Moving() const { return moving_; }
    int Done() const;
    int PointsPlanned() const;
    int CurrentSlot() const;
    // Measurements (resistivity and, unless resistivity only, Hall) since
    // the scan started; at the point now current.
    int Measurements() const { return measurements_; }

    // The panel's buttons.
    void PressMain();
    void PressNewRun();
    void PressForce();
    void PressNextTemp();
    // The panel was opened: the three margins are set to 2.
    void PanelOpened();
    // The set-up was confirmed and stored: planned, ready to start.
    void AcceptSetup();

    // "scan: state= done= of= current= measured= point_measured= aborted=".
    void DumpLines(std::vector<std::string>& lines) const;

    // One timer tick (tests call it directly).
    void Tick();

  signals:
    // The state or an enabling changed.
    void changed();

  private:
    struct StopQuietly {};  // an error already shown: pause without a second box
    void RunSetup();
    void Start();
    void Resume();
    void Pause();
    void GoToPoint();
    void NextPoint();
    void Finish();
    // Steps 1 and 2 of a tick: the temperature marker and the stability test.
    // Not ready while the controller's reading fails.
    bool ReadyToMeasure();
    // A reading that failed at a tick or at the end of a measurement; after
    // kMostFailingSeconds of them in a row the scan pauses with a message.
    void ReadingFailed(const std::string& why);
    // Steps 4 to 6, under the lock; false when the operator aborted the search.
    bool MeasureAndRecord(const RunLock& lock);
    void MeasurePoint(const RunLock& lock);
    void ShowError(const std::string& text);
    // Runs a step; an error is shown and pauses the scan.
    void Guarded(const std::function<void()>& step);
    void Update();
    // The clock runs for the scan only while it runs (state 3), not while
    // it waits paused; a point done updates the time left.
    void ClockOn();
    void ClockOff();
    void PointTimed();

    ProgramState& program_;
    TTemp& controller_;
    ScanModel model_;
    StabilityTest test_;
    QTimer timer_;
    FieldSet fields_;
    std::function<void(int)> send_;
    QPointer<QWidget> owner_;
    std::function<double()> clock_;
    std::function<void(int)> help_;

    int state_ = kScanSetup;
    bool force_ = false;
    bool measuring_ = false;
    bool starting_ = false;
    bool aborted_ = false;
    bool inTick_ = false;
    bool moving_ = false;
    // When the present run of failed readings began; none while they succeed.
    std::optional<double> failingSince_;
    // A point measured whose temperature reading failed: the measurement
    // round it was in and T0 of that round, until a tick reads the stage.
    bool awaiting_ = false;
    int awaitingRound_ = 0;
    double awaitingT0_ = 0.0;
    int measurements_ = 0;
    int pointMeasurements_ = 0;
    // Seconds the scan has run, points done in them, and when the present
    // stretch of running began.
    double runSeconds_ = 0.0;
    int timedPoints_ = 0;
    std::optional<double> runningSince_;
};

// "h:mm" of a number of seconds, whole minutes rounded up: a scan with
// seconds left never reads "0:00".
std::string HoursMinutes(double seconds);
