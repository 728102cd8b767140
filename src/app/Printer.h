#pragma once
// The application's printer: the system's default printer when there is
// one, else (off Windows) a PDF file chosen for each printout, or the file
// of --print-to. Owned by the application from start-up to shut-down.
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QPainter;
class QPagedPaintDevice;
class QPrinter;
class QWidget;

struct RecordParts;

class MyPrinter {
  public:
    // Looks for the default printer. `printTo`: every printout goes to that
    // PDF file without asking (the automation's --print-to).
    // The page set-up and the scan's data folder are the record parts'.
    explicit MyPrinter(RecordParts& records, std::string printTo = {});
    ~MyPrinter();
    MyPrinter(const MyPrinter&) = delete;
    MyPrinter& operator=(const MyPrinter&) = delete;

    bool HasDefaultPrinter() const { return hasDefault_; }
    // Whether printouts can be made at all: with a printer, with --print-to,
    // or (off Windows) into a PDF file.
    bool Available() const;
    // The start-up warning when there is no default printer; empty when
    // there is one. Caption "Warning: No Default Printer".
    std::string NoPrinterWarning() const;

    // "Printer..." / "Page Setup...": the platform's page set-up dialog (our
    // own "PAGESETUP" for PDF output, which the platform's refuses); the
    // margins (and orientation, where the printer has a device description)
    // go to the settings set's page set-up.
    void Setup(QWidget* owner);

    // Makes one page titled `title` (in portrait orientation when
    // `portrait`, else in the page set-up's), drawn by
    // `draw` with the device's printable area at the painter's origin (less
    // the page set-up's margins when `useMargins`; a PDF page without them
    // keeps a laser printer's unprintable border of a quarter inch). On a
    // printer the pages go at once; without one the PDF file is asked for
    // (its name proposed from `fileStem`). False when nothing was printed
    // (no printer, the file dialog cancelled, the file not writable).
    bool PrintPage(QWidget* owner, const std::string& title, const std::string& fileStem,
                   bool useMargins, bool portrait,
                   const std::function<void(QPainter&, QPagedPaintDevice&)>& draw);

    // Where the last page went ("printer NAME" or the PDF path), for the dump.
    const std::string& LastOutput() const { return lastOutput_; }
    // The PDF file proposed for a printout: the stem (the Wafer ID) in the
    // scan data folder, or in the documents folder when none is set.
    std::string ProposedPdfPath(const std::string& fileStem) const;

  private:
    RecordParts& records_;
    void ApplyPageSetup(QPrinter& printer, bool useMargins) const;

    std::string printTo_;
    bool hasDefault_ = false;
    std::unique_ptr<QPrinter> printer_;
    std::string lastOutput_;
};
