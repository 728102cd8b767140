#include "app/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "platform/FileNames.h"
#include "views/FittedField.h"
#include "records/LogFile.h"
#include "core/MeasurementState.h"
#include "records/ProgramState.h"
#include "platform/Prompt.h"
#include "core/RunLock.h"
#include "core/StatusFields.h"

namespace {
// The longest texts each tool bar field is given, for its width ('#' is a
// digit). The state field: the measurements' and the scan's states.
const QStringList kLongestStatusTexts = {"Ready",       "ERROR",       "Cancelled",  "Check",
                                         "IV-Curve",    "Resistivity", "Hall Meas.", "Standby",
                                         "Change Temp", "Finished",    "AutoSet I",  "Stabilizing"};
// The detail field: the timed readings' progress ("%s %d (%+.3f)", kept to
// 19 characters, so a large reading is cut there already), the bus and
// reading failures. Longer texts (other exceptions') are cut with an
// ellipsis and shown whole in the tooltip.
const QStringList kLongestStatusDetails = {"Delay ### (+####.##",
                                           "Delay ### (-####.##",
                                           "Integ ## (+####.###",
                                           "Integ ## (-####.###",
                                           "GPIB",
                                           "AutoSet I",
                                           "I-meas Saturating",
                                           "Measurement Failure",
                                           "A/D OverRange",
                                           "F.P.Divide By Zero"};
// The graph's cursor read-outs: "T= %.1lf" in kelvin, and "%.2e" of a
// concentration, resistivity, Hall coefficient or mobility, whose exponents
// stay within two digits. Each sign, as a plus may be wider than a minus. A
// longer number widens its field.
const QStringList kLongestReadouts[3] = {
    {"T= ####.#", "T= -###.#"},
    {"R= #.##e+##", "R= #.##e-##", "N= #.##e+##", "N= #.##e-##"},
    {"Rh= #.##e+##", "Rh= #.##e-##", "\u00B5= #.##e+##", "\u00B5= #.##e-##"},
};
}  // namespace

HallClient::HallClient(QWidget* parent) : QMdiArea(parent) {
    setObjectName("HallClient");
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void HallClient::TileHorizontal() {
    const auto windows = subWindowList();
    int visible = 0;
    for (auto* w : windows)
        if (w->isVisible() && !w->isMinimized()) ++visible;
    if (visible == 0) return;
    const int height = viewport()->height() / visible;
    int y = 0;
    for (auto* w : windows) {
        if (!w->isVisible() || w->isMinimized()) continue;
        w->showNormal();
        w->setGeometry(0, y, viewport()->width(), height);
        y += height;
    }
}

void HallClient::TileVertical() {
    const auto windows = subWindowList();
    int visible = 0;
    for (auto* w : windows)
        if (w->isVisible() && !w->isMinimized()) ++visible;
    if (visible == 0) return;
    const int width = viewport()->width() / visible;
    int x = 0;
    for (auto* w : windows) {
        if (!w->isVisible() || w->isMinimized()) continue;
        w->showNormal();
        w->setGeometry(x, 0, width, viewport()->height());
        x += width;
    }
}

// Any screen, any scale factor: the frame takes most of what the desktop
// leaves free and never more, centred on it.
void FitWithin(QWidget& window, const QSize& wanted) {
    const QScreen* screen = window.screen();
    if (!screen) {
        window.resize(wanted);
        return;
    }
    const QRect free = screen->availableGeometry();
    const QSize size = wanted.boundedTo(free.size() * 0.94);
    window.resize(size);
    window.move(free.center() - QPoint(size.width() / 2, size.height() / 2));
}

void HallClient::ArrangeIcons() {
    int x = 0;
    const int y = viewport()->height();
    for (auto* w : subWindowList()) {
        if (!w->isMinimized()) continue;
        const QSize size = w->size();
        w->move(x, y - size.height());
        x += size.width();
    }
}

MainFrame::MainFrame(ProgramState& program, ControllerKind controllerKind, bool demo)
    : program_(program), scan_(HasController(controllerKind)), client_(new HallClient(this)) {
    setObjectName("MainFrame");
    setWindowTitle("RT44WIN");
    setWindowIcon(QIcon(":/icons/hall.svg"));
    setCentralWidget(client_);
    BuildMenus();
    BuildToolBar();
    setAcceptDrops(scan_);
    BuildLogField();
    FitToScreen();
    (void)demo;
    connect(&program_.Status(), &StatusFields::busyChanged, this, [this] { UpdateCommands(); });

    Register(24361, {[this] { client_->cascadeSubWindows(); }, true, {}, {}});
    Register(24362, {[this] { client_->TileVertical(); }, true, {}, {}});
    Register(24363, {[this] { client_->TileHorizontal(); }, true, {}, {}});
    Register(24364, {[this] { client_->ArrangeIcons(); }, true, {}, {}});
    Register(kAbortCommand, {[this] { program_.State().cancelRequested = true; },
                             true,
                             [this] { return RunLock::Held(program_.Core()); },
                             {}});
    if (scan_) {
        const std::pair<int, int> tools[] = {{255, 0}, {251, 1}, {252, 2}, {254, 4}, {253, 3}};
        for (auto [id, mode] : tools)
            Register(id, {[this, mode = mode] { SetGraphMode(mode); },
                          true,
                          {},
                          [this, mode = mode] { return graphMode_ == mode; }});
    }
}

std::string MainFrame::CaptionFor(ControllerKind controllerKind, bool demo) {
    return std::string(FactsOf(controllerKind).shortName) + " Hall System" + (demo ? " DEMO" : "");
}

void MainFrame::SetUpClient(ControllerKind controllerKind, bool demo) {
    setWindowTitle(QString::fromStdString(CaptionFor(controllerKind, demo)));
}

void MainFrame::BuildMenus() {
    const auto menu = BuildMenu(scan_);
    commands_ = FlattenMenu(menu);
    for (const MenuCommand& c : commands_) topMenuOf_[c.id] = c.path.substr(0, c.path.find(" > "));
    BuildMenuLevel(menuBar(), menu);
    for (const auto& key : BuildAccelerators(scan_)) {
        auto it = actions_.find(key.id);
        if (it == actions_.end()) continue;
        // The key stays with the entry's action, so it shows in the menu.
        auto shortcuts = it->second->shortcuts();
        shortcuts.append(QKeySequence(QString::fromStdString(key.key)));
        it->second->setShortcuts(shortcuts);
        // A plain letter is a graph key: it acts only while a graph window
        // has the focus, so typing into an edit never fires it.
        if (!key.key.empty() && key.key[0] != 'F') {
            it->second->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            graphKeyActions_.push_back(it->second);
        }
    }
}

void MainFrame::BuildMenuLevel(QWidget* parent, const std::vector<MenuEntry>& entries) {
    auto* bar = qobject_cast<QMenuBar*>(parent);
    auto* menu = qobject_cast<QMenu*>(parent);
    for (const auto& entry : entries) {
        const QString text = QString::fromStdString(entry.text);
        if (entry.text.empty()) {
            if (menu) menu->addSeparator();
        } else if (entry.id == 0) {
            QMenu* sub = bar ? bar->addMenu(text) : menu->addMenu(text);
            sub->setObjectName(QString("menu") + QString(text).remove('&').remove(' '));
            BuildMenuLevel(sub, entry.children);
        } else {
            auto* action = new QAction(text, this);
            action->setObjectName(QString("command%1").arg(entry.id));
            action->setEnabled(false);
            const int id = entry.id;
            connect(action, &QAction::triggered, this, [this, id] { Command(id); });
            (bar ? static_cast<QWidget*>(bar) : menu)->addAction(action);
            actions_[id] = action;
        }
    }
}

FittedField* MainFrame::StatusField(const QStringList& longest, bool number, const char* name) {
    auto* field = new FittedField(
        longest, number ? FittedField::Overflow::Widen : FittedField::Overflow::Elide, this);
    field->setObjectName(name);
    QFont font = field->font();
    font.setPointSize(10);
    field->setFont(font);
    return field;
}

void MainFrame::BuildToolBar() {
    auto* bar = addToolBar("Tools");
    bar->setObjectName("toolbar");
    bar->setMovable(false);
    bar->setIconSize(QSize(20, 20));
    abortAction_ = new QAction(QIcon(":/icons/abort.svg"), "Abort Measurement", this);
    abortAction_->setObjectName("button250");
    abortAction_->setToolTip("Abort Measurement");
    abortAction_->setEnabled(false);
    connect(abortAction_, &QAction::triggered, this, [this] { Command(kAbortCommand); });
    actions_[kAbortCommand] = abortAction_;
    bar->addAction(abortAction_);
    bar->addSeparator();
    auto* text = StatusField(kLongestStatusTexts, false, "statusText");
    auto* detail = StatusField(kLongestStatusDetails, false, "statusDetail");
    text->SetFullText(QString::fromStdString(program_.Status().Text()));
    detail->SetFullText(QString::fromStdString(program_.Status().Detail()));
    connect(&program_.Status(), &StatusFields::textChanged, text, &FittedField::SetFullText);
    connect(&program_.Status(), &StatusFields::detailChanged, detail, &FittedField::SetFullText);
    bar->addWidget(text);
    bar->addWidget(detail);
    if (!scan_) return;
    bar->addSeparator();
    toolGroup_ = new QActionGroup(this);
    toolGroup_->setExclusive(true);
    const struct {
        int id;
        const char* hint;
        const char* icon;
    } tools[] = {{255, "Simple Cursor", ":/icons/cursor.svg"},
                 {251, "Zoom Scale", ":/icons/zoom.svg"},
                 {252, "Rubber Band", ":/icons/rubber.svg"},
                 {254, "Add Text", ":/icons/text.svg"}};
    for (const auto& tool : tools) {
        auto* action = new QAction(QIcon(tool.icon), tool.hint, this);
        action->setObjectName(QString("button%1").arg(tool.id));
        action->setToolTip(tool.hint);
        action->setCheckable(true);
        action->setChecked(tool.id == 255);
        const int id = tool.id;
        connect(action, &QAction::triggered, this, [this, id] { Command(id); });
        toolGroup_->addAction(action);
        bar->addAction(action);
        actions_[id] = action;
    }
    bar->addSeparator();
    for (int i = 0; i < 3; ++i) {
        auto* field = StatusField(kLongestReadouts[i], true,
                                  i == 0   ? "readout0"
                                  : i == 1 ? "readout1"
                                           : "readout2");
        connect(&program_.Status(), &StatusFields::readoutChanged, field,
                [field, i](int index, const QString& t) {
                    if (index == i) field->SetFullText(t);
                });
        bar->addWidget(field);
    }
}

void MainFrame::AttachGraphKeys(QWidget* graph) {
    for (QAction* action : graphKeyActions_) graph->addAction(action);
}

void MainFrame::SetGraphMode(int mode) {
    graphMode_ = mode;
    UpdateCommands();
}

void MainFrame::Register(int id, CommandHandler handler) {
    handlers_[id] = std::move(handler);
    UpdateCommands();
}

void MainFrame::FitToScreen() {
    FitWithin(*this, QSize(1560, 960));
}

void MainFrame::BuildLogField() {
    // Whether measurements are being logged, and where, in a field of its
    // own: the tool bar's two fields belong to the runs.
    logField_ = new QLabel(this);
    logField_->setObjectName("logFile");
    statusBar()->addPermanentWidget(logField_, 1);
    statusBar()->setSizeGripEnabled(true);
    auto show = [this] {
        logField_->setText(
            program_.Log().IsOpen()
                ? QString("Log file: %1").arg(FileNames::FromStored(program_.Log().Name()))
                : QString("No log file open"));
    };
    show();
    program_.Log().SetChangeListener(show);
}

MainFrame::~MainFrame() {
    program_.Log().SetChangeListener(nullptr);
    // The client's windows go after the frame's own members; what they
    // signal on the way (a sub-window activated as another closes) must not
    // reach a frame that is half gone.
    client_->disconnect(this);
    for (QMdiSubWindow* sub : client_->subWindowList()) sub->disconnect(this);
}

bool MainFrame::IsEnabled(int id) const {
    auto it = handlers_.find(id);
    if (it == handlers_.end()) return false;
    const CommandHandler& h = it->second;
    if (auto top = topMenuOf_.find(id); top != topMenuOf_.end() && !MenuEnabled(top->second))
        return false;
    if (!RunLock::CanStart(program_.Core()) && !h.allowedWhileBusy) return false;
    return !h.enabled || h.enabled();
}

bool MainFrame::IsChecked(int id) const {
    auto it = handlers_.find(id);
    return it != handlers_.end() && it->second.checked && it->second.checked();
}

bool MainFrame::Command(int id) {
    if (!IsEnabled(id)) {
        UpdateCommands();
        return false;
    }
    // Copy: a handler may register others while it runs.
    const auto run = handlers_[id].run;
    run();
    UpdateCommands();
    return true;
}

bool MainFrame::Send(int id) {
    auto it = handlers_.find(id);
    if (it == handlers_.end()) return false;
    const auto run = it->second.run;
    run();
    UpdateCommands();
    return true;
}

bool MainFrame::MenuEnabled(const std::string& title) const {
    // The scan panel leaves only the Graph menu: the graph may be looked at
    // while the scan runs, nothing else may start.
    return !scanPanelOpen_ || title == "Graph";
}

void MainFrame::SetScanPanelOpen(bool open) {
    scanPanelOpen_ = open;
    // Found by title, not by position: a maximised child window's icon
    // never takes a place in this menu bar.
    for (QAction* action : menuBar()->actions())
        if (QMenu* menu = action->menu())
            action->setEnabled(MenuEnabled(menu->title().remove('&').toStdString()));
    UpdateCommands();
}

void MainFrame::UpdateCommands() {
    for (auto& [id, action] : actions_) {
        action->setEnabled(IsEnabled(id));
        auto it = handlers_.find(id);
        if (it != handlers_.end() && it->second.checked) {
            action->setCheckable(true);
            action->setChecked(it->second.checked());
        }
    }
}

bool IsScanFileName(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    return info.suffix().compare("tsc", Qt::CaseInsensitive) == 0 &&
           !info.completeBaseName().isEmpty();
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (scan_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (!scan_ || urls.isEmpty()) return;
    // Only the first dropped file is taken.
    const std::string path = urls.first().toLocalFile().toStdString();
    if (!IsScanFileName(path)) {
        Prompt::Message(this, "Hall only accepts .tsc files", "Drop Error");
        return;
    }
    if (onScanFileDropped) onScanFileDropped(path);
    event->acceptProposedAction();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (scanPanelOpen_ || (canClose && !canClose())) {
        event->ignore();
        return;
    }
    event->accept();
}
