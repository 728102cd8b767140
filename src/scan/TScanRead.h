#pragma once
// A viewer of a scan file read back from disk: it owns the model it read
// (header and points) and is never written back.
#include <istream>

#include "scan/TScanBase.h"

class TScanRead : public TScanBase {
    Q_OBJECT
  public:
    TScanRead(const RunConfig& config, StatusFields& status, GraphStyle& style,
              QWidget* parent = nullptr);
    const ScanModel& Model() const override { return model_; }
    // Fills the viewer from a file's text; false when no point could be read.
    bool Load(std::istream& in);

  private:
    ScanModel model_;
};
