#pragma once
// The "Engineering" sheet (Help > Engineering, command 103): direct bus
// access, the buffer amplifier page when its port is open, and the magnet
// page. Modal. On OK or Apply every page that was set up applies; a page that
// refuses keeps the sheet open on itself; a page never shown applies nothing.
#include <QDialog>
#include <vector>

#include "ControllerKind.h"
#include "EngineeringPage.h"
#include "FieldSet.h"

class QLineEdit;
class QRadioButton;
class QTabWidget;

// Direct access to the instruments on the bus.
class TGpib : public EngineeringPage {
    Q_OBJECT
  public:
    static constexpr int kData = 103;
    static constexpr int kSecondary = 109;
    static constexpr int kLines = 212;

    explicit TGpib(QWidget* parent = nullptr);
    // Shows the bus lines (not in demo mode).
    void SetUp() override;

    void SelectHall();
    void SelectController();
    void Receive();
    void Send();
    // Spoll 1, SDC 2, DCL 3, GTL 4, LLO 5, IFC 6, REN 7, for the page's address.
    void Interface(int kind);

    int Primary() const { return primary_; }
    int Secondary() const { return secondary_; }
    FieldSet& Fields() { return fields_; }

  private:
    // Field 109 as an unsigned number; false when it holds none.
    bool SecondaryFromField(int& secondary) const;

    FieldSet fields_;
    QLineEdit* secondaryField_;
    QRadioButton* hall_;
    QRadioButton* controller_;
    int primary_ = GpibAddress::kHallElectronics;
    int secondary_ = 6;
};

class TEngineeringSheet : public PropertySheet {
    Q_OBJECT
  public:
    explicit TEngineeringSheet(QWidget* parent = nullptr);
};

// Help > "Engineering" (command 103).
void ShowEngineeringSheet(QWidget* owner);
