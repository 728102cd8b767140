#include "scan/ScanModel.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "core/MeasurementResults.h"
#include "core/SpecimenData.h"
#include "platform/DataFolder.h"
#include "platform/FileNames.h"
#include "records/ProgramState.h"
#include "records/ScanSettings.h"
#include "temperature/TTemp.h"

ScanModel::ScanModel(ProgramState& program, TTemp* controller)
    : program_(&program), controller_(controller) {
    data_.ResetExtents(false);
}

ScanModel::ScanModel() {
    data_.ResetExtents(false);
}

ScanModel::~ScanModel() = default;

bool ScanModel::Load(std::istream& in) {
    ScanFileRead file = ReadScanFile(in);
    fileHeader_ = file.header;
    data_ = file.data;
    notes_ = file.Notes();
    emit planned();
    return data_.count != 0;
}

ScanHeader ScanModel::Header() const {
    if (!program_) return fileHeader_;
    // The live scan's header is the specimen record itself.
    const SpecimenData& s = program_->Specimen();
    ScanHeader h;
    h.WaferID = s.WaferID;
    h.BatchID = s.BatchID;
    h.Description = s.Description;
    h.Material = s.Material;
    h.Thickness = s.Thickness;
    return h;
}

std::string ScanModel::WorkingFile() const {
    const std::string setting = program_ ? program_->Records().scan.DataDir : std::string();
    // The setting's 8-bit text, as the file system names the folder.
    const std::string dir = FileNames::Encode(DataFolder::Folder(setting));
    const char last = dir.back();
    return dir + ((last == '/' || last == '\\') ? "" : "/") + "scan.tsc";
}

bool ScanModel::StartScan() {
    scanFile_ = WorkingFile();
    if (!PrepareFolder()) return false;
    // The new header takes the old file's place in one step: a scan that
    // cannot start leaves the last scan's file as it was.
    lastWrite_ = FileWrite::Replace(scanFile_, HeaderText(Header()));
    return lastWrite_.ok;
}

bool ScanModel::PrepareFolder() {
    int error = 0;
    if (DataFolder::Prepare(QFileInfo(QString::fromLocal8Bit(ScanFile().c_str())).path(), error))
        return true;
    lastWrite_ = FileWrite::Result{false, error};
    return false;
}

std::string ScanModel::LastWriteFailure() const {
    return FileWrite::FailureText(ScanFile(), lastWrite_);
}

FileWrite::Result ScanModel::WritePoint(const ScanPoint& point) {
    const std::string file = ScanFile();
    const std::string line = PointLine(point) + "\r\n";
    FileWrite::Result written = FileWrite::Append(file, line, false);
    if (written.ok || written.error != ENOENT || !PrepareFolder()) return written;
    // The file went missing under the scan (its folder removed and made
    // again): it is written anew, header and the points taken so far, so it
    // never holds points without the header they belong to. Skipped points
    // have no line.
    std::string whole = HeaderText(Header());
    for (int i = 0; i < data_.count && i < data_.current; ++i)
        if (data_.points[i].T != 0.0) whole += PointLine(data_.points[i]) + "\r\n";
    return FileWrite::Replace(file, whole + line);
}

void ScanModel::Plan() {
    const ScanSettings settings = program_ ? program_->Records().scan : ScanSettings{};
    const auto temps = PlanTemperatures(settings.ScanNpoints, settings.ScanTstart,
                                        settings.ScanTstop, settings.ScanInverse);
    for (auto& p : data_.points) p = ScanPoint{};
    for (std::size_t i = 0; i < temps.size(); ++i) data_.points[i].T = temps[i];
    planned_ = static_cast<int>(temps.size());
    data_.count = 0;
    data_.current = 0;
    data_.ResetExtents(false);
    setMarker_ = false;
    tempMarker_.reset();
    emit planned();
}

void ScanModel::ToggleSetPointMarker() {
    setMarker_ = !setMarker_;
    emit markersChanged();
}

void ScanModel::UpdateTemperatureMarker() {
    tempMarker_.reset();
    if (controller_) {
        controller_->ReadTemperature();
        tempMarker_ = controller_->present;
    }
    emit markersChanged();
}

void ScanModel::TakeTemperature() {
    tempMarker_.reset();
    setMarker_ = false;
    emit markersChanged();
    if (data_.current < 0 || data_.current >= ScanData::kSlots) return;
    planBeforeTaking_ = {data_.current, data_.points[data_.current].T};
    data_.points[data_.current].T = controller_ ? controller_->present : 0.0;
}

bool ScanModel::AddResults(const MeasurementResults& r) {
    if (data_.current < 0 || data_.current >= ScanData::kSlots) {
        lastWrite_ = FileWrite::Result{false, EINVAL};
        return false;
    }
    ScanPoint p = data_.points[data_.current];
    const bool bulk = Header().Thickness != 0.0;
    p.resistivity = bulk ? r.bulkResistivity : r.sheetResistance;
    if (data_.resistivityOnly) {
        p.hall = p.concentration = p.mobility = 0.0;
    } else {
        p.hall = r.hallCoefficientRaw;
        p.concentration = bulk ? r.bulkConcentration : r.sheetConcentration;
        p.mobility = r.mobility;
    }
    // Opened and closed for every point: a scan that stops early leaves a
    // complete file. A point whose line cannot be written is not taken: the
    // slot keeps its planned temperature and no results, so the point is
    // measured again and the file and the window never disagree.
    lastWrite_ = WritePoint(p);
    if (!lastWrite_) {
        if (planBeforeTaking_ && planBeforeTaking_->first == data_.current)
            data_.points[data_.current].T = planBeforeTaking_->second;
        planBeforeTaking_.reset();
        return false;
    }
    planBeforeTaking_.reset();
    data_.points[data_.current] = p;
    data_.TakeExtents(p);
    emit pointAdded(data_.current);
    return true;
}

void ScanModel::NextSlot() {
    if (data_.count < ScanData::kSlots) ++data_.count;
    if (data_.current < ScanData::kSlots - 1) ++data_.current;
    emit pointsChanged();
}

void ScanModel::CountPoint() {
    if (data_.count < ScanData::kSlots) ++data_.count;
    emit pointsChanged();
}

void ScanModel::SkipCurrentPoint() {
    setMarker_ = false;
    if (data_.current >= 0 && data_.current < ScanData::kSlots) data_.points[data_.current].T = 0.0;
    emit markersChanged();
}

void ScanModel::EraseMarkers() {
    setMarker_ = false;
    tempMarker_.reset();
    emit markersChanged();
}

std::optional<std::string> ScanModel::CopyWorkingFile(const std::string& destination) const {
    return CopyScanFile(WorkingFile(), destination);
}

std::optional<std::string> ScanModel::CopyScanFile(const std::string& source,
                                                   const std::string& destination) {
    std::ifstream in(source, std::ios::binary);
    if (!in) return "There is no scan to save: the working file cannot be read.\n" + source;
    const QFileInfo from(QString::fromStdString(source)), to(QString::fromStdString(destination));
    // Copying the working file onto itself would empty it.
    if (to.exists() && from.canonicalFilePath() == to.canonicalFilePath()) return std::nullopt;
    // The copy is made beside the destination and takes its place whole: an
    // earlier file of that name survives a copy that fails half-way.
    const std::string temp = FileWrite::TemporaryFor(destination);
    bool copied = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        char block[2048];
        copied = static_cast<bool>(out);
        while (copied && in) {
            in.read(block, sizeof block);
            const std::streamsize got = in.gcount();
            if (got > 0 && !out.write(block, got)) copied = false;
        }
        copied = copied && !in.bad() && out.flush();
    }
    if (!copied) {
        std::remove(temp.c_str());
        return "Can't write file:\n" + destination;
    }
    if (!FileWrite::Commit(temp, destination)) return "Can't write file:\n" + destination;
    return std::nullopt;
}

void ScanModel::DumpScanLines(std::vector<std::string>& lines) const {
    std::string planned;
    for (int i = 0; i < planned_; ++i) {
        char b[32];
        std::snprintf(b, sizeof b, "%s%g", i ? "," : "", data_.points[i].T);
        planned += b;
    }
    lines.push_back("scanwindow: planned=" + std::to_string(planned_) +
                    " temperatures=" + (planned.empty() ? "-" : planned) + " current=" +
                    std::to_string(data_.current) + " setmarker=" + (setMarker_ ? "1" : "0") +
                    " tempmarker=" + (tempMarker_ ? "1" : "0") + " file=" + ScanFile());
}
