#include "scan/GraphLook.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16);
}
}  // namespace

GraphStyle DefaultGraphStyle() {
    GraphStyle s;
    s.FontName = "Arial";
    s.FontHeight = -13;
    s.FontWeight = 400;
    s.FontItalic = false;
    s.FrameColor = Rgb(224, 228, 236);
    s.SetColor = Rgb(0, 128, 0);
    s.MeasColor = Rgb(255, 0, 255);
    s.RubberColor = Rgb(0, 0, 255);
    s.N = {5, 3, Rgb(0, 0, 128), Rgb(0, 0, 255)};
    s.P = {4, 3, Rgb(128, 0, 0), Rgb(255, 0, 0)};
    s.UN = {6, 3, Rgb(0, 128, 128), Rgb(0, 255, 255)};
    s.UP = {8, 3, Rgb(128, 0, 128), Rgb(255, 0, 255)};
    return s;
}

QFont GraphFont(const GraphStyle& style) {
    QFont font(style.FontName.empty() ? QString("Arial") : QString::fromStdString(style.FontName));
    // A negative height is the character height, a positive one the cell's;
    // either is taken as pixels, held to what a graph can lay out.
    int pixels = std::abs(style.FontHeight);
    if (pixels == 0) pixels = 13;
    font.setPixelSize(std::clamp(pixels, 4, 200));
    const int weight = style.FontWeight <= 0 ? 400 : std::clamp(style.FontWeight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(style.FontItalic);
    return font;
}

void TakeGraphFont(GraphStyle& style, const QFont& font) {
    style.FontName = font.family().toStdString().substr(0, GraphStyle::kFontNameSize - 1);
    // The font dialog offers sizes of 6 to 20 points; one chosen outside them
    // (typed into its size box) is held to the nearer end.
    constexpr double kPixelsPerPoint = 96.0 / 72.0;
    const double points =
        font.pixelSize() > 0 ? font.pixelSize() / kPixelsPerPoint : font.pointSizeF();
    const int pixels = static_cast<int>(
        std::lround((points > 0 ? std::clamp(points, 6.0, 20.0) : 6.0) * kPixelsPerPoint));
    style.FontHeight = -pixels;
    style.FontWeight = static_cast<int>(font.weight());
    style.FontItalic = font.italic();
}
