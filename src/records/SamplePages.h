#pragma once
// The four pages of the Sample sheet. Each page shows the records when it is
// made and writes them back in Apply(), which may refuse (then the sheet
// stays open on that page).
#include <QWidget>

#include "platform/PropertySheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ProgramState;
class ShapePicture;

class SamplePage : public PropertyPage {
    Q_OBJECT
  public:
    SamplePage(ProgramState& program, QWidget* parent) : PropertyPage(parent), program_(program) {}
    bool Apply() override = 0;

  protected:
    ProgramState& program_;
};

// Identifiers: the two IDs (labels from the System values) and the description.
class TSpecimen : public SamplePage {
    Q_OBJECT
  public:
    explicit TSpecimen(ProgramState& program, QWidget* parent = nullptr);
    bool Apply() override;

  private:
    QLineEdit* wafer_;
    QLineEdit* batch_;
    QLineEdit* description_;
};

// Material: the list from the "Materials" key and the permittivity lookup.
class TMaterial : public SamplePage {
    Q_OBJECT
  public:
    explicit TMaterial(ProgramState& program, QWidget* parent = nullptr);
    bool Apply() override;

  private:
    void Fill(const QString& selection);
    void EditOrReRead();
    QComboBox* list_;
    QPushButton* edit_;
    bool reReadMode_ = false;
};

// Geometry: shape, thickness, and length and width of bars and bridges.
class TGeom : public SamplePage {
    Q_OBJECT
  public:
    explicit TGeom(ProgramState& program, QWidget* parent = nullptr);
    bool Apply() override;

  private:
    void ShowShape(int shape);
    QRadioButton* shapes_[3];
    QLineEdit* thickness_;
    QLineEdit* length_;
    QLineEdit* width_;
    ShapePicture* picture_;
};

// Log File: which measurements log, opening a log named after the IDs, and
// closing the open one.
class TLogFile : public SamplePage {
    Q_OBJECT
  public:
    explicit TLogFile(ProgramState& program, QWidget* parent = nullptr);
    bool Apply() override;

  private:
    void CloseLog();
    QCheckBox* include_[4];
    QCheckBox* open_;
    QLabel* name_;
    QPushButton* close_;
};
