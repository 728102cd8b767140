#pragma once
// The main frame: the multiple-document client HallClient, one of the two
// menus, the accelerators, the tool bar with the abort button and the status
// fields, and in scan mode the graph tools.
#include "core/ControllerKind.h"
#include <QMainWindow>
#include <QMdiArea>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/MenuTable.h"

class QAction;
class QLabel;
#include <QStringList>
class FittedField;
class QToolButton;
class QActionGroup;

class HallClient : public QMdiArea {
    Q_OBJECT
  public:
    explicit HallClient(QWidget* parent = nullptr);
    // Windows one above another, and side by side.
    void TileHorizontal();
    void TileVertical();
    void ArrangeIcons();
};

struct CommandHandler {
    std::function<void()> run;
    bool allowedWhileBusy = false;  // e.g. the abort button
    std::function<bool()> enabled;  // extra enabling rule, may be empty
    std::function<bool()> checked;  // for check-mark entries, may be empty
};

// Sizes a top-level window to `wanted`, or to what the screen leaves free
// when that is less, and centres it on the screen.
void FitWithin(QWidget& window, const QSize& wanted);

class ProgramState;

class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // The frame shows the program's status fields and log file and passes
    // the state on to the windows it makes.
    MainFrame(ProgramState& program, ControllerKind controllerKind, bool demo);
    ~MainFrame() override;

    // The frame caption: "RT44WIN Hall System", with " DEMO" in demo mode.
    static std::string CaptionFor(ControllerKind controllerKind, bool demo);

    HallClient* Client() const { return client_; }
    ProgramState& Program() const { return program_; }
    bool ScanMode() const { return scan_; }

    // Commands are served by the modules that own them; a command without a
    // handler stays in its menu, disabled.
    void Register(int id, CommandHandler handler);
    // Runs a command as if the operator chose it; false when it is not
    // available (no handler, or disabled now).
    bool Command(int id);
    // Sends a command to the frame as a program does, not as a menu entry:
    // its handler runs even while its menu is greyed (the run lock and the
    // handler's own checks still apply). False when it has no handler.
    bool Send(int id);
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    const std::vector<MenuCommand>& MenuCommands() const { return commands_; }
    // Refreshes enabled and checked states (after a run starts or ends).
    void UpdateCommands();

    // The client is set up: the caption takes its final text.
    void SetUpClient(ControllerKind controllerKind, bool demo);

    // Graph tool mode of the scan tool bar: 0 cursor, 1 zoom, 2 rubber band,
    // 3 set value, 4 text.
    int GraphMode() const { return graphMode_; }
    void SetGraphMode(int mode);
    // The graph keys (plain letters) act while `graph` or a child has the focus.
    void AttachGraphKeys(QWidget* graph);

    // While the scan panel is open: the top-level menus but Graph and the
    // frame's Close are disabled, their commands and keys with them.
    void SetScanPanelOpen(bool open);
    // Whether the top-level menu of this title ("File", "Graph" ...) is usable.
    bool MenuEnabled(const std::string& title) const;

    std::function<void(const std::string&)> onScanFileDropped;
    std::function<bool()> canClose;  // refuses closing (e.g. while a run is busy)

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    ProgramState& program_;
    void BuildMenus();
    void BuildMenuLevel(QWidget* menu, const std::vector<MenuEntry>& entries);
    void BuildToolBar();
    void BuildLogField();
    void FitToScreen();
    // A tool bar field as wide as the longest of `longest` in its font; a
    // number field widens for a longer text, a message field cuts it.
    FittedField* StatusField(const QStringList& longest, bool number, const char* name);

    bool scan_;
    HallClient* client_;
    std::map<int, QAction*> actions_;
    std::map<int, CommandHandler> handlers_;
    std::vector<MenuCommand> commands_;
    QAction* abortAction_ = nullptr;
    QActionGroup* toolGroup_ = nullptr;
    int graphMode_ = 0;
    std::vector<QAction*> graphKeyActions_;
    QLabel* logField_ = nullptr;
    bool scanPanelOpen_ = false;
    std::map<int, std::string> topMenuOf_;  // command id -> its top-level menu's title
};

// Whether a dropped file may be opened as a scan file (extension "tsc" in
// any case).
bool IsScanFileName(const std::string& path);
