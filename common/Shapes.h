// The shapes of one drawn barcode: what the layout engine computes once and
// every renderer (raster and PNG, SVG, EPS) draws. Coordinates are in the
// symbol's own, unrotated frame: `along` runs in the reading direction from the
// drawing area's start edge, `across` runs across it from the edge the bars
// grow from (the top at 0 degrees). Renderers map the frame to the image in
// one place, ToImage below; nothing else knows about orientation.
#pragma once

#include "common/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavren::detail {

// One filled rectangle of the bar colour (a bar, a guard bar, a postal bar, a
// bearer bar). In a Pixels layout every value is a whole number of pixels.
struct BarBox {
    double along = 0.0;  // start in the reading direction
    double across = 0.0; // start across it
    double length = 0.0; // extent in the reading direction (a bar's width)
    double height = 0.0; // extent across it (a bar's height)
};

// One run of human-readable text, drawn as the raster text renderer draws it:
// the pen starts at (along, across) on the text's descender line and advances
// in the reading direction; mode 0 starts there, 1 ends at along + span,
// 2 centres in the span, 3 spreads the glyphs over the span.
struct TextRun {
    std::string text; // bytes; 128..255 are Latin-1
    double along = 0.0;
    double across = 0.0;
    double span = 0.0;
    std::int32_t mode = 0;
    std::int32_t fontHeight = 14; // points at the layout's resolution
};

// Everything one image shows. The frame is the drawing area: `length` along
// the reading direction, `thickness` across it; bars never leave it. In the
// image the frame is length x thickness at 0 and 180 degrees and thickness x
// length at 90 and 270, with its top-left corner at the area's.
struct Layout {
    Rect area;                    // the drawing area in image pixels; all 0 in a layout of exact lengths
    std::int32_t orientation = 0; // 0, 90, 180 or 270 degrees, counter-clockwise
    double length = 0.0;          // the frame's extent along the reading direction
    double thickness = 0.0;       // and across it
    bool paintBackground = true;  // false: the background is left as the image has it
    Colour background = 0xffffff;
    Colour barColour = 0;
    Colour textColour = 0;
    std::vector<BarBox> bars;
    std::vector<TextRun> texts;
};

struct ImagePoint {
    double x = 0.0;
    double y = 0.0;
};

// The frame point (along, across) in image coordinates, with W and H the
// frame's width and height in the image (see Layout): at 0 degrees
// (left + along, top + across), at 90 (left + across, top + H - along), at 180
// (left + W - along, top + H - across), at 270 (left + W - across, top + along).
// Any other orientation is laid out like 0.
ImagePoint ToImage(const Layout& layout, double along, double across);

// The angle text is drawn at, in radians counter-clockwise; 0 for an unknown
// orientation. Pi is taken as 3.1415926 so rotated text lands on the same
// pixels everywhere.
double TextAngle(std::int32_t orientation);

} // namespace kavren::detail
