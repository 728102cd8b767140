#pragma once
// The logic of the engineering sheet's GPIB page, without any widget: which
// instrument is addressed (the Hall electronics, or the temperature
// controller when it is on the bus), the secondary address typed in field
// 109, and the transfers and bus-level commands at that address. TGpib is
// its view.
#include <QPointer>
#include <QWidget>

#include "core/ControllerKind.h"
#include "core/FieldSet.h"

class Instruments;

class GpibAccess {
  public:
    static constexpr int kData = 103;
    static constexpr int kSecondary = 109;
    static constexpr int kLines = 212;
    // The ITC5 has no secondary address: its transfers take their own calls.
    static constexpr int kNoSecondary = -1;

    // The controller can be chosen only when it is on the bus (the kind of
    // the run configuration now).
    explicit GpibAccess(Instruments& instruments);

    // Where an error of a bus-level command is shown (the page).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    // The bus lines into field 212 (not in demo mode).
    void SetUp();
    void SelectHall();
    // False when the controller cannot be addressed from here.
    bool SelectController();
    // A reply into field 103, from the address and the secondary of field 109.
    void Receive();
    // Field 103 (its first 19 characters) to the address.
    void Send();
    // Spoll 1, SDC 2, DCL 3, GTL 4, LLO 5, IFC 6, REN 7, for the address.
    void Interface(int kind);

    int Primary() const { return primary_; }
    int Secondary() const { return secondary_; }
    bool ControllerSelectable() const { return controllerSelectable_; }
    bool ControllerSelected() const { return primary_ != GpibAddress::kHallElectronics; }
    // Field 109 can be typed in (not while the ITC5 is addressed).
    bool SecondaryEditable() const { return secondary_ != kNoSecondary; }
    FieldSet& Fields() { return fields_; }

  private:
    bool Demo() const;

    Instruments& instruments_;
    // Field 109 as an unsigned number; false when it holds none.
    bool SecondaryFromField(int& secondary) const;

    FieldSet fields_;
    QPointer<QWidget> owner_;
    bool controllerSelectable_;
    int primary_ = GpibAddress::kHallElectronics;
    int secondary_ = 6;
};
