#pragma once
// "Temperature Scan": the live scan window, a view of the scan run's model
// (its plan, its points as they are taken, its markers). The window keeps
// its own axes and view; the scan settings give the axes their ranges, and
// the set-scale dialog writes them back.
#include <string>

#include "scan/TScanBase.h"

struct ScanSettings;

class TScanAcq : public TScanBase {
    Q_OBJECT
  public:
    TScanAcq(const ScanModel& model, ScanSettings& settings, const RunConfig& config,
             StatusFields& status, GraphStyle& style, QWidget* parent = nullptr);

    const ScanModel& Model() const override { return model_; }

    // The settings set was read: axes, view 0 and the x axis from the scan
    // settings. (A new plan, when there is one, comes from the model.)
    void ApplyScanSettings();
    void SetTemperatureRange(int low, int high) override;
    // The set ranges go back into the scan settings (bulk decades).
    void StoreSetRanges();

    // "Save As..." (63): copies the working file to a file the operator names.
    void SaveAsCommand();

  protected:
    void PaintOverlay(QPainter& p) const override;

  private:
    // A new plan: the "Resistivity" view for a resistivity-only scan.
    void Planned();

    const ScanModel& model_;
    ScanSettings& settings_;
};
