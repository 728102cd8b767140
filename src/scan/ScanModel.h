#pragma once
// A temperature scan's data, with no window: the plan (the planned
// temperatures in their slots), the points measured, the extents the axes
// are scaled from, the live scan's working file "scan.tsc" and the state of
// its two markers (the controller's reading, the set-point).
//
// The live scan's model belongs to the scan run, which drives it point by
// point; a file's model belongs to the viewer that read it. The windows only
// show a model (const) and follow its signals, so closing or printing one
// never touches the plan or the points.
#include <QObject>
#include <istream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileWrite.h"

#include "scan/ScanData.h"

class ProgramState;
class TTemp;
struct MeasurementResults;

class ScanModel : public QObject {
    Q_OBJECT
  public:
    // The live scan: the specimen record is its header, the scan settings
    // plan it and name its folder, and `controller` (none: readings of 0 K)
    // gives its temperatures.
    ScanModel(ProgramState& program, TTemp* controller);
    // A scan read from a file (Load): its own header, points and notes.
    ScanModel();
    ~ScanModel() override;

    // Reads a scan file's text; false when no point could be read.
    bool Load(std::istream& in);
    // What the file held that was not taken; none for the live scan.
    const std::vector<std::string>& ReadNotes() const { return notes_; }

    ScanHeader Header() const;
    const ScanData& Data() const { return data_; }
    bool ResistivityOnly() const { return data_.resistivityOnly; }
    int PlannedCount() const { return planned_; }
    bool SetPointMarkerShown() const { return setMarker_; }
    // The reading the temperature marker stands at; nothing when it is off.
    std::optional<double> TemperatureMarker() const { return tempMarker_; }
    bool TemperatureMarkerShown() const { return tempMarker_.has_value(); }

    // "<data dir>/scan.tsc"; a data directory that is not set is the
    // folder "vantris" in the user's documents (DataFolder).
    std::string WorkingFile() const;
    // The working file of the scan under way: where it was started, even if
    // the data directory has changed since (a settings set read while it is
    // paused); before any scan, the one a scan would start now.
    std::string ScanFile() const { return scanFile_.empty() ? WorkingFile() : scanFile_; }

    // --- the scan run's operations, in the order a scan uses them ---
    // Replaces the working file with one holding the five header lines, in
    // one step (the default data folder is made when missing); false when it
    // cannot be written: the file is then as it was, and the scan must not
    // start (LastWriteFailure() says why).
    bool StartScan();
    // The message for the last write of the working file that failed: its
    // name and the system's reason.
    std::string LastWriteFailure() const;
    void SetResistivityOnly(bool on) { data_.resistivityOnly = on; }
    // Planned temperatures from the scan settings, no points, fresh extents,
    // both markers off.
    void Plan();
    // Shows or removes the set-point marker at the current slot's planned T.
    void ToggleSetPointMarker();
    // Removes the temperature marker, reads the controller and shows the
    // marker at the new reading.
    void UpdateTemperatureMarker();
    // The point's temperature: both markers off, the controller's last
    // reading into the current slot.
    void TakeTemperature();
    // Columns 2 to 5 from the result record, appended to the working file
    // (opened and closed for this point, the whole line or nothing) and
    // counted into the extents. False when the line could not be written:
    // then the point is not taken at all (its slot keeps the planned
    // temperature TakeTemperature replaced, and no results).
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

    // Copies the working file to `destination`; the message to show, or nothing.
    std::optional<std::string> CopyWorkingFile(const std::string& destination) const;
    // Copies the scan file `source` to `destination`; the message to show, or nothing.
    static std::optional<std::string> CopyScanFile(const std::string& source,
                                                   const std::string& destination);

    // "scanwindow: planned= temperatures= current= setmarker= tempmarker= file=".
    void DumpScanLines(std::vector<std::string>& lines) const;

  signals:
    // A new plan (or a file read): the whole graph is drawn again.
    void planned();
    // A point was taken into `slot`: it is drawn over the graph as it is.
    void pointAdded(int slot);
    // The points counted changed: the graph is drawn again.
    void pointsChanged();
    // A marker came or went: only the overlay is drawn again.
    void markersChanged();

  private:
    // Makes the scan file's folder when it is the default data folder.
    bool PrepareFolder();
    // Appends the point's line; a working file that has gone missing is
    // written anew with the header and the points taken before this one.
    FileWrite::Result WritePoint(const ScanPoint& point);

    ProgramState* program_ = nullptr;  // the live scan's records; none for a file
    TTemp* controller_ = nullptr;
    ScanHeader fileHeader_;  // a file's header
    std::vector<std::string> notes_;
    ScanData data_;
    int planned_ = 0;
    std::string scanFile_;  // the working file of the scan under way
    FileWrite::Result lastWrite_;
    // The slot and planned temperature that TakeTemperature replaced.
    std::optional<std::pair<int, double>> planBeforeTaking_;
    bool setMarker_ = false;
    std::optional<double> tempMarker_;  // the reading the marker stands at
};
