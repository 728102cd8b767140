#pragma once
// The scan windows in the main frame's client: the live window (scan mode
// only), the viewers that "Open Tscan..." and a dropped file open, and which
// of them the Graph commands act on.
#include <functional>
#include <string>
#include <vector>

class QMdiArea;
class QWidget;
class TScanAcq;
class TScanBase;
class TScanRead;
class TTemp;

namespace ScanWindows {

// Creates "Temperature Scan" in the client (before the settings set is read).
TScanAcq* CreateLive(QMdiArea* client, TTemp* controller);
TScanAcq* Live();
QMdiArea* Client();

// The graph the Graph commands act on: the client's current window when it
// is a scan window.
TScanBase* Active();

// Called with each viewer as it opens (the frame attaches its graph keys).
void SetViewerOpened(std::function<void(TScanRead*)> opened);

// Steps 2 and 3 of opening: "Can't Open File:" when the file cannot be read,
// "File is Empty" when no point could be read; else a new viewer, shown and
// made current, titled with the file's name.
TScanRead* OpenFile(QWidget* owner, const std::string& path);
// "Open Tscan..." (61): the open dialog, then OpenFile; the data directory
// becomes the file's folder.
void OpenCommand(QWidget* owner);

// "graph:", "point:" and "scanwindow:" lines of every scan window.
void Dump(std::vector<std::string>& lines);

}  // namespace ScanWindows
