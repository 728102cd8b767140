#pragma once
// "Temperature Scan": the live scan window that the scan run fills point by
// point, and its working file "scan.tsc" in the data directory.
#include <optional>
#include <string>
#include <utility>

#include "platform/FileWrite.h"

#include "scan/TScanBase.h"

class TTemp;
struct MeasurementResults;

class TScanAcq : public TScanBase {
    Q_OBJECT
  public:
    explicit TScanAcq(TTemp* controller, QWidget* parent = nullptr);

    // The header is the specimen record itself.
    ScanHeader Header() const override;
    // "<data dir>/scan.tsc"; a data directory that is not set is the
    // folder "vantris" in the user's documents (DataFolder).
    static std::string WorkingFile();
    // The working file of the scan under way: where it was started, even if
    // the data directory has changed since (a settings set read while it is
    // paused); before any scan, the one a scan would start now.
    std::string ScanFile() const { return scanFile_.empty() ? WorkingFile() : scanFile_; }

    // --- operations of the scan run ---
    // Replaces the working file with one holding the five header lines, in
    // one step (the default data folder is made when missing); false when it
    // cannot be written: the file is then as it was, and the scan must not
    // start (LastWriteFailure() says why).
    bool StartScan();
    // The message for the last write of the working file that failed: its
    // name and the system's reason.
    std::string LastWriteFailure() const;
    // Planned temperatures from the scan settings, no points, fresh extents;
    // the "Resistivity" view for a resistivity-only scan.
    void Plan();
    void SetResistivityOnly(bool on) { data_.resistivityOnly = on; }
    // Shows or removes the set-point marker at the current slot's planned T.
    void ToggleSetPointMarker();
    // Removes the temperature marker, reads the controller and shows the
    // marker at the new reading.
    void UpdateTemperatureMarker();
    // The point's temperature: both markers off, the controller's last
    // reading into the current slot.
    void TakeTemperature();
    // Columns 2 to 5 from the result record, appended to the working file
    // (opened and closed for this point, the whole line or nothing), drawn
    // and counted into the extents. False when the line could not be
    // written: then the point is not taken at all (its slot keeps the
    // planned temperature TakeTemperature replaced, and no results).
    bool AddResults(const MeasurementResults& results);
    // The next slot (the scan run counts the point it has taken).
    void NextSlot();
    // Counts the current point without moving on (the last point of a scan).
    void CountPoint();
    // "Next Temp": the set-point marker off and the current slot's T set to
    // 0; the point is counted, but no line is written for it.
    void SkipCurrentPoint();
    // Both markers off (the scan pauses or ends).
    void EraseMarkers();

    // The settings set was read: axes, view, x axis, and a new plan. A scan
    // under way (paused or running) keeps its plan and its measured points:
    // its run goes on from the point it is at, and its working file already
    // holds those points (replan false).
    void ApplyScanSettings(bool replan = true);
    void SetTemperatureRange(int low, int high) override;
    // The set ranges go back into the scan settings (bulk decades).
    void StoreSetRanges();

    // "Save As..." (63): copies the working file to a file the operator names.
    void SaveAsCommand();
    // Copies the working file to `destination`; the message to show, or nothing.
    static std::optional<std::string> CopyWorkingFile(const std::string& destination);
    // Copies the scan file `source` to `destination`; the message to show, or nothing.
    static std::optional<std::string> CopyScanFile(const std::string& source,
                                                   const std::string& destination);

    bool SetPointMarkerShown() const { return setMarker_; }
    bool TemperatureMarkerShown() const { return tempMarker_.has_value(); }
    int PlannedCount() const { return planned_; }
    // Lines of the dump: the live window's markers.
    void DumpScanLines(std::vector<std::string>& lines) const;

  protected:
    void PaintExtras(QPainter& p, const GraphLayout& layout, bool screen) override;
    void PaintOverlay(QPainter& p) override;

  private:
    // Makes the scan file's folder when it is the default data folder.
    bool PrepareFolder();
    // Appends the point's line; a working file that has gone missing is
    // written anew with the header and the points taken before this one.
    FileWrite::Result WritePoint(const ScanPoint& point);

    std::string scanFile_;  // the working file of the scan under way
    FileWrite::Result lastWrite_;
    // The slot and planned temperature that TakeTemperature replaced.
    std::optional<std::pair<int, double>> planBeforeTaking_;
    TTemp* controller_;
    int planned_ = 0;
    bool setMarker_ = false;
    std::optional<double> tempMarker_;  // the reading the marker stands at
};
