// The limits an SVG or EPS keeps: those of the PNG for the same image (each
// side at most CImageWriter::kMaxDimension pixels at the resolution, every
// size a finite number), and a document of at most kMaxVectorDocument bytes
// (32 MiB: twice a 1,000,000-pixel symbol of 1-pixel bars, which is far past any a reader can scan).
// A layout past them is never written out.
#pragma once

#include "common/Shapes.h"

#include <cstddef>

namespace kavren::detail {

inline constexpr std::size_t kMaxVectorDocument = std::size_t{32} << 20;

// Whether the layout's frame is within the side limit and its bars and text
// are few enough for a document within the size limit. Cheap for every
// layout a label has: the bars are merged and counted only when there are
// enough of them to matter.
bool VectorLayoutFits(const Layout& layout);

} // namespace kavren::detail
