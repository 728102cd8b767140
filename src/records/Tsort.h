#pragma once
// The sort dialog "Sort Archive": picks the key, the sort string, the
// destination file and the columns, and on OK writes the sorted table. The
// dialog stays open on every failure, with its message.
#include <QDialog>
#include <string>

#include "records/Archive.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

struct RunConfig;

class Tsort : public QDialog {
    Q_OBJECT
  public:
    // archivePath: the archive to read.
    // The sort keys are labelled with the configuration's two ID names.
    Tsort(QWidget* parent, std::string archivePath, const RunConfig& config);
    // After OK: the table written (a path as typed, relative to the current folder).
    const std::string& Destination() const { return destination_; }
    // The choices now shown.
    ArchiveFormat::SortOptions Options() const;

  private:
    void OnOk();

    std::string archivePath_;
    std::string destination_;
    QRadioButton* keys_[4] = {};
    QLineEdit* sortString_ = nullptr;
    QLineEdit* destinationEdit_ = nullptr;
    QCheckBox* include_[5] = {};
};
