#include "TScanAcq.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <fstream>

#include "FileNames.h"
#include "MeasurementResults.h"
#include "Prompt.h"
#include "GraphStyle.h"
#include "ScanSettings.h"
#include "SpecimenData.h"
#include "TTemp.h"

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
    const std::string dir = FileNames::LocalPath(Scan().DataDir);
    if (dir.empty()) return "scan.tsc";
    const char last = dir.back();
    return dir + ((last == '/' || last == '\\') ? "" : "/") + "scan.tsc";
}

bool TScanAcq::StartScan() {
    scanFile_ = WorkingFile();
    std::ofstream out(scanFile_, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << HeaderText(Header());
    return static_cast<bool>(out.flush());
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
    data_.points[data_.current].T = controller_ ? controller_->present : 0.0;
}

bool TScanAcq::AddResults(const MeasurementResults& r) {
    if (data_.current < 0 || data_.current >= ScanData::kSlots) return false;
    ScanPoint& p = data_.points[data_.current];
    const bool bulk = Header().Thickness != 0.0;
    p.resistivity = bulk ? r.bulkResistivity : r.sheetResistance;
    if (data_.resistivityOnly) {
        p.hall = p.concentration = p.mobility = 0.0;
    } else {
        p.hall = r.hallCoefficientRaw;
        p.concentration = bulk ? r.bulkConcentration : r.sheetConcentration;
        p.mobility = r.mobility;
    }
    DrawPoint(data_.current);
    data_.TakeExtents(p);
    // Opened and closed for every point: a scan that stops early leaves a
    // complete file.
    std::ofstream out(ScanFile(), std::ios::binary | std::ios::app);
    if (!out) return false;
    out << PointLine(p) << "\r\n";
    return static_cast<bool>(out.flush());
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
    std::ofstream out(destination, std::ios::binary | std::ios::trunc);
    if (!out) return "Can't write file:\n" + destination;
    char block[2048];
    while (in) {
        in.read(block, sizeof block);
        const std::streamsize got = in.gcount();
        if (got > 0 && !out.write(block, got)) return "Can't write file:\n" + destination;
    }
    if (!out.flush()) return "Can't write file:\n" + destination;
    return std::nullopt;
}

void TScanAcq::SaveAsCommand() {
    auto chosen = Prompt::SaveFile(this, "Save Scan Datafile",
                                   FileNames::FromStored(Scan().DataDir).toStdString(),
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
