// A layout as a standalone SVG 1.1 document: the background rectangle, the
// bars as one crisp-edged path of merged runs, the text as glyph outlines from
// the same font the raster uses, so it looks the same in every viewer and
// needs no installed font.
#pragma once

#include "common/Shapes.h"
#include "image/VectorShapes.h"

#include <string>

namespace kavren::detail {

// Writes the document into `document` (replacing its contents). The viewBox
// is the layout's frame in layout units, so at 96 dpi a layout unit is one pixel
// of the raster. False, with `document` empty, when the font cannot be opened.
bool WriteSvg(const Layout& layout, const VectorOptions& options, std::string& document);

// Text as XML character data or attribute value: markup characters escaped,
// control characters left out, bytes 128..255 as their Latin-1 characters in UTF-8.
std::string EscapeXml(const std::string& text);

} // namespace kavren::detail
