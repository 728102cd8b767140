#include "temperature/PidEditorLogic.h"

#include <QFile>
#include <charconv>
#include <optional>

#include "core/Printf.h"
#include "core/RunConfig.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "temperature/PidFile.h"
#include "temperature/PidRegistry.h"

namespace {
constexpr const char* kCaption = "Temperature Control Settings";

std::optional<std::int32_t> WholeNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    std::int32_t value = 0;
    const char* first = s.data();
    const char* last = first + s.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) return std::nullopt;
    return value;
}

std::int32_t Tpid::*const kFactorFields[] = {&Tpid::P,  &Tpid::I,  &Tpid::D,
                                             &Tpid::M1, &Tpid::M2, &Tpid::M3};
}  // namespace

PidEditorLogic::PidEditorLogic(TTempCon& controller, RegistryStore& registry)
    : controller_(controller), registry_(registry) {
    if (Itc5()) {
        Fields().Set(kM1Label, "Cryostat Margin");
        Fields().Set(kM2Label, "Sample Margin");
        Fields().Set(kM3Label, "Drift Margin");
    } else {
        Fields().Set(kM1Label, "Margin (dT)");
        Fields().Set(kM2Label, "Stabilizing (Sec)");
        Fields().Set(kM3Label, "");
    }
    // Field 110 is left to the view here: the dump has shown it only once
    // the list's box had shown a text.
    QStringList lines;
    for (const Tpid& e : controller_.Table()->Entries()) lines << QString::number(e.T);
    SetLines(lines);
}

bool PidEditorLogic::Itc5() const {
    return controller_.Kind() == ControllerKind::ITC5;
}

std::string PidEditorLogic::Key() const {
    return PidTableKey(controller_.Kind());
}

bool PidEditorLogic::Dumped(int id) const {
    return id != kLines && (id < kM1Label || id > kM3Label);
}

QStringList PidEditorLogic::Lines() const {
    const std::string text = Fields().Get(kLines);
    if (text.empty()) return {};
    return QString::fromStdString(text).split('\n');
}

void PidEditorLogic::SetLines(const QStringList& lines) {
    Fields().Set(kLines, lines.join('\n').toStdString());
}

void PidEditorLogic::Refill() {
    QStringList lines;
    for (const Tpid& e : controller_.Table()->Entries()) lines << QString::number(e.T);
    SetLines(lines);
    emit linesRefilled();
    Fields().Set(kTemperature, "");
}

void PidEditorLogic::Choose(int index) {
    const QStringList lines = Lines();
    if (index < 0 || index >= lines.size()) return;
    const auto t = WholeNumber(lines[index]);
    if (!t) return;
    const Tpid* entry = controller_.Table()->Find(*t);
    if (!entry) return;
    for (int i = 0; i < FactorCount(); ++i)
        Fields().Set(kGain + i, std::to_string(entry->*kFactorFields[i]));
}

bool PidEditorLogic::ReadFactors(Tpid& entry) {
    for (int i = 0; i < FactorCount(); ++i) {
        const auto value = WholeNumber(QString::fromStdString(Fields().Get(kGain + i)));
        if (!value) {
            Prompt::Message(Owner(), "Enter a whole number in every field.", kCaption,
                            Prompt::Buttons::Ok, Prompt::Icon::Warning);
            emit refused(kGain + i);
            return false;
        }
        entry.*kFactorFields[i] = *value;
    }
    return true;
}

void PidEditorLogic::AddUpdate() {
    const QString text = QString::fromStdString(Fields().Get(kTemperature)).left(5);
    if (text.trimmed().isEmpty()) return;
    const auto t = WholeNumber(text);
    if (!t) {
        Prompt::Message(Owner(), "The temperature must be a whole number of kelvin.", kCaption,
                        Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    Tpid entry;
    entry.T = *t;
    if (!ReadFactors(entry)) return;
    PidTable& table = *controller_.Table();
    if (Tpid* existing = table.Find(entry.T)) {
        *existing = entry;
    } else {
        // An entry the live table cannot hold would be listed and stored but
        // not used until some later start: refuse it instead.
        if (table.Full()) {
            Prompt::Message(Owner(),
                            Printf("The table holds %zu entries at most. Delete one before adding "
                                   "another.",
                                   PidTable::kCapacity),
                            kCaption, Prompt::Buttons::Ok, Prompt::Icon::Warning);
            return;
        }
        table.Add(entry);
        // The list keeps the order of its making: a new line goes at its end.
        const QString line = QString::number(entry.T);
        SetLines(Lines() << line);
        emit lineAdded(line);
    }
    registry_.Set(Key() + "\\" + std::to_string(entry.T),
                  PidEntryValues(controller_.Kind(), entry));
}

void PidEditorLogic::DeleteSelected() {
    const QString text = QString::fromStdString(Fields().Get(kTemperature)).left(23);
    if (text.isEmpty()) return;
    registry_.DeleteKey(Key() + "\\" + text.toStdString());
    // The line of that name goes, whichever line was chosen last.
    QStringList lines = Lines();
    const int line = static_cast<int>(lines.indexOf(text));
    if (line >= 0) {
        lines.removeAt(line);
        SetLines(lines);
    }
    emit lineRemoved(line);
    Fields().Set(kTemperature, "");
    if (const auto t = WholeNumber(text)) controller_.Table()->Remove(*t);
}

void PidEditorLogic::Import() {
    const auto path =
        Prompt::OpenFile(Owner(), "Import PID File", controller_.Configuration().programDirectory,
                         "PID Files|*.pid|");
    if (!path) return;
    ImportFile(*path);
}

void PidEditorLogic::ImportFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        Prompt::Message(Owner(), "Can't open PID file", "Error");
        return;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(kPidFileReadLimit));
    const std::string keyword = FactsOf(controller_.Kind()).pidKey;
    const PidFileContents contents = ParsePidFile(bytes.toStdString(), keyword);
    if (!contents.keywordMatches) {
        Prompt::Message(Owner(), "Wrong filetype", "Error");
        return;
    }
    PidTable& table = *controller_.Table();
    table.Clear();
    const std::string key = Key();
    const ControllerKind kind = controller_.Kind();
    // The old entries go and the file's arrive in one step: a program stopped
    // half-way leaves the old table or the new one, never a mixture.
    registry_.Apply([&](RegistryStore& store) {
        for (const std::string& subkey : store.EnumKeys(key)) store.DeleteKey(key + "\\" + subkey);
        for (const Tpid& entry : contents.entries)
            store.Set(key + "\\" + std::to_string(entry.T), PidEntryValues(kind, entry));
        return true;
    });
    for (Tpid entry : contents.entries) {
        if (kind != ControllerKind::ITC5) entry.M3 = 0;  // an LN2 line's M3 is not kept
        table.Add(entry);
    }
    Refill();
    Prompt::Message(Owner(), "All PID entries have been copied to the registry", "Success");
}
