#pragma once
// The specimen: carrier physics as a function of temperature, and the
// potentials at its contacts for a current between two of them.
//
// Every geometry is solved on the unit disc. A van der Pauw disc is the disc;
// a bar (an infinite strip with its end contacts at the two ends) is mapped
// onto it conformally (strip -> half-plane by exp, half-plane -> disc by a
// Mobius map). For boundary point contacts the potential of contact k with a
// current I in at a and out at b is (Rs I / pi) ln(|k - b| / |k - a|), which
// makes van der Pauw's theorem exact; a contact's own potential uses its
// radius instead of the zero distance. The Hall potential on the boundary is
// piecewise constant: +-R_Hs B I / 2 on the two arcs between a and b.
#include <array>
#include <complex>

#include "vantris_sim/RackConfig.h"

namespace vantris::sim {

struct SpecimenTruth {
    double temperatureK = 0;
    double sheetResistance = 0;  // ohm/sq
    double resistivity = 0;      // ohm cm
    double hallSheet = 0;        // m2/C, negative for electrons
    double sheetDensity = 0;     // cm-2, negative for electrons
    double mobility = 0;         // cm2/Vs
    // What a voltmeter across contacts 1-2 (3-4) reads per ampere driven
    // through the same two contacts, outside the field: the IV curve's slope.
    double pair12 = 0;  // ohm
    double pair34 = 0;  // ohm
};

// A current through the specimen: amps (signed) from contact `from` to `to`.
struct Drive {
    int from = 0;
    int to = 0;
    double amps = 0.0;
};

class Specimen {
  public:
    static constexpr double kElementaryCharge = 1.602176634e-19;
    static constexpr double kBoltzmannEv = 8.617333262e-5;

    explicit Specimen(const SpecimenConfig& config);

    SpecimenTruth Truth(double temperatureK) const;

    // Contacts 1..6 that exist on this geometry (a disc has no 5 and 6).
    bool HasContact(int contact) const;

    // Potential of contact k (its outer terminal) with respect to the outer
    // terminal of the drive's sink, at temperature T and field B (tesla).
    // Contacts 7 and 8 and missing contacts read 0.
    double Potential(int contact, const Drive& drive, double temperatureK, double tesla) const;

    // Voltage the source needs to drive the current: outer a minus outer b.
    double SourceVoltage(const Drive& drive, double temperatureK, double tesla) const;

    // The drop across contact k's barrier for `amps` flowing from its outer
    // terminal into the specimen (odd in amps); 0 for an ohmic contact.
    double JunctionVoltage(int contact, double amps, double temperatureK) const;

    double ContactResistance(int contact) const;
    void SetContactResistance(int contact, double ohms);
    double ThermoOffset() const { return config_.thermoOffsetVolts; }
    const SpecimenConfig& Config() const { return config_; }

  private:
    double InnerPotential(int contact, const Drive& drive, double rs, double hall) const;
    double LogDistance(int contact, int terminal) const;

    SpecimenConfig config_;
    // Indexed by contact number 1..6.
    std::array<std::complex<double>, 7> terminal_{};  // where current enters or leaves
    std::array<std::complex<double>, 7> probe_{};     // where the potential is taken
    std::array<double, 7> radius_{};                  // > 0 for boundary point contacts
    std::array<bool, 7> exists_{};
    std::array<double, 9> contactResistance_{};
};

}  // namespace vantris::sim
