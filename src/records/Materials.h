#pragma once
// The "Materials" key: one value per material, its relative permittivity as text.
#include <string>
#include <vector>

#include "platform/RegistryStore.h"

// Material names in the registry's order (empty when the key is missing).
std::vector<std::string> MaterialNames(RegistryStore& store);
// The material's relative permittivity; 0 when the material has no readable
// value (then no depletion correction can be computed for it).
double MaterialPermittivity(RegistryStore& store, const std::string& material);
