#include "temperature/TemperatureCommands.h"

#include <QPointer>

#include "temperature/HotFunc.h"
#include "temperature/HotPanel.h"
#include "temperature/Itc5Func.h"
#include "temperature/Itc5Panel.h"
#include "temperature/Ln2Func.h"
#include "temperature/Ln2Panel.h"
#include "temperature/PidEditor.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"

namespace {
template <typename Panel>
void RunPanel(Panel* panel) {
    QPointer<Panel> guard(panel);
    Prompt::Exec(*panel);
    delete guard.data();
}
}  // namespace

void ShowTemperaturePanel(QWidget* owner, TTemp& controller) {
    if (auto* ln2 = dynamic_cast<LN2Func*>(&controller)) {
        auto* panel = new TTempLN2(owner, *ln2);
        panel->Open();
        RunPanel(panel);
    } else if (auto* itc = dynamic_cast<ITC5Func*>(&controller)) {
        auto* panel = new TTempITC5(owner, *itc);
        panel->Open();
        RunPanel(panel);
    } else if (auto* hot = dynamic_cast<HotFunc*>(&controller)) {
        RunPanel(new TTempHot(owner, *hot));
    } else if (controller.Kind() == ControllerKind::None) {
        RunPanel(new TTempOpen(owner, controller));
    }
}

bool PidEditorEnabled(const TTemp& controller) {
    return controller.Kind() == ControllerKind::LN2 || controller.Kind() == ControllerKind::ITC5;
}

void ShowPidEditor(QWidget* owner, TTemp& controller) {
    auto* con = dynamic_cast<TTempCon*>(&controller);
    if (!con || !PidEditorEnabled(controller)) return;
    // The one place the editor's registry is taken: the menu command is all
    // its caller has.
    RunPanel(new TEditPIDDlg(owner, *con, Registry()));
}

void DumpTemperature(std::vector<std::string>& lines, TTemp& controller) {
    lines.push_back(Printf("temperature: kind=%d present=%.10g set=%.10g text=%s min=%d max=%d",
                           KindNumber(controller.Kind()), controller.present, controller.setPoint,
                           controller.ReadingText().c_str(), controller.minimum,
                           controller.maximum));
    if (const PidTable* table = controller.Table())
        for (const Tpid& e : table->Entries())
            lines.push_back(
                Printf("pid: %d %d %d %d %d %d %d", e.T, e.P, e.I, e.D, e.M1, e.M2, e.M3));
    if (const TempPanel* panel = TempPanel::Current()) lines.push_back(panel->DumpLine());
}
