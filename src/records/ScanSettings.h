#pragma once
// The scan values of a settings set: the data directory, the graph's axis
// ranges and the planned scan. The live scan window reads and writes them;
// they are loaded and saved with the settings set only when a temperature
// controller is fitted.
#include <cstddef>
#include <cstdint>
#include <string>

struct ScanSettings {
    static constexpr std::size_t kDataDirSize = 256;  // registry buffer, terminator included
    static constexpr std::int32_t kMaxPoints = 100;

    std::string DataDir;
    // Axis ranges in decades (log10 of the quantity), the temperature axis in kelvin.
    std::int32_t Nmin = 12;
    std::int32_t Nmax = 20;
    std::int32_t Umin = 1;
    std::int32_t Umax = 5;
    std::int32_t Rmin = -3;
    std::int32_t Rmax = 4;
    std::int32_t RHmin = -2;
    std::int32_t RHmax = 5;
    std::int32_t Tscale1 = 50;
    std::int32_t Tscale2 = 400;
    bool TscaleInverse = false;
    // The planned scan: first and last temperature (K) and the number of points.
    std::int32_t ScanTstart = 300;
    std::int32_t ScanTstop = 80;
    std::int32_t ScanNpoints = 0;  // 0: nothing planned yet
    bool ScanInverse = false;
    bool ReturnRoomTemp = false;
    bool AutoSetIm = false;
    // Not kept in a settings set: the scan set-up's "Resistivity Only".
    bool ResOnly = false;
};

// A point count the scan store can take: 0 (nothing planned) or 3 to 100.
// Fewer than three would divide by zero when the temperatures are planned.
inline bool UsablePointCount(std::int64_t n) {
    return n == 0 || (n >= 3 && n <= ScanSettings::kMaxPoints);
}
