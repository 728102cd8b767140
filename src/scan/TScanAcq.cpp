#include "scan/TScanAcq.h"

#include <QFileInfo>
#include <QPainter>

#include "platform/DataFolder.h"
#include "platform/Prompt.h"
#include "records/GraphStyle.h"
#include "records/ScanSettings.h"

TScanAcq::TScanAcq(const ScanModel& model, ScanSettings& settings, const RunConfig& config,
                   StatusFields& status, GraphStyle& style, QWidget* parent)
    : TScanBase(config, status, style, parent), model_(model), settings_(settings) {
    setObjectName("SCANACQ");
    setWindowTitle("Temperature Scan");
    // The graph follows the model: a point taken is drawn over the painted
    // graph, a new count or plan draws it again, a marker only the overlay.
    connect(&model_, &ScanModel::planned, this, [this] { Planned(); });
    connect(&model_, &ScanModel::pointAdded, this, [this](int slot) { DrawPoint(slot); });
    connect(&model_, &ScanModel::pointsChanged, this, [this] { Invalidate(); });
    connect(&model_, &ScanModel::markersChanged, this, [this] { update(); });
}

void TScanAcq::Planned() {
    if (model_.ResistivityOnly())
        SetView(Resistivity);
    else
        Invalidate();
}

void TScanAcq::ApplyScanSettings() {
    const ScanSettings& sc = settings_;
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
    Invalidate();
}

void TScanAcq::SetTemperatureRange(int low, int high) {
    TScanBase::SetTemperatureRange(low, high);
    settings_.Tscale1 = low;
    settings_.Tscale2 = high;
    StoreSetRanges();
}

void TScanAcq::StoreSetRanges() {
    ScanSettings& sc = settings_;
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

void TScanAcq::SaveAsCommand() {
    auto chosen = Prompt::SaveFile(this, "Save Scan Datafile",
                                   DataFolder::Folder(settings_.DataDir).toStdString(),
                                   "Scan Files (*.tsc);;All Files (*.*)");
    if (!chosen || chosen->empty()) return;
    // The default extension.
    if (QFileInfo(QString::fromStdString(*chosen)).suffix().isEmpty()) *chosen += ".tsc";
    if (const auto problem = ScanModel::CopyScanFile(model_.ScanFile(), *chosen))
        Prompt::Message(this, *problem, "Save Scan Datafile", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
}

void TScanAcq::PaintOverlay(QPainter& p) const {
    const GraphLayout layout = WindowLayout();
    const PlotRect& r = layout.frame.plot;
    auto marker = [&](double kelvin, unsigned color) {
        if (const auto x = XPixelOf(layout, kelvin)) {
            p.setPen(QPen(StyleColor(color), 1));
            p.drawLine(*x, r.top, *x, r.bottom);
        }
    };
    const ScanData& data = model_.Data();
    if (model_.SetPointMarkerShown() && data.current >= 0 && data.current < ScanData::kSlots)
        marker(data.points[data.current].T, style_.SetColor);
    if (const auto reading = model_.TemperatureMarker()) marker(*reading, style_.MeasColor);
}
