#pragma once
// Our automation interface: run menu commands and press or fill the controls
// of open windows after start-up (--run), print the program's state
// (--dump), print every message box as it is shown and answer it from a
// list (--answer).
//
// An item counts as finished when the program is idle again: no run holds
// the run lock and no scan runs. A control item ("LOGFILE.106") names its
// window by resource name; a window that is not open is waited for (at most
// 30 s). When an item opens a modal window, the items right after it that
// name that window are carried into its event loop, in order; the first
// item that does not name it waits until it has closed, by one of those
// items or by the --answer rule once none is left.
#include <functional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Prompt.h"

class MainFrame;

namespace Automation {

// Runs the items in order, each as if the operator chose it and until it has
// finished; a timed item is issued its delay after the previous item started,
// while that one still runs. Calls done() at the end.
void Run(MainFrame& frame, const std::vector<RunItem>& items, std::function<void()> done);

// The "key: value" lines of --dump. Other modules add their lines through
// AddDumpSection.
std::vector<std::string> DumpLines(const MainFrame& frame);
void AddDumpSection(std::function<void(std::vector<std::string>&)> section);

// Answers the message boxes from the --answer list, and the modal dialogs
// too, unless items of the running --run name them: then the dialog runs
// for real and those items work it.
class Responder : public Prompt::ScriptedResponder {
  public:
    using ScriptedResponder::ScriptedResponder;
    int AnswerDialog(QDialog& dialog, const Prompt::Record& record) override;
};

// While the scan runs the program is not idle, whatever the run lock says.
void SetScanRunningQuery(std::function<bool()> scanRunning);
// Forgets the dump sections and the scan query (part of ResetProgramState).
void ResetAutomationState();

// "message: CAPTION | TEXT" with newlines written as \n.
std::string MessageLine(const std::string& caption, const std::string& text);

}  // namespace Automation
