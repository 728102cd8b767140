#pragma once
// The "Sample" property sheet: Identifiers, Material, Geometry, Log File,
// with OK and Cancel and the platform's property-sheet rules.
#include "platform/PropertySheet.h"

class ProgramState;
class SamplePage;

class TSampleSheet : public PropertySheet {
    Q_OBJECT
  public:
    explicit TSampleSheet(ProgramState& program, QWidget* parent = nullptr);
};
