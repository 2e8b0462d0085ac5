// Draws a layout into the raster of an image writer: the background, every bar
// as a filled rectangle and every text run through the writer's text renderer.
#pragma once

#include "common/Shapes.h"

namespace kavren::detail {

class CImageWriter;

// Paints the layout's area with its background (unless the layout keeps the
// background, or the colour is the writer's own), then the bars, then the
// texts in order. Positions are rounded to whole pixels; bars are clipped to
// the area and the raster.
void DrawLayout(CImageWriter& writer, const Layout& layout);

} // namespace kavren::detail
