#pragma once
// A viewer of a scan file read back from disk; it owns its header and points
// and is never written back.
#include <istream>
#include <string>
#include <vector>

#include "scan/TScanBase.h"

class TScanRead : public TScanBase {
    Q_OBJECT
  public:
    explicit TScanRead(QWidget* parent = nullptr);
    ScanHeader Header() const override { return header_; }
    // Fills the viewer from a file's text; false when no point could be read.
    bool Load(std::istream& in);
    // What the file held that was not taken (skipped points, where the
    // reading stopped); shown in the Information box.
    std::vector<std::string> ReadNotes() const override { return notes_; }

  private:
    ScanHeader header_;
    std::vector<std::string> notes_;
};
