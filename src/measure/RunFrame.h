#pragma once
// The run frame shared by the measurements: the exception table every run
// goes through and the log-block condition (MeasurementRun.cpp), and the main
// window's measure commands, which show a window and run it, with their
// pre-checks (lid, shape and dimensions, the closing temperature reading;
// MeasurementWindow.cpp).
#include <functional>
#include <string>

class ProgramState;

class FieldSet;
class MeasurementWindow;
class QWidget;

// How a run's steps ended.
enum class RunEnd { Completed, BusError, Cancelled, Failed };

// Runs steps and catches what they raise: a bus error shows "ERROR" / "GPIB",
// the operator's abort "Cancelled" / "", any other error "ERROR" / its text.
// The caller ends the run: after a bus error nothing more is done; otherwise
// it disconnects, appends its log block and hands over its results.
RunEnd RunSteps(ProgramState& program, const std::function<void()>& steps);

// The end of every run after its steps: nothing after a bus error;
// otherwise the disconnect, the log block (when its LogInclude bit is set
// and a log is open) and, where the measurement has them, its results.
void FinishRun(ProgramState& program, RunEnd end, unsigned logMask,
               const std::function<std::string()>& logBlock,
               const std::function<void()>& results = {});
// Between readings: serves the window messages and raises the operator's
// abort when it has been asked for.
void CheckCancel(ProgramState& program);

// Appends a measurement's block when its LogInclude bit is set and a log is open.
void AppendLogBlock(ProgramState& program, unsigned mask, const std::string& block);
// A field's text cut to at most `limit` characters, as the log blocks read it.
std::string FieldText(const FieldSet& fields, int id, std::size_t limit);

// While the temperature scan runs, the windows are not brought forward.
void SetScanRunningQuery(std::function<bool()> scanRunning);

// Command 56 (and 57 with the IV window): runs the window, no lid check.
void CheckContactsCommand(MeasurementWindow& check);
// Command 51: lid check, the window by the specimen's shape ("Dimensions
// Missing" for a bar or bridge without Length and Width), the run, then the
// controller's reading. readTemperature may be empty.
void ResistivityCommand(QWidget* owner, MeasurementWindow& vanDerPauw, MeasurementWindow& bar,
                        const std::function<void()>& readTemperature);
// Command 52: lid check, the Hall window's run, the controller's reading.
void HallCommand(QWidget* owner, MeasurementWindow& hall,
                 const std::function<void()>& readTemperature);
