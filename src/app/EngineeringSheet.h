#pragma once
// The "Engineering" sheet (Help > Engineering, command 103): direct bus
// access, the buffer amplifier page when its port is open, and the magnet
// page. Modal. On OK or Apply every page that was set up applies; a page that
// refuses keeps the sheet open on itself; a page never shown applies nothing.
#include <QDialog>

#include "magnet/EngineeringPage.h"
#include "core/FieldSet.h"
#include "app/GpibAccess.h"

class QLineEdit;
class QRadioButton;
class QTabWidget;

// Direct access to the instruments on the bus: the view of GpibAccess.
class TGpib : public EngineeringPage {
    Q_OBJECT
  public:
    static constexpr int kData = GpibAccess::kData;
    static constexpr int kSecondary = GpibAccess::kSecondary;
    static constexpr int kLines = GpibAccess::kLines;

    explicit TGpib(Instruments& instruments, QWidget* parent = nullptr);
    // Shows the bus lines (not in demo mode).
    void SetUp() override { access_.SetUp(); }

    void SelectHall();
    void SelectController();
    void Receive() { access_.Receive(); }
    void Send() { access_.Send(); }
    // Spoll 1, SDC 2, DCL 3, GTL 4, LLO 5, IFC 6, REN 7, for the page's address.
    void Interface(int kind) { access_.Interface(kind); }

    int Primary() const { return access_.Primary(); }
    int Secondary() const { return access_.Secondary(); }
    FieldSet& Fields() { return access_.Fields(); }
    GpibAccess& Access() { return access_; }

  private:
    // The radio buttons and the secondary's edit follow the address.
    void Follow();

    GpibAccess access_;
    QLineEdit* secondaryField_;
    QRadioButton* hall_;
    QRadioButton* controller_;
};

class TEngineeringSheet : public PropertySheet {
    Q_OBJECT
  public:
    explicit TEngineeringSheet(Instruments& instruments, QWidget* parent = nullptr);
};

// Help > "Engineering" (command 103).
void ShowEngineeringSheet(Instruments& instruments, QWidget* owner);
