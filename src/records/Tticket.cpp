#include "records/Tticket.h"

#include "records/ProgramState.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "views/Controls.h"
#include "platform/FileNames.h"
#include "platform/Prompt.h"
#include "records/RecordText.h"
#include "records/RecordsLinks.h"
#include "core/RunConfig.h"

namespace {
constexpr int kList = 101;
// Tab stops of the list in dialog units (a quarter of the average character width).
constexpr int kTabStops[] = {36, 100};

// Draws the tab-separated parts of an entry at the list's tab stops.
class TabStopDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QStringList parts = text.split('\t');
        // A dialog unit is a quarter of the average width of the letters. A
        // column starts at its stop, or a blank after the text before it
        // where that runs longer (wider fonts than the stops were made for).
        const double unit = opt.fontMetrics.horizontalAdvance(QStringLiteral(
                                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                            52.0 / 4.0;
        const int gap = opt.fontMetrics.horizontalAdvance(QLatin1Char(' '));
        int end = 0;
        const QPalette::ColorRole role =
            (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
        painter->save();
        painter->setPen(opt.palette.color(role));
        for (int i = 0; i < parts.size(); ++i) {
            int x = i == 0 ? 2 : 2 + static_cast<int>(kTabStops[std::min(i - 1, 1)] * unit);
            if (i > 0) x = std::max(x, end + gap);
            const QRect cell = opt.rect.adjusted(x, 0, 0, 0);
            painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, parts[i]);
            end = x + opt.fontMetrics.horizontalAdvance(parts[i]);
        }
        painter->restore();
    }
};
}  // namespace

bool ArchiveListModel::Open(const std::string& path) {
    beginResetModel();
    starts_.clear();
    // Only a regular file: a device would be indexed for ever, a FIFO block.
    bool ok = FileNames::OpenForReading(file_, FileNames::FromStored(path));
    if (ok) {
        // Read in pieces: the index is all that stays in memory.
        ArchiveFormat::RecordLineIndexer indexer;
        std::vector<char> piece(1 << 20);
        for (;;) {
            const qint64 n = file_.read(piece.data(), static_cast<qint64>(piece.size()));
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            indexer.Feed(piece.data(), static_cast<std::size_t>(n));
        }
        starts_ = std::move(indexer.Starts());
        // A list view counts its rows in int.
        if (starts_.size() > static_cast<std::size_t>(INT32_MAX)) starts_.resize(INT32_MAX);
    }
    endResetModel();
    return ok;
}

int ArchiveListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(starts_.size());
}

std::string ArchiveListModel::Line(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= starts_.size()) return {};
    // A line longer than the reader keeps is cut there; one byte more tells
    // whether a CR ends a line of exactly that length.
    if (!file_.seek(static_cast<qint64>(starts_[static_cast<std::size_t>(row)]))) return {};
    std::string bytes(ArchiveFormat::kMaxLine + 2, '\0');
    const qint64 n = file_.read(bytes.data(), static_cast<qint64>(bytes.size()));
    if (n <= 0) return {};
    bytes.resize(static_cast<std::size_t>(n));
    return std::string(ArchiveFormat::LineAt(bytes.data(), bytes.size(), 0));
}

Trecord ArchiveListModel::Record(int row) const {
    return ArchiveFormat::ParseRecordLine(Line(row));
}

QVariant ArchiveListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const Trecord r = Record(index.row());
    return FromRecordText(r.date + "\t" + r.waferId + "\t" + r.batchId);
}

Tticket::Tticket(QWidget* parent, const std::string& archivePath, ProgramState& program)
    : QDialog(parent), program_(program) {
    setObjectName("TICKET");
    setWindowTitle("View Archive Record");
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("   Date         Wafer ID                  Batch ID", this);
    heading->setTextFormat(Qt::PlainText);
    layout->addWidget(heading);
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("field%1").arg(kList));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setUniformItemSizes(true);
    list_->setItemDelegate(new TabStopDelegate(list_));
    list_->setMinimumSize(360, 220);
    opened_ = model_.Open(archivePath);
    list_->setModel(&model_);
    layout->addWidget(list_);

    auto* row = new QHBoxLayout;
    auto* display = PushButton("Display in Notepad", 102, this);
    auto* read = PushButton("Read into Application", 103, this);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("IDCANCEL");
    auto column = [this, row](QPushButton* button, const char* note) {
        auto* box = new QVBoxLayout;
        box->addWidget(button);
        auto* label = new QLabel(note, this);
        label->setAlignment(Qt::AlignHCenter);
        box->addWidget(label);
        row->addLayout(box);
    };
    column(display, "(Multiple Sel.)");
    column(read, "(Single Sel.)");
    auto* cancelBox = new QVBoxLayout;
    cancelBox->addWidget(cancel);
    cancelBox->addStretch();
    row->addLayout(cancelBox);
    layout->addLayout(row);
    connect(display, &QPushButton::clicked, this, &Tticket::OnDisplay);
    connect(read, &QPushButton::clicked, this, &Tticket::OnRead);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<int> Tticket::Selected() const {
    std::vector<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::string Tticket::TicketPath(const RunConfig& config) {
    // The program's folder where we may write there (an installation under
    // /usr or Program Files is not writable), else the user's data folder.
    QString folder = QString::fromStdString(config.programDirectory);
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isWritable()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(folder);
    }
    return QDir(folder).filePath("record.txt").toStdString();
}

bool Tticket::WriteTickets(const std::vector<int>& rows, const std::string& path) const {
    std::FILE* file = std::fopen(FileNames::Encode(QString::fromStdString(path)).c_str(), "wb");
    if (!file) return false;
    for (int row : rows) {
        const std::string ticket = ArchiveFormat::Ticket(model_.Record(row));
        std::fwrite(ticket.data(), 1, ticket.size(), file);
    }
    const bool failed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !failed;
}

void Tticket::OnDisplay() {
    const std::vector<int> rows = Selected();
    if (rows.empty()) return;
    const std::string path = TicketPath(program_.Config());
    if (!WriteTickets(rows, path)) {
        // Nothing to show: saying so beats opening an empty or stale file.
        Prompt::Message(this, "Can't create " + path, "File Error");
        return;
    }
    if (!OpenInEditor(program_.Records(), path))
        Prompt::Message(this, "No text editor could be started.\nThe tickets are in " + path,
                        "View Records", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    accept();
}

void Tticket::OnRead() {
    const std::vector<int> rows = Selected();
    if (rows.size() != 1) {
        Prompt::Message(this, "You must select exactly one record", "Error");
        return;
    }
    const Trecord record = model_.Record(rows.front());
    if (onReadRecord) onReadRecord(record);
    accept();
}
