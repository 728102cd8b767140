#pragma once
// The two set-choosing dialogs and the dialog that hands the operator over to
// the registry editor (on Linux: the registry file in a text editor).
#include <QDialog>
#include <string>

class QComboBox;
class QListWidget;

// Picks an existing set of the branch ("Settings" or "Styles"). OK takes the
// selected name when it has two characters or more; otherwise the dialog
// stays open.
class TReadRegPath : public QDialog {
    Q_OBJECT
  public:
    TReadRegPath(QWidget* parent, const std::string& branch, std::string& name);

  private:
    void Select();
    std::string& name_;
    QListWidget* list_;
};

// Picks an existing set or takes a new name typed into the combo box.
class TSaveRegPath : public QDialog {
    Q_OBJECT
  public:
    TSaveRegPath(QWidget* parent, const std::string& branch, std::string& name);

  private:
    void Select();
    std::string& name_;
    QComboBox* combo_;
};

// Explains where the data lives and opens it for editing. Accepted when the
// editor was started.
struct RecordParts;

class TEditReg : public QDialog {
    Q_OBJECT
  public:
    // `parts` gives the editor link (the desktop's editor when it is unset).
    TEditReg(QWidget* parent, const std::string& subkey, const RecordParts& parts);

  private:
    const RecordParts& parts_;
    void RunEditor();
};

// The names of the sets of a branch, in the registry's order.
std::vector<std::string> SetNames(const std::string& branch);
// The name a set dialog would accept, or empty: at most 31 characters are
// taken, and fewer than two are refused.
std::string AcceptableSetName(const std::string& text);
