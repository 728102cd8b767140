#pragma once
// The magnet page of the engineering sheet: the view of ManualMagnet (moves
// of the magnet and the stage, the status word's three texts and the field
// strength).
#include <string>

#include "magnet/EngineeringPage.h"
#include "core/FieldSet.h"
#include "magnet/ManualMagnet.h"

class QLineEdit;
class QPushButton;

class TManual : public EngineeringPage {
    Q_OBJECT
  public:
    static constexpr int kFieldStrength = ManualMagnet::kFieldStrength;

    explicit TManual(Instruments& instruments, QWidget* parent = nullptr);

    // Field 107 with the field strength ("%.3lf"), then the status.
    void SetUp() override { magnet_.SetUp(); }
    // Field 107 (at most 9 characters) as the field strength; refused when
    // not greater than 0, and the stored strength is then left as it was.
    // A refusal puts the focus on the edit with its text selected.
    bool Apply() override;

    // A move button: the motion, then the status again.
    void Move(const std::string& command) { magnet_.Move(command); }
    // "Update".
    void UpdateStatus() { magnet_.UpdateStatus(); }

    FieldSet& Fields() { return magnet_.Fields(); }
    ManualMagnet& Magnet() { return magnet_; }

  private:
    ManualMagnet magnet_;
    QLineEdit* fieldStrength_;
};
