#pragma once
// The record viewer "View Archive Record": a list of the archive's records
// (Date, Wafer ID, Batch ID), from which the selected records are written as
// tickets and opened in the text editor, or one record is read back into the
// application.
#include <QAbstractListModel>
#include <QDialog>
#include <QFile>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records/Archive.h"

class QListView;

// The archive's records as list entries. Only the line starts are kept;
// an entry's text is read from the file when the view asks for it, so a
// million records list at once.
class ArchiveListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    // False when the file cannot be read.
    bool Open(const std::string& path);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The record of entry `row` as the reader splits it.
    Trecord Record(int row) const;

  private:
    std::string Line(int row) const;
    mutable QFile file_;
    std::vector<std::uint64_t> starts_;
};

class ProgramState;
struct RunConfig;

class Tticket : public QDialog {
    Q_OBJECT
  public:
    // Opens the archive; Opened() is false when it cannot be read.
    Tticket(QWidget* parent, const std::string& archivePath, ProgramState& program);
    bool Opened() const { return opened_; }
    int Count() const { return model_.rowCount(); }
    // Selected entries, in file order.
    std::vector<int> Selected() const;

    // Where "Display in Notepad" writes the tickets.
    // Where the tickets go: the program's folder when writable, else the
    // user's data folder.
    static std::string TicketPath(const RunConfig& config);
    // Writes the tickets of `rows` to `path`; false when it cannot be written.
    bool WriteTickets(const std::vector<int>& rows, const std::string& path) const;

    // Called with the record "Read into Application" takes.
    std::function<void(const Trecord&)> onReadRecord;

  private:
    ProgramState& program_;
    void OnDisplay();
    void OnRead();

    ArchiveListModel model_;
    QListView* list_ = nullptr;
    bool opened_ = false;
};
