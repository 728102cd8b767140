#pragma once
// The help: HTML pages shipped in help/ beside the program, shown in our own
// help window at the page of a context number.
#include <string>
#include <vector>

struct RunConfig;

namespace Help {
// Help > "Using Help".
constexpr int kUsingHelp = 101;

// The page of a context number inside the help folder ("current.html",
// "pideditor.html#ln2"); 0 is the index. Empty for a number without a page.
std::string PageOf(int context);
// Every context number that has a page, the index (0) first.
std::vector<int> Contexts();
// The help folder: the folder of the index page the run configuration names;
// empty when the pages were not found.
std::string Folder();

// The run configuration whose help file the help shows (set at start-up).
void Attach(const RunConfig& config);

// Shows the help window at the context's page (Help > "Hall System", F1 and
// the Help buttons). When it cannot, a message box says why and the result
// is false.
bool Open(int context);
bool OpenUsingHelp();

// "help: PAGE" while the help window is shown.
void Dump(std::vector<std::string>& lines);
// Closes and forgets the help window.
void Close();
}  // namespace Help
