#include "image/VectorLimits.h"

#include "image/ImageWriter.h"
#include "image/VectorShapes.h"

#include <cmath>
#include <string>

namespace kavren::detail {
namespace {

// The fewest bytes either format spends on one merged bar ("0 0 1 1 r\n" in
// EPS; "M0 0H1V1H0Z" in SVG) and on one glyph other than a space (a single
// closed contour of four straight lines).
constexpr std::size_t kLeastBarBytes = 10;
constexpr std::size_t kLeastGlyphBytes = 16;

// The characters a coordinate is written in, as both formats write it.
std::size_t Written(double value)
{
    return FormatNumber(value).size();
}

// The fewest bytes either format writes the merged bars in: per bar its two
// edges along the reading direction, two more numbers of a digit at least,
// and the letters and spaces around them.
std::size_t LeastBarBytes(const Layout& layout)
{
    std::size_t bytes = 0;
    const bool upright = layout.orientation == 90 || layout.orientation == 270;
    for (const ImageBox& bar : MergedBars(layout))
        bytes += kLeastBarBytes - 4 +
                 (upright ? Written(bar.top) + Written(bar.bottom) : Written(bar.left) + Written(bar.right));
    return bytes;
}

bool SideFits(double side)
{
    return std::isfinite(side) && side >= 0.0 && side <= CImageWriter::kMaxDimension;
}

} // namespace

bool VectorLayoutFits(const Layout& layout)
{
    const ImageBox frame = FrameBox(layout);
    if (!SideFits(frame.right - frame.left) || !SideFits(frame.bottom - frame.top))
        return false;
    std::size_t glyphs = 0;
    for (const TextRun& run : layout.texts)
        for (const char c : run.text)
            glyphs += c != ' ' ? 1 : 0;
    const std::size_t budget = kMaxVectorDocument;
    if (glyphs > budget / kLeastGlyphBytes)
        return false;
    // Only a layout of many bars can come near the limit (a label has a few
    // hundred): the bars are merged and measured only then.
    const std::size_t left = budget - glyphs * kLeastGlyphBytes;
    return layout.bars.size() <= left / 64 || LeastBarBytes(layout) <= left;
}

} // namespace kavren::detail
