#include "scan/TScanAcq.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/DataFolder.h"
#include "platform/FileNames.h"
#include "core/MeasurementResults.h"
#include "platform/Prompt.h"
#include "records/GraphStyle.h"
#include "records/ScanSettings.h"
#include "core/SpecimenData.h"
#include "temperature/TTemp.h"

TScanAcq::TScanAcq(TTemp* controller, QWidget* parent)
    : TScanBase(parent), controller_(controller) {
    setObjectName("SCANACQ");
    setWindowTitle("Temperature Scan");
}

ScanHeader TScanAcq::Header() const {
    const SpecimenData& s = Specimen();
    ScanHeader h;
    h.WaferID = s.WaferID;
    h.BatchID = s.BatchID;
    h.Description = s.Description;
    h.Material = s.Material;
    h.Thickness = s.Thickness;
    return h;
}

std::string TScanAcq::WorkingFile() {
    // The setting's 8-bit text, as the file system names the folder.
    const std::string dir = FileNames::Encode(DataFolder::Folder(Scan().DataDir));
    const char last = dir.back();
    return dir + ((last == '/' || last == '\\') ? "" : "/") + "scan.tsc";
}

bool TScanAcq::StartScan() {
    scanFile_ = WorkingFile();
    if (!PrepareFolder()) return false;
    // The new header takes the old file's place in one step: a scan that
    // cannot start leaves the last scan's file as it was.
    lastWrite_ = FileWrite::Replace(scanFile_, HeaderText(Header()));
    return lastWrite_.ok;
}

bool TScanAcq::PrepareFolder() {
    int error = 0;
    if (DataFolder::Prepare(QFileInfo(QString::fromLocal8Bit(ScanFile().c_str())).path(), error))
        return true;
    lastWrite_ = FileWrite::Result{false, error};
    return false;
}

std::string TScanAcq::LastWriteFailure() const {
    return FileWrite::FailureText(ScanFile(), lastWrite_);
}

FileWrite::Result TScanAcq::WritePoint(const ScanPoint& point) {
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

void TScanAcq::Plan() {
    const ScanSettings& sc = Scan();
    const auto temps =
        PlanTemperatures(sc.ScanNpoints, sc.ScanTstart, sc.ScanTstop, sc.ScanInverse);
    for (auto& p : data_.points) p = ScanPoint{};
    for (std::size_t i = 0; i < temps.size(); ++i) data_.points[i].T = temps[i];
    planned_ = static_cast<int>(temps.size());
    data_.count = 0;
    data_.current = 0;
    data_.ResetExtents(false);
    setMarker_ = false;
    tempMarker_.reset();
    if (data_.resistivityOnly)
        SetView(Resistivity);
    else
        Invalidate();
}

void TScanAcq::ToggleSetPointMarker() {
    setMarker_ = !setMarker_;
    update();
}

void TScanAcq::UpdateTemperatureMarker() {
    tempMarker_.reset();
    if (controller_) {
        controller_->ReadTemperature();
        tempMarker_ = controller_->present;
    }
    update();
}

void TScanAcq::TakeTemperature() {
    tempMarker_.reset();
    setMarker_ = false;
    update();
    if (data_.current < 0 || data_.current >= ScanData::kSlots) return;
    planBeforeTaking_ = {data_.current, data_.points[data_.current].T};
    data_.points[data_.current].T = controller_ ? controller_->present : 0.0;
}

bool TScanAcq::AddResults(const MeasurementResults& r) {
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
    DrawPoint(data_.current);
    data_.TakeExtents(p);
    return true;
}

void TScanAcq::NextSlot() {
    if (data_.count < ScanData::kSlots) ++data_.count;
    if (data_.current < ScanData::kSlots - 1) ++data_.current;
    Invalidate();
}

void TScanAcq::CountPoint() {
    if (data_.count < ScanData::kSlots) ++data_.count;
    Invalidate();
}

void TScanAcq::SkipCurrentPoint() {
    setMarker_ = false;
    if (data_.current >= 0 && data_.current < ScanData::kSlots) data_.points[data_.current].T = 0.0;
    update();
}

void TScanAcq::EraseMarkers() {
    setMarker_ = false;
    tempMarker_.reset();
    update();
}

void TScanAcq::ApplyScanSettings(bool replan) {
    const ScanSettings& sc = Scan();
    auto setBoth = [](TLogScale& s, int lo, int hi) {
        s.set = {lo, hi};
        s.visible = s.set;
    };
    setBoth(bulkConcentration_, sc.Nmin, sc.Nmax);
    setBoth(sheetConcentration_, sc.Nmin - 4, sc.Nmax - 4);
    setBoth(mobilityScale_, sc.Umin, sc.Umax);
    setBoth(bulkResistivity_, sc.Rmin, sc.Rmax);
    setBoth(sheetResistance_, sc.Rmin + 4, sc.Rmax + 4);
    setBoth(hallScale_, sc.RHmin, sc.RHmax);
    TScanBase::SetTemperatureRange(sc.Tscale1, sc.Tscale2);
    temperatureScale_.visible = temperatureScale_.set;
    inverseScale_.visible = inverseScale_.set;
    SetView(ConcMobility);
    SetInverse(sc.TscaleInverse);
    if (replan) {
        Plan();
    } else {
        Invalidate();
    }
}

void TScanAcq::SetTemperatureRange(int low, int high) {
    TScanBase::SetTemperatureRange(low, high);
    Scan().Tscale1 = low;
    Scan().Tscale2 = high;
    StoreSetRanges();
}

void TScanAcq::StoreSetRanges() {
    ScanSettings& sc = Scan();
    const bool sheet = Header().Sheet();
    // The sheet axes are the bulk decades shifted by 4.
    const LogRange n =
        sheet ? LogRange{sheetConcentration_.set.lowest + 4, sheetConcentration_.set.highest + 4}
              : bulkConcentration_.set;
    const LogRange r =
        sheet ? LogRange{sheetResistance_.set.lowest - 4, sheetResistance_.set.highest - 4}
              : bulkResistivity_.set;
    sc.Nmin = n.lowest;
    sc.Nmax = n.highest;
    sc.Rmin = r.lowest;
    sc.Rmax = r.highest;
    sc.Umin = mobilityScale_.set.lowest;
    sc.Umax = mobilityScale_.set.highest;
    sc.RHmin = hallScale_.set.lowest;
    sc.RHmax = hallScale_.set.highest;
}

std::optional<std::string> TScanAcq::CopyWorkingFile(const std::string& destination) {
    return CopyScanFile(WorkingFile(), destination);
}

std::optional<std::string> TScanAcq::CopyScanFile(const std::string& source,
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

void TScanAcq::SaveAsCommand() {
    auto chosen = Prompt::SaveFile(this, "Save Scan Datafile",
                                   DataFolder::Folder(Scan().DataDir).toStdString(),
                                   "Scan Files (*.tsc);;All Files (*.*)");
    if (!chosen || chosen->empty()) return;
    // The default extension.
    if (QFileInfo(QString::fromStdString(*chosen)).suffix().isEmpty()) *chosen += ".tsc";
    if (const auto problem = CopyScanFile(ScanFile(), *chosen))
        Prompt::Message(this, *problem, "Save Scan Datafile", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
}

void TScanAcq::PaintExtras(QPainter& p, const GraphLayout& layout, bool) {
    // The planned (or measured) temperatures as short ticks from the top edge.
    const PlotRect& r = layout.frame.plot;
    for (int i = 0; i < planned_ && i < ScanData::kSlots; ++i) {
        if (const auto x = XPixelOf(layout, data_.points[i].T))
            p.drawLine(*x, r.top, *x, r.top + 4);
    }
}

void TScanAcq::PaintOverlay(QPainter& p) {
    const PlotRect& r = Frame().plot;
    auto marker = [&](double kelvin, unsigned color) {
        if (const auto x = XPixelOfTemperature(kelvin)) {
            p.setPen(QPen(StyleColor(color), 1));
            p.drawLine(*x, r.top, *x, r.bottom);
        }
    };
    if (setMarker_ && data_.current >= 0 && data_.current < ScanData::kSlots)
        marker(data_.points[data_.current].T, Style().SetColor);
    if (tempMarker_) marker(*tempMarker_, Style().MeasColor);
}

void TScanAcq::DumpScanLines(std::vector<std::string>& lines) const {
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
