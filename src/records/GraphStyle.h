#pragma once
// The graph style set: the graph font, four colours and the four marker
// records. Shared by every graph window and by graph printing.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One marker record, stored as four little-endian 32-bit integers (16 bytes)
// in this order. Colours are 0x00BBGGRR.
struct PointStyle {
    static constexpr std::size_t kBytes = 16;

    std::int32_t shape = 0;  // 1 to 8; anything else draws nothing
    std::int32_t size = 0;   // half-width of the marker in pixels, 1 to 8
    std::uint32_t lineColor = 0;
    std::uint32_t fillColor = 0;

    static constexpr std::int32_t kShapes = 8, kLargest = 8;
    // Shape and size each 1 to 8: a marker a graph can draw.
    bool Drawable() const {
        return shape >= 1 && shape <= kShapes && size >= 1 && size <= kLargest;
    }

    std::vector<std::uint8_t> Pack() const;
    // False (and the record untouched) unless exactly 16 bytes are given.
    bool Unpack(const std::vector<std::uint8_t>& bytes);
    bool operator==(const PointStyle&) const = default;
};

struct GraphStyle {
    static constexpr std::size_t kFontNameSize = 32;  // terminator included

    // Like a logical font's height: negative gives the character height in
    // pixels, positive the cell height.
    std::int32_t FontHeight = 0;
    // Heights and weights a page can hold; a stored value outside them
    // counts as missing, like any other settings value out of its range.
    static constexpr std::int32_t kFontHeightLimit = 200;  // pixels, either sign
    static constexpr std::int32_t kFontWeightLimit = 1000;
    bool FontItalic = false;
    std::int32_t FontWeight = 0;
    std::string FontName;
    std::uint32_t FrameColor = 0;
    std::uint32_t SetColor = 0;
    std::uint32_t MeasColor = 0;
    std::uint32_t RubberColor = 0;
    PointStyle N;   // n-type points, left plot
    PointStyle P;   // p-type points, left plot
    PointStyle UN;  // n-type points, right plot
    PointStyle UP;  // p-type points, right plot

    bool operator==(const GraphStyle&) const = default;
};
