#pragma once
// Named settings sets and style sets in the registry, and the positions of
// the five measurement windows.
//
// A set's values replace the live ones only where they are present and
// readable; everything else keeps its live value. The controller-only values
// (data directory, scan values, page set-up) are read and written only when
// a temperature controller is fitted.
class ProgramState;
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/RegistryStore.h"

// True when the set's key exists (then its readable values were taken).
bool ReadSettingsSet(ProgramState& program, RegistryStore& store, const std::string& name);
// False when the set could not be written.
bool SaveSettingsSet(ProgramState& program, RegistryStore& store, const std::string& name);
bool ReadStyleSet(ProgramState& program, RegistryStore& store, const std::string& name);
bool SaveStyleSet(ProgramState& program, RegistryStore& store, const std::string& name);

// The same on the process's store.
bool ReadSettingsSet(ProgramState& program, const std::string& name);
bool SaveSettingsSet(ProgramState& program, const std::string& name);
bool ReadStyleSet(ProgramState& program, const std::string& name);
bool SaveStyleSet(ProgramState& program, const std::string& name);

// Window positions: left and top of the contact-check, IV-curve, van der
// Pauw, bar and Hall windows, in that order.
struct WindowPosition {
    std::int32_t left = 0;
    std::int32_t top = 0;
    bool operator==(const WindowPosition&) const = default;
};
using WindowPositions = std::array<std::optional<WindowPosition>, 5>;
inline constexpr std::array<const char*, 5> kWindowPositionNames{"CheckPos", "IVPos", "ResVdpPos",
                                                                 "ResBarPos", "HallPos"};

// Each position that can be read; a missing one leaves its window where it is.
WindowPositions ReadWindowPositions(RegistryStore& store);
// Writes the positions given (an empty slot is not written) to the root key;
// the root key is not created when it is missing.
bool SaveWindowPositions(RegistryStore& store, const WindowPositions& positions);
