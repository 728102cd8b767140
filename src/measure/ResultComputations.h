#pragma once
// The arithmetic behind the resistivity, Hall and results displays, as pure
// functions. Where a value cannot be computed they raise xmath with the
// program's own texts instead of letting an infinity or a NaN reach a field,
// the record, the log or the archive.
#include <optional>

namespace ResultMath {

// The program's constants (kept as they have always been, so results agree
// with earlier records).
inline constexpr double kElementaryCharge = 1.602192e-19;  // C
inline constexpr double kBoltzmann = 1.38066e-23;          // J/K
inline constexpr double kElectronVoltsPerJoule = 6.241495961752113e18;
inline constexpr double kTwoEpsilon0 = 1.77084e-13;  // F/cm
inline constexpr double kVdpScale = 2266180.0;       // pi / (2 ln 2) x 1e6 (uA to A)

// Texts of the errors raised here.
inline constexpr const char* kDivideByZero = "F.P.Divide By Zero";
inline constexpr const char* kNoHallValue = "No Hall value, can't calculate further";
inline constexpr const char* kSqrtDomain = "Function sqrt: DOMAIN error";
// Results no specimen can give: the run ends with them as its error.
inline constexpr const char* kMixedSigns = "Vm averages of mixed sign";
inline constexpr const char* kSheetNotPositive = "Sheet resistance <= 0";

// Fine-gain (hold) number after a reading taken at hold 128: the integer part
// of |v| x 42.4, at least 8, with no upper cap.
int HoldValue(double v);

// Contact check resistances in the unit of the check scale: a reading at
// decade gain `gain` of the standard electronics, or a buffered reading
// against its zero reading. A zero current raises xmath.
double CheckResistance(double checkScale, double volts, int gain, double currentMicroamps);
double BufferedCheckResistance(double checkScale, double volts, double zero,
                               double currentMicroamps);

// The series form of the van der Pauw correction for a ratio Q:
// c = (Q - 1) / (Q + 1), f = 1 - 0.34657359 c^2 - 0.0923612 c^4.
// Q = -1 (two averages equal and opposite) has no factor: xmath.
double VdpFactor(double q);

// One row of the van der Pauw table from two adjacent half-difference
// voltages (volts) and the current (uA).
struct VdpRow {
    double ratio = 0.0;   // Q, inverted when below 1
    double factor = 0.0;  // f(Q)
    double sheet = 0.0;   // ohms per square
};
// Raises xmath for a zero current or for opposite averages of equal size.
VdpRow VanDerPauwRow(double vThis, double vNext, double currentMicroamps);

// Bar: sum of the four signed voltages (volts), dimensions in any one unit.
double BarSheetResistance(double vSum, double width, double length, double currentMicroamps);

// Hall coefficient before the scattering factor (m2/C) from the mean Hall
// voltage, the field setting (tesla) and the current (uA). A zero field
// setting or current raises xmath "F.P.Divide By Zero".
double HallCoefficientRaw(double hallVolts, double tesla, double currentMicroamps);

// Bulk resistivity (ohm cm) from the sheet resistance and thickness (um).
double BulkResistivity(double sheetResistance, double thicknessMicrons);

// Signed sheet concentration (cm-2). A zero coefficient raises xmath "No Hall
// value, can't calculate further"; a scattering factor that is not positive
// raises "F.P.Divide By Zero".
double SheetConcentration(double hallCoefficientRaw, double scatFactor);
// Bulk concentration (cm-3) from the sheet concentration and thickness (um).
double BulkConcentration(double sheetConcentration, double thicknessMicrons);

// Hall mobility (cm2/Vs); nothing for a sheet resistance <= 0.0001 or a
// scattering factor that is not positive.
std::optional<double> Mobility(double hallCoefficientRaw, double sheetResistance,
                               double scatFactor);

// Depletion of a thin layer at the surface and the inner interface.
struct Depletion {
    double surfaceWidth = 0.0;     // um
    double innerWidth = 0.0;       // um
    double activeThickness = 0.0;  // um
    double concentration = 0.0;    // cm-3, signed like the sheet concentration
};
// kT in electronvolts at the given temperature (kelvin).
double ThermalVoltage(double kelvin);
// Potentials (eV) below kT raise xmath "Function sqrt: DOMAIN error"; a zero
// thickness or a layer without carriers raises "F.P.Divide By Zero".
Depletion DepletionCorrection(double eVsurface, double eVinner, double kelvin, double permittivity,
                              double thicknessMicrons, double sheetConcentration);

}  // namespace ResultMath
