#pragma once
// The depletion correction dialog: from the surface and inner interface
// potentials it estimates both depletion widths of a thin layer, its active
// thickness, and the corrected bulk resistivity and concentration, which
// Apply shows in the results panel (the record keeps the uncorrected values).
#include <QDialog>
#include <functional>

#include "core/FieldSet.h"

class ProgramState;

class TDepl : public QDialog {
    Q_OBJECT
  public:
    // kelvin: the present temperature of the controller object.
    TDepl(ProgramState& program, QWidget* parent, double kelvin);

    FieldSet& Fields() { return fields_; }
    // Calculate (101): reads the potentials into the live settings and fills
    // fields 112 to 116; an impossible computation shows its message and
    // leaves them empty.
    void Calculate();

    // The Help button's handler (context number), installed by the shell.
    static void SetHelpHandler(std::function<void(int)> handler);

  public slots:
    // Apply: the corrected texts replace results fields 2 (with a resistivity
    // result shown) and 6.
    void accept() override;

  private:
    ProgramState& program_;
    FieldSet fields_;
    double kelvin_;
};

// Command 53 is enabled when both results are shown and the specimen has a
// thickness.
bool DepletionEnabled(ProgramState& program);
// Command 53: runs the dialog.
void DepletionCommand(ProgramState& program, QWidget* parent, double kelvin);
