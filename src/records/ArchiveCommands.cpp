#include "records/ArchiveCommands.h"

#include "records/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <cstdio>

#include "records/ArchiveSettings.h"
#include "records/DateTimeText.h"
#include "platform/FileWrite.h"
#include "platform/FileNames.h"
#include "records/Materials.h"
#include "core/MeasurementResults.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "records/RecordsLinks.h"
#include "platform/RegistryStore.h"
#include "core/RunConfig.h"
#include "core/SpecimenData.h"
#include "records/TextWindow.h"
#include "records/Tsort.h"
#include "records/Tticket.h"

namespace {
void ShowText(QWidget* owner, const QString& path) {
    auto* window = new TextWindow;
    if (!window->Load(path)) {
        delete window;
        Prompt::Message(owner, "Can't open " + path.toStdString(), "File Error");
        return;
    }
    if (ArchiveCallbacks().showTextWindow) {
        ArchiveCallbacks().showTextWindow(window);
    } else {
        window->show();
    }
}
}  // namespace

ArchiveLinks& ArchiveCallbacks() {
    static ArchiveLinks links;
    return links;
}

Trecord CurrentRecord(ProgramState& program) {
    FormatNow();
    const SpecimenData& sp = program.Specimen();
    const MeasurementResults& results = program.Results();
    Trecord r;
    r.waferId = sp.WaferID;
    r.batchId = sp.BatchID;
    r.material = sp.Material;
    r.description = sp.Description;
    r.temperature = ControllerText(program.Records());
    r.thickness = sp.Thickness;
    r.symmetry = results.symmetryFactor;
    r.sheetResistance = results.sheetResistance;
    r.hallCoefficient = results.hallCoefficientRaw;
    r.time = TimeText();
    r.date = DateText();
    return r;
}

bool OnArchiveAdd(ProgramState& program, QWidget* owner) {
    const std::string& path = program.Records().archive.DataArchive;
    if (path.empty()) {
        Prompt::Message(owner, "No archive file is set.\nChoose one with Archive, Set Path...",
                        "File Error", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return false;
    }
    // The whole line or nothing: a line cut short by a full disk would run
    // into the next record added, and both would read back wrong.
    const auto written = FileWrite::Append(FileNames::LocalPath(path),
                                           ArchiveFormat::RecordLine(CurrentRecord(program)));
    if (!written)
        Prompt::Message(owner, FileWrite::FailureText(path, written), "File Error",
                        Prompt::Buttons::Ok, Prompt::Icon::Stop);
    return written.ok;
}

void OnArchiveSetPath(ProgramState& program, QWidget* owner) {
    std::string& path = program.Records().archive.DataArchive;
    // Starts in the program's folder, with the present archive as the name.
    const QString name =
        path.empty() ? QString() : QFileInfo(FileNames::FromStored(path)).fileName();
    const QString start =
        QDir(QString::fromStdString(program.Config().programDirectory)).filePath(name);
    const auto chosen =
        Prompt::SaveFile(owner, "Set Archive", start.toStdString(), "Archive Files (.dat) (*.dat)");
    if (!chosen || chosen->empty()) return;
    // The settings keep the name in their 8-bit text: a character they
    // cannot hold would make it another file's name.
    std::string reason;
    const auto stored = FileNames::ToStored(QString::fromStdString(*chosen), &reason);
    if (!stored) {
        Prompt::Message(owner, "The archive path cannot be kept:\n" + *chosen + "\n" + reason,
                        "Set Archive", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return;
    }
    if (stored->size() >= ArchiveSettings::kPathSize) {
        Prompt::Message(owner,
                        Printf("The archive path is longer than %zu characters:\n%s",
                               ArchiveSettings::kPathSize - 1, chosen->c_str()),
                        "Set Archive", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        return;
    }
    path = *stored;
}

void OnArchiveExamine(ProgramState& program, QWidget* owner) {
    const QString path = FileNames::FromStored(program.Records().archive.DataArchive);
    // A device or a FIFO is refused before it is opened: it would never end.
    QFile file;
    if (!FileNames::OpenForReading(file, path)) {
        Prompt::Message(owner, "Can't open archive", "File Error");
        return;
    }
    file.close();
    ShowText(owner, path);
}

void OnArchiveSort(ProgramState& program, QWidget* owner) {
    Tsort dialog(owner, program.Records().archive.DataArchive, program.Config());
    if (Prompt::Exec(dialog) != Prompt::IDOK || dialog.Destination().empty()) return;
    ShowText(owner, FileNames::FromArgument(dialog.Destination()));
}

void OnArchiveView(ProgramState& program, QWidget* owner) {
    Tticket dialog(owner, program.Records().archive.DataArchive, program);
    if (!dialog.Opened()) {
        Prompt::Message(owner, "Can't open archive", "File Error");
        return;
    }
    dialog.onReadRecord = [&program](const Trecord& record) {
        ReadIntoApplication(program, record);
    };
    Prompt::Exec(dialog);
}

void ReadIntoApplication(ProgramState& program, const Trecord& record) {
    SpecimenData& sp = program.Specimen();
    sp.WaferID = CutToField(record.waferId, SpecimenData::kIdSize);
    sp.BatchID = CutToField(record.batchId, SpecimenData::kIdSize);
    sp.Description = CutToField(record.description, SpecimenData::kDescriptionSize);
    sp.Material = CutToField(record.material, SpecimenData::kMaterialSize);
    // The depletion correction needs the permittivity of the material now named.
    sp.MaterialConstant = MaterialPermittivity(Registry(), sp.Material);
    sp.Thickness = record.thickness;
    MeasurementResults& results = program.Results();
    results.sheetResistance = record.sheetResistance;
    results.hallCoefficientRaw = record.hallCoefficient;
    results.symmetryFactor = record.symmetry;
    if (ArchiveCallbacks().recordRead) ArchiveCallbacks().recordRead(record);
}

void DumpArchive(ProgramState& program, std::vector<std::string>& lines) {
    const std::string& path = program.Records().archive.DataArchive;
    const long long count = path.empty() ? -1 : ArchiveFormat::CountRecordLines(path);
    const std::string shown = FileNames::FromStored(path).toStdString();
    lines.push_back(Printf("archive: %s %lld", path.empty() ? "-" : shown.c_str(), count));
    for (TextWindow* window : TextWindow::Open()) {
        lines.push_back(Printf(
            "window: EDITOR path=%s lines=%lld modified=%d", window->Path().c_str(),
            static_cast<long long>(window->Editor()->blockCount()), window->Modified() ? 1 : 0));
    }
}
