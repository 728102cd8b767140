#include "records/Materials.h"

#include "records/RegValues.h"

std::vector<std::string> MaterialNames(RegistryStore& store) {
    std::vector<std::string> names;
    for (const auto& value : store.EnumValues(RegValues::MaterialsKey())) {
        // Names longer than a key name can be are not the registry's own.
        if (!value.name.empty() && value.name.size() <= 31) names.push_back(value.name);
    }
    return names;
}

double MaterialPermittivity(RegistryStore& store, const std::string& material) {
    if (material.empty()) return 0.0;
    return RegValues::Number(store, RegValues::MaterialsKey(), material).value_or(0.0);
}
