#include "scan/Activation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double LineActivationEnergy(double dx, double dy, double xFactor, double leftFactor,
                            bool concentrationView) {
    const double u = dx / (1000.0 * xFactor);  // the change of 1/T, 1/K
    double s = dy / leftFactor;                // the change of the decade
    if (concentrationView) s = -s;
    return s / u * kDecadeElectronVolts;
}

std::string ActivationLabel(double energy) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%+6.3lf eV", energy);
    return buffer;
}

std::optional<ActivationFit> FitActivation(const std::vector<double>& x,
                                           const std::vector<double>& quantity, double xLow,
                                           double xHigh, bool concentrationView) {
    if (xLow > xHigh) std::swap(xLow, xHigh);
    std::vector<double> xs, ys;
    for (std::size_t i = 0; i < x.size() && i < quantity.size(); ++i) {
        const double m = std::fabs(quantity[i]);
        if (!(m > 0) || !std::isfinite(m) || !std::isfinite(x[i])) continue;
        if (x[i] < xLow || x[i] > xHigh) continue;
        xs.push_back(x[i]);
        ys.push_back(std::log10(m));
    }
    const int n = static_cast<int>(xs.size());
    if (n < 3) return std::nullopt;
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
        mx += xs[i];
        my += ys[i];
    }
    mx /= n;
    my /= n;
    double sxx = 0, sxy = 0;
    for (int i = 0; i < n; ++i) {
        sxx += (xs[i] - mx) * (xs[i] - mx);
        sxy += (xs[i] - mx) * (ys[i] - my);
    }
    if (!(sxx > 0)) return std::nullopt;
    ActivationFit fit;
    fit.slope = sxy / sxx;
    fit.intercept = my - fit.slope * mx;
    double ssr = 0;
    for (int i = 0; i < n; ++i) {
        const double r = ys[i] - (fit.intercept + fit.slope * xs[i]);
        ssr += r * r;
    }
    const double slopeError = std::sqrt(ssr / (n - 2) / sxx);
    // A decade per unit of 1000/T is 1000 decades per unit of 1/T.
    const double perUnit = 1000.0 * kDecadeElectronVolts;
    fit.energy = (concentrationView ? -fit.slope : fit.slope) * perUnit;
    fit.energyError = slopeError * perUnit;
    fit.points = n;
    fit.xLow = *std::min_element(xs.begin(), xs.end());
    fit.xHigh = *std::max_element(xs.begin(), xs.end());
    return fit;
}

std::string FitLabel(const ActivationFit& fit) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%+6.3lf eV \xC2\xB1 %.3lf (%d points)", fit.energy,
                  fit.energyError, fit.points);
    return buffer;
}
