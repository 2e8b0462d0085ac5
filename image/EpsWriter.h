// A layout as Encapsulated PostScript (EPSF 3.0): the bounding box is the
// layout's frame at its resolution (units x 72 / dpi points), the bars
// are filled rectangles and the text is filled glyph outlines.
#pragma once

#include "common/Shapes.h"
#include "image/VectorShapes.h"

#include <string>

namespace kavren::detail {

// Writes the document into `document` (replacing its contents). False, with
// `document` empty, when the font cannot be opened.
bool WriteEps(const Layout& layout, const VectorOptions& options, std::string& document);

// Text as a PostScript string literal with its parentheses: printable ASCII
// as is (backslash and parentheses escaped), every other byte in octal.
std::string PostScriptString(const std::string& text);

} // namespace kavren::detail
