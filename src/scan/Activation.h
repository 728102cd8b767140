#pragma once
// The activation energy of an Arrhenius plot: from a line drawn by hand, and
// from a least-squares fit of the plotted points.
#include <optional>
#include <string>
#include <vector>

// ln 10 times the Boltzmann constant, in eV/K: a decade per unit of 1/T.
inline constexpr double kDecadeElectronVolts = 1.9842387971388985e-4;

// The energy of a line dx by dy pixels on a 1000/T axis of xFactor pixels per
// unit and a logarithmic left axis of leftFactor pixels per decade. In a
// concentration view the sign is turned: carriers freeze out as 1/T grows.
double LineActivationEnergy(double dxPixels, double dyPixels, double xFactor, double leftFactor,
                            bool concentrationView);
// "%+6.3lf eV"
std::string ActivationLabel(double energy);

struct ActivationFit {
    double intercept = 0.0;    // decades at 1000/T = 0
    double slope = 0.0;        // decades per unit of 1000/T
    double energy = 0.0;       // eV, sign rule applied
    double energyError = 0.0;  // standard error, eV
    int points = 0;
    double xLow = 0.0, xHigh = 0.0;  // the span the line is drawn over (1000/T)
};

// Least squares of y = log10|quantity| against x = 1000/T over the points
// with x in [xLow, xHigh]. Nothing when fewer than three points lie there or
// they share one x.
std::optional<ActivationFit> FitActivation(const std::vector<double>& x,
                                           const std::vector<double>& quantity, double xLow,
                                           double xHigh, bool concentrationView);
// "%+6.3lf eV ± %.3lf (%d points)"
std::string FitLabel(const ActivationFit& fit);
