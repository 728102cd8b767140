#pragma once
#include <string>

// The specimen record. Text fields keep the sizes of their registry values
// (terminator included); longer texts are cut where they enter.
struct SpecimenData {
    static constexpr std::size_t kIdSize = 16;
    static constexpr std::size_t kDescriptionSize = 36;
    static constexpr std::size_t kMaterialSize = 16;

    std::string WaferID;
    std::string BatchID;
    std::string Description;
    std::string Material;
    int Shape = 0;                  // 0 van der Pauw, 1 bar, 2 bridge
    double Thickness = 0.0;         // micrometres; 0 means sheet results only
    double Length = 0.0;            // millimetres
    double Width = 0.0;             // millimetres
    double MaterialConstant = 0.0;  // relative permittivity of the material
};
