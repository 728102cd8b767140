#include "app/Printer.h"

#include "records/RecordParts.h"

#include <QDir>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <QDialog>
#include <QLineEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "views/Controls.h"
#include "platform/DataFolder.h"
#include "platform/FileWrite.h"
#include "platform/FileNames.h"
#include "records/PageSetup.h"
#include "platform/Prompt.h"
#include "records/ScanSettings.h"

namespace {
// The page set-up keeps its margins in hundredths of a millimetre.
constexpr double kMarginUnitsPerMm = 100.0;
// A page printed without the page set-up's margins starts at the printable
// origin; a PDF has none of its own, so it gets a laser printer's.
constexpr double kPdfBorderMm = 6.35;
constexpr double kMaxMarginMm = 100.0;

QMarginsF MarginsMm(const PageSetup& page) {
    const auto& m = page.margins;
    return QMarginsF(m[0] / kMarginUnitsPerMm, m[1] / kMarginUnitsPerMm, m[2] / kMarginUnitsPerMm,
                     m[3] / kMarginUnitsPerMm);
}

// The platform's orientation codes (1 portrait, 2 landscape).
QPageLayout::Orientation OrientationOf(std::int16_t code) {
    return code == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// 0 when the file can be made (it is made, empty), else the system's error.
int Creatable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return errno ? errno : EACCES;
    std::fclose(file);
    return 0;
}

// A PDF file as the writer ends it: its header first, its end-of-file
// marker in the last bytes. Anything shorter was cut off.
bool WholePdf(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char head[5] = {};
    const bool started = std::fread(head, 1, 5, file) == 5 && std::memcmp(head, "%PDF-", 5) == 0;
    char tail[64] = {};
    std::size_t got = 0;
    if (started && std::fseek(file, -static_cast<long>(sizeof tail), SEEK_END) != 0)
        std::fseek(file, 0, SEEK_SET);
    if (started) got = std::fread(tail, 1, sizeof tail, file);
    std::fclose(file);
    return started && std::string_view(tail, got).find("%%EOF") != std::string_view::npos;
}

void TellNotWritten(QWidget* owner, const std::string& pdf, const FileWrite::Result& result) {
    Prompt::Message(owner, FileWrite::FailureText(pdf, result), "File Error", Prompt::Buttons::Ok,
                    Prompt::Icon::Stop);
}

std::string SafeStem(const std::string& stem) {
    std::string out;
    for (char c : stem) out += (c == '/' || c == '\\' || c == ':' || c == '\0') ? '_' : c;
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    return out.empty() ? std::string("results") : out;
}
}  // namespace

MyPrinter::MyPrinter(RecordParts& records, std::string printTo)
    : records_(records), printTo_(std::move(printTo)) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    hasDefault_ = !info.isNull();
    printer_ = hasDefault_ ? std::make_unique<QPrinter>(info, QPrinter::HighResolution)
                           : std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!hasDefault_) printer_->setOutputFormat(QPrinter::PdfFormat);
    // A real printer has a device description: from now on its orientation
    // is kept with the settings set (whose reading, later at start-up, may
    // replace this default).
    if (hasDefault_ && !records_.page.orientation)
        records_.page.orientation =
            printer_->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}

MyPrinter::~MyPrinter() = default;

bool MyPrinter::Available() const {
#ifdef _WIN32
    return hasDefault_ || !printTo_.empty();
#else
    return true;
#endif
}

std::string MyPrinter::NoPrinterWarning() const {
    if (hasDefault_) return {};
#ifdef _WIN32
    return "Use Control Panel to install a printer";
#else
    return "No printer is installed on this computer.\n"
           "Printed pages will be saved as PDF files instead.";
#endif
}

void MyPrinter::ApplyPageSetup(QPrinter& printer, bool useMargins) const {
    const PageSetup& page = records_.page;
    if (useMargins) {
        printer.setPageMargins(MarginsMm(page), QPageLayout::Millimeter);
    } else if (printer.outputFormat() == QPrinter::PdfFormat) {
        const double border = kPdfBorderMm;
        printer.setPageMargins(QMarginsF(border, border, border, border), QPageLayout::Millimeter);
    } else {
        // A printer keeps at least its own unprintable border.
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    if (page.orientation) printer.setPageOrientation(OrientationOf(*page.orientation));
}

// Without a printer the platform's dialog has nothing to set up (it refuses
// a PDF printer): the margins and orientation are asked for here.
static bool PdfPageSetup(QWidget* owner, QPrinter& printer) {
    QDialog dialog(owner);
    dialog.setObjectName("PAGESETUP");
    dialog.setWindowTitle("Page Setup");
    auto* layout = new QVBoxLayout(&dialog);
    auto* orientation = new QGroupBox("Orientation", &dialog);
    auto* row = new QHBoxLayout(orientation);
    QRadioButton* portrait = RadioButton("Portrait", 101, orientation);
    QRadioButton* landscape = RadioButton("Landscape", 102, orientation);
    row->addWidget(portrait);
    row->addWidget(landscape);
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)
        ->setChecked(true);
    layout->addWidget(orientation);
    auto* margins = new QGroupBox("Margins (millimetres)", &dialog);
    auto* grid = new QGridLayout(margins);
    const char* names[4] = {"Left", "Top", "Right", "Bottom"};
    const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
    const double values[4] = {m.left(), m.top(), m.right(), m.bottom()};
    QLineEdit* edits[4];
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(names[i], margins), i / 2, (i % 2) * 2);
        edits[i] = new QLineEdit(QString::number(values[i], 'f', 1), margins);
        edits[i]->setObjectName(QStringLiteral("field%1").arg(103 + i));
        grid->addWidget(edits[i], i / 2, (i % 2) * 2 + 1);
    }
    layout->addWidget(margins);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", &dialog);
    cancel->setObjectName("IDCANCEL");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    double mm[4] = {};
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog, &edits, &mm] {
        for (int i = 0; i < 4; ++i) {
            bool number = false;
            mm[i] = edits[i]->text().toDouble(&number);
            if (!number || mm[i] < 0.0 || mm[i] > kMaxMarginMm) {
                Prompt::Message(&dialog, "A margin is a number of millimetres from 0 to 100",
                                "Page Setup", Prompt::Buttons::Ok, Prompt::Icon::Stop);
                edits[i]->setFocus();
                return;
            }
        }
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (Prompt::Exec(dialog) != Prompt::IDOK) return false;
    printer.setPageOrientation(landscape->isChecked() ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(mm[0], mm[1], mm[2], mm[3]), QPageLayout::Millimeter);
    return true;
}

void MyPrinter::Setup(QWidget* owner) {
    ApplyPageSetup(*printer_, true);
    if (hasDefault_) {
        QPageSetupDialog dialog(printer_.get(), owner);
        dialog.setObjectName("PAGESETUP");
        if (Prompt::Exec(dialog) != Prompt::IDOK) return;
    } else if (!PdfPageSetup(owner, *printer_)) {
        return;
    }
    PageSetup& page = records_.page;
    const QMarginsF m = printer_->pageLayout().margins(QPageLayout::Millimeter);
    const double mm[4] = {m.left(), m.top(), m.right(), m.bottom()};
    for (int i = 0; i < 4; ++i)
        page.margins[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(mm[i] * kMarginUnitsPerMm + 0.5);
    // Only a real printer has a device description to keep the orientation in.
    if (hasDefault_)
        page.orientation = printer_->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}

std::string MyPrinter::ProposedPdfPath(const std::string& fileStem) const {
    QString folder = DataFolder::Folder(records_.scan.DataDir);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder)
        .filePath(QString::fromLocal8Bit(SafeStem(fileStem).c_str()) + ".pdf")
        .toStdString();
}

bool MyPrinter::PrintPage(QWidget* owner, const std::string& title, const std::string& fileStem,
                          bool useMargins, bool portrait,
                          const std::function<void(QPainter&, QPagedPaintDevice&)>& draw) {
    if (!Available()) return false;
    QPrinter& printer = *printer_;
    std::string pdf;
    if (!printTo_.empty()) {
        pdf = printTo_;
    } else if (!hasDefault_) {
        const auto chosen = Prompt::SaveFile(owner, "Print to PDF File", ProposedPdfPath(fileStem),
                                             "PDF Files (*.pdf)");
        if (!chosen || chosen->empty()) return false;
        pdf = *chosen;
    }
    // A PDF is written beside its name and takes it only when it is whole:
    // the PDF writer does not tell of a full disk, and a page cut short (or
    // empty) must not pass for printed, nor replace an earlier file.
    std::string temp;
    if (!pdf.empty()) {
        temp = FileWrite::TemporaryFor(pdf);
        if (const int error = Creatable(temp)) {
            TellNotWritten(owner, pdf, FileWrite::Result{false, error});
            return false;
        }
    }
    const QPageLayout saved = printer.pageLayout();
    const QPrinter::OutputFormat savedFormat = printer.outputFormat();
    const QString savedFile = printer.outputFileName();
    if (!pdf.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(temp.c_str()));
    }
    ApplyPageSetup(printer, useMargins);
    if (portrait) printer.setPageOrientation(QPageLayout::Portrait);
    printer.setCopyCount(1);
    printer.setDocName(QString::fromStdString(title));
    bool ok = false;
    {
        QPainter painter;
        if (painter.begin(&printer)) {
            draw(painter, printer);
            ok = painter.end();
        }
    }
    // The operator's orientation and output stay as they were.
    printer.setPageLayout(saved);
    if (!pdf.empty()) {
        printer.setOutputFileName(savedFile);
        printer.setOutputFormat(savedFormat);
    }
    if (!pdf.empty()) {
        FileWrite::Result written{false, EIO};
        if (ok && WholePdf(temp)) {
            written = FileWrite::Commit(temp, pdf);
        } else {
            std::remove(temp.c_str());
            if (ok) written.error = ENOSPC;  // drawn, but the file did not take it all
        }
        if (!written) {
            TellNotWritten(owner, pdf, written);
            return false;
        }
    } else if (!ok) {
        Prompt::Message(owner, "Can't Access Printer", "Error", Prompt::Buttons::Ok,
                        Prompt::Icon::Stop);
        return false;
    }
    lastOutput_ = pdf.empty() ? "printer " + printer.printerName().toStdString() : pdf;
    return true;
}
