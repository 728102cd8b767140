#pragma once
// The magnet page of the engineering sheet: moves of the magnet and the
// stage, the status word's three texts and the field strength.
#include <string>

#include "EngineeringPage.h"
#include "FieldSet.h"

class QLineEdit;
class QPushButton;

class TManual : public EngineeringPage {
    Q_OBJECT
  public:
    static constexpr int kFieldStrength = 107;

    explicit TManual(QWidget* parent = nullptr);

    // Field 107 with the field strength ("%.3lf"), then the status.
    void SetUp() override;
    // Field 107 (at most 9 characters) as the field strength; refused when
    // not greater than 0, and the stored strength is then left as it was.
    bool Apply() override;

    // A move button: the motion, then the status again.
    void Move(const std::string& command);
    // "Update".
    void UpdateStatus();

    FieldSet& Fields() { return fields_; }

  private:
    FieldSet fields_;
    QLineEdit* fieldStrength_;
    bool moving_ = false;
};
