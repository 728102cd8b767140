#include "measure/ResultComputations.h"

#include <cmath>

#include "core/xmsg.h"

namespace ResultMath {
namespace {

// Every result leaves here finite; anything else is reported the way the
// floating-point unit would have reported it.
double Finite(double value) {
    if (!std::isfinite(value)) throw xmath(kDivideByZero);
    return value;
}

double Divide(double numerator, double denominator) {
    if (denominator == 0.0 || !std::isfinite(denominator)) throw xmath(kDivideByZero);
    return Finite(numerator / denominator);
}

double Root(double value) {
    if (!(value >= 0.0)) throw xmath(kSqrtDomain);
    return std::sqrt(value);
}

}  // namespace

int HoldValue(double v) {
    const double scaled = std::fabs(v) * 42.4;
    if (!(scaled >= 8.0)) return 8;  // also NaN
    // No cap at the instrument's 255; only keep the conversion defined.
    if (scaled >= 1e9) return 1000000000;
    return static_cast<int>(scaled);
}

double CheckResistance(double checkScale, double volts, int gain, double currentMicroamps) {
    return Divide(checkScale * volts, std::pow(10.0, gain) * currentMicroamps);
}

double BufferedCheckResistance(double checkScale, double volts, double zero,
                               double currentMicroamps) {
    return Divide(checkScale * 3.75 * (volts - zero), currentMicroamps);
}

double VdpFactor(double q) {
    const double c = Divide(q - 1.0, q + 1.0);
    const double c2 = c * c;
    return Finite(1.0 - 0.34657359 * c2 - 0.0923612 * c2 * c2);
}

VdpRow VanDerPauwRow(double vThis, double vNext, double currentMicroamps) {
    VdpRow row;
    double q = Divide(vThis, vNext);
    if (q < 1.0) q = Divide(1.0, q);
    row.ratio = q;
    row.factor = VdpFactor(q);
    row.sheet = Divide(row.factor * kVdpScale * (vThis + vNext), currentMicroamps);
    return row;
}

double BarSheetResistance(double vSum, double width, double length, double currentMicroamps) {
    return Divide(vSum * width, currentMicroamps * 4e-6 * length);
}

double HallCoefficientRaw(double hallVolts, double tesla, double currentMicroamps) {
    return Divide(hallVolts, tesla * currentMicroamps * 1e-6);
}

double BulkResistivity(double sheetResistance, double thicknessMicrons) {
    return Finite(thicknessMicrons * (sheetResistance * 0.0001));
}

double SheetConcentration(double hallCoefficientRaw, double scatFactor) {
    if (hallCoefficientRaw == 0.0) throw xmath(kNoHallValue);
    if (!(scatFactor > 0.0)) throw xmath(kDivideByZero);
    return Divide(0.0001, hallCoefficientRaw * kElementaryCharge / scatFactor);
}

double BulkConcentration(double sheetConcentration, double thicknessMicrons) {
    return Divide(10000.0 * sheetConcentration, thicknessMicrons);
}

std::optional<double> Mobility(double hallCoefficientRaw, double sheetResistance,
                               double scatFactor) {
    if (!(sheetResistance > 0.0001) || !(scatFactor > 0.0)) return std::nullopt;
    const double mobility =
        std::fabs(hallCoefficientRaw / (sheetResistance * scatFactor)) * 10000.0;
    if (!std::isfinite(mobility)) return std::nullopt;
    return mobility;
}

double ThermalVoltage(double kelvin) {
    return kelvin * kBoltzmann * kElectronVoltsPerJoule;
}

Depletion DepletionCorrection(double eVsurface, double eVinner, double kelvin, double permittivity,
                              double thicknessMicrons, double sheetConcentration) {
    const double kT = ThermalVoltage(kelvin);
    const double b = permittivity * kTwoEpsilon0 * kElectronVoltsPerJoule;
    const double cs = (eVsurface - kT) * b;
    const double ci = (eVinner - kT) * b;
    const double rootS = Root(cs);
    const double rootI = Root(ci);
    const double t = thicknessMicrons * 0.0001;
    // |ns| = N (t - Ws - Wi) with W = sqrt(c / N) is a quadratic in sqrt(N).
    const double bTerm = -(rootS + rootI);
    const double x =
        Divide(Root(4.0 * t * std::fabs(sheetConcentration) + bTerm * bTerm) - bTerm, 2.0 * t);
    const double n = Finite(x * x);
    Depletion result;
    result.surfaceWidth = Root(Divide(cs, n)) * 10000.0;
    result.innerWidth = Root(Divide(ci, n)) * 10000.0;
    result.activeThickness = thicknessMicrons - result.surfaceWidth - result.innerWidth;
    result.concentration = sheetConcentration < 0.0 ? -n : n;
    return result;
}

}  // namespace ResultMath
