#include "vantris_sim/Specimen.h"

#include <cmath>
#include <numbers>

namespace vantris::sim {
namespace {

using Complex = std::complex<double>;

// Upper half-plane onto the unit disc; the real axis goes to the circle.
Complex HalfPlaneToDisc(Complex w) {
    const Complex i(0.0, 1.0);
    return (w - i) / (w + i);
}

// |d zeta / d w| of the map above, to carry a contact radius across.
double HalfPlaneScale(Complex w) {
    const Complex i(0.0, 1.0);
    return std::abs(2.0 / ((w + i) * (w + i)));
}

double Angle(Complex z) {
    double a = std::arg(z);
    if (a < 0.0) a += 2.0 * std::numbers::pi;
    return a;
}

}  // namespace

Specimen::Specimen(const SpecimenConfig& config) : config_(config) {
    for (int k = 0; k < 8; ++k) contactResistance_[k + 1] = config.contactResistanceOhm[k];
    if (config.geometry == Geometry::Vdp) {
        const double radius = config.contactRadiusMm / (config.discDiameterMm * 0.5);
        for (int k = 1; k <= 4; ++k) {
            const double angle = config.contactAnglesDeg[k - 1] * std::numbers::pi / 180.0;
            terminal_[k] = probe_[k] = std::polar(1.0, angle);
            radius_[k] = radius;
            exists_[k] = true;
        }
        return;
    }
    // Bar: strip of width W along x, voltage contacts at x = -+L/2, the end
    // contacts at x = -+L (5 at the end of contacts 1 and 2). exp(pi z / W)
    // sends the edge y = 0 to the positive and y = W to the negative real axis;
    // contacts 1 and 4 sit on y = W, 2 and 3 opposite them on y = 0.
    const double w = config.barWidthMm;
    const double l = config.barLengthMm;
    const double s = std::numbers::pi / w;
    const double near = std::exp(-s * l * 0.5);
    const double far = std::exp(s * l * 0.5);
    const std::array<Complex, 5> edge{Complex(), Complex(-near), Complex(near), Complex(far),
                                      Complex(-far)};
    for (int k = 1; k <= 4; ++k) {
        terminal_[k] = probe_[k] = HalfPlaneToDisc(edge[k]);
        radius_[k] = HalfPlaneScale(edge[k]) * s * std::abs(edge[k]) * config.contactRadiusMm;
        exists_[k] = true;
    }
    // The end contacts cover the whole width: current enters at the strip's
    // ends (0 and infinity of the half-plane); their potential is the one on
    // the centre line at x = -+L.
    const Complex i(0.0, 1.0);
    terminal_[5] = Complex(-1.0, 0.0);
    terminal_[6] = Complex(1.0, 0.0);
    probe_[5] = HalfPlaneToDisc(i * std::exp(-s * l));
    probe_[6] = HalfPlaneToDisc(i * std::exp(s * l));
    exists_[5] = exists_[6] = true;
}

SpecimenTruth Specimen::Truth(double temperatureK) const {
    SpecimenTruth t;
    const double temperature = temperatureK > 1.0 ? temperatureK : 1.0;
    t.temperatureK = temperatureK;
    const double density = config_.n300Cm3 * std::exp(-(config_.activationEv / kBoltzmannEv) *
                                                      (1.0 / temperature - 1.0 / 300.0));
    t.mobility = config_.mobility300 * std::pow(temperature / 300.0, -config_.mobilityExponent);
    t.resistivity = 1.0 / (kElementaryCharge * density * t.mobility);
    const double thicknessCm = config_.thicknessUm * 1e-4;
    t.sheetResistance = t.resistivity / thicknessCm;
    const double sheetCm2 = density * thicknessCm;
    const double sign = config_.nType ? -1.0 : 1.0;
    t.sheetDensity = sign * sheetCm2;
    t.hallSheet = sign * config_.hallFactor / (kElementaryCharge * sheetCm2 * 1e4);
    return t;
}

bool Specimen::HasContact(int contact) const {
    return contact >= 1 && contact <= 6 && exists_[contact];
}

double Specimen::LogDistance(int contact, int terminal) const {
    if (contact == terminal && radius_[contact] > 0.0) return std::log(radius_[contact]);
    const double d = std::abs(probe_[contact] - terminal_[terminal]);
    return std::log(d > 1e-300 ? d : 1e-300);
}

double Specimen::InnerPotential(int contact, const Drive& drive, double rs, double hall) const {
    const double resistive = rs * drive.amps / std::numbers::pi *
                             (LogDistance(contact, drive.to) - LogDistance(contact, drive.from));
    if (radius_[contact] <= 0.0 || contact == drive.from || contact == drive.to) return resistive;
    // Which of the two boundary arcs between the current contacts holds this one.
    const double a = Angle(terminal_[drive.from]);
    const double span =
        std::fmod(Angle(terminal_[drive.to]) - a + 4.0 * std::numbers::pi, 2.0 * std::numbers::pi);
    const double here =
        std::fmod(Angle(probe_[contact]) - a + 4.0 * std::numbers::pi, 2.0 * std::numbers::pi);
    const double side = here < span ? -0.5 : 0.5;
    return resistive + side * hall * drive.amps;
}

double Specimen::Potential(int contact, const Drive& drive, double temperatureK,
                           double tesla) const {
    if (!HasContact(contact) || !HasContact(drive.from) || !HasContact(drive.to) ||
        drive.from == drive.to || drive.amps == 0.0) {
        return 0.0;
    }
    const SpecimenTruth t = Truth(temperatureK);
    const double hall = t.hallSheet * tesla;
    auto outer = [&](int k) {
        double v = InnerPotential(k, drive, t.sheetResistance, hall);
        if (k == drive.from)
            v += drive.amps * contactResistance_[k] + JunctionVoltage(k, drive.amps, temperatureK);
        if (k == drive.to)
            v -= drive.amps * contactResistance_[k] + JunctionVoltage(k, drive.amps, temperatureK);
        return v;
    };
    return outer(contact) - outer(drive.to);
}

double Specimen::SourceVoltage(const Drive& drive, double temperatureK, double tesla) const {
    return Potential(drive.from, drive, temperatureK, tesla);
}

double Specimen::JunctionVoltage(int contact, double amps, double temperatureK) const {
    if (contact < 1 || contact > 8) return 0.0;
    const double saturation = config_.contactDiodeSaturationA[contact - 1];
    if (!(saturation > 0.0) || amps == 0.0) return 0.0;
    const double thermal = kBoltzmannEv * (temperatureK > 1.0 ? temperatureK : 1.0);
    return config_.contactDiodeIdeality[contact - 1] * thermal *
           std::asinh(amps / (2.0 * saturation));
}

double Specimen::ContactResistance(int contact) const {
    return contact >= 1 && contact <= 8 ? contactResistance_[contact] : 0.0;
}

void Specimen::SetContactResistance(int contact, double ohms) {
    if (contact >= 1 && contact <= 8) contactResistance_[contact] = ohms;
}

}  // namespace vantris::sim
