#pragma once
// The style set as Qt sees it: the graph font and the built-in style that a
// registry without a style set starts from.
#include <QFont>

#include "records/GraphStyle.h"

// Shapes 1 to 4 for n-type and p-type, filled markers on the right plot, a
// light frame and a 13-pixel sans-serif font: every marker is drawn even
// before any style set was saved.
GraphStyle DefaultGraphStyle();
// The style set's font; a height of 0 takes 13 pixels.
QFont GraphFont(const GraphStyle& style);
// Takes a font into the style set (face, pixel height as a negative height,
// weight, italic); its size is held to 6 to 20 points.
void TakeGraphFont(GraphStyle& style, const QFont& font);
