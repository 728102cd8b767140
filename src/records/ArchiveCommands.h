#pragma once
// The Archive menu: "Add Current Result(s)" (15), "Set Path..." (16),
// "Examine..." (17), "Sort Records..." (18), "View Records..." (19), and the
// archive's lines of the dump.
#include <functional>
#include <string>
#include <vector>

#include "records/Archive.h"

class ProgramState;
class QWidget;

struct ArchiveLinks {
    // Puts a text window into the main frame's client and shows it.
    std::function<void(QWidget*)> showTextWindow;
    // The specimen was taken from a record: the temperature text goes to
    // the controller and the results panel is computed again from the
    // record's values (which are in the result record by then).
    std::function<void(const Trecord&)> recordRead;
};
ArchiveLinks& ArchiveCallbacks();

// The record of the present specimen and result, stamped now.
Trecord CurrentRecord(ProgramState& program);
// Appends the current record, the whole line or nothing; false when the
// archive cannot be written, which is told in a message box with its name.
bool OnArchiveAdd(ProgramState& program, QWidget* owner = nullptr);
void OnArchiveSetPath(ProgramState& program, QWidget* owner);
void OnArchiveExamine(ProgramState& program, QWidget* owner);
void OnArchiveSort(ProgramState& program, QWidget* owner);
void OnArchiveView(ProgramState& program, QWidget* owner);
// Copies a record into the specimen and the result record (texts cut to the
// specimen's fields), then hands it to ArchiveLinks::recordRead.
void ReadIntoApplication(ProgramState& program, const Trecord& record);

// "archive: <path> <records>" (records -1 when the file cannot be read), and
// a "window: EDITOR ..." line per open text window.
void DumpArchive(ProgramState& program, std::vector<std::string>& lines);
