// What the vector renderers (SVG, EPS) share: their options, the bars merged
// into runs and mapped to image coordinates, the text as glyph outlines placed
// exactly where the raster text puts its glyphs, and number formatting.
#pragma once

#include "common/Shapes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
struct FT_Outline_;

namespace kavren::detail {

class CFontFace;

struct VectorOptions {
    // Layout units per inch: at 96 a unit is one CSS pixel (1/96 inch). The
    // font height of a text run is in points at this resolution too.
    std::int32_t dpi = 96;
    // The unit the SVG states its width and height in: millimetres give mm,
    // inches and mils give in; pixels give plain (pixel) numbers at 96 dpi and
    // inches at any other resolution.
    SizeUnit unit = SizeUnit::Pixels;
    const char* fontPath = nullptr; // a TrueType file; null: the embedded font
    // The face already open for the layout, when there is one: the outlines
    // come from it rather than from opening fontPath again.
    const CFontFace* face = nullptr;
    // The document's title (bytes, 128..255 Latin-1); empty: the text runs joined.
    std::string title;
};

// A rectangle in image coordinates (x right, y down).
struct ImageBox {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// The frame in the image: length x thickness at 0 and 180 degrees, thickness
// x length at 90 and 270, with its top-left corner at the area's.
ImageBox FrameBox(const Layout& layout);

// The layout's bars in image coordinates, clipped to the frame, with
// touching or overlapping bars of the same band merged into one box.
std::vector<ImageBox> MergedBars(const Layout& layout);

// One step of an outline path in image coordinates. A conic has one control
// point and its end point; a cubic two control points and its end point.
struct PathStep {
    enum class Kind { Move, Line, Conic, Cubic, Close };
    Kind kind = Kind::Move;
    ImagePoint points[3];
};

// The outlines of all text runs, each contour closed; glyphs land where the
// raster text renderer draws them for the same layout. False when the font
// cannot be opened (only tried when there is text).
bool TextOutlines(const Layout& layout, const VectorOptions& options, std::vector<PathStep>& path);

// One drawn glyph of the text runs, as GlyphOutlines hands it over while its
// outline is loaded: where the outline's first point lands in image
// coordinates, the outline's steps from that point at (0, 0), and its key:
// the outline's own data with the points taken from the first, equal exactly
// when the steps are, for the same glyph at any sub-pixel position.
class CGlyphOutline {
  public:
    CGlyphOutline(const FT_Outline_& outline, ImagePoint origin);

    ImagePoint Anchor() const { return m_Anchor; }
    const std::string& Key() const { return m_Key; }
    // The loaded outline itself: the same one while the font keeps the glyph.
    const void* Source() const { return &m_Outline; }
    std::vector<PathStep> Steps() const;

  private:
    const FT_Outline_& m_Outline;
    ImagePoint m_Anchor;
    std::string m_Key;
};

// Hands over the glyphs of all text runs in drawing order; anchor plus steps
// is where TextOutlines puts the glyph. False when the font cannot be opened
// (only tried when there is text).
using GlyphOutlineSink = std::function<void(const CGlyphOutline& glyph)>;
bool GlyphOutlines(const Layout& layout, const VectorOptions& options, const GlyphOutlineSink& sink);

// The title: options.title, else the texts of the runs joined.
std::string DocumentTitle(const Layout& layout, const VectorOptions& options);

// A coordinate with at most six decimals, trailing zeros dropped ("12", "0.5",
// "-3.015625"), in any locale: written at `at`, which has kNumberRoom bytes of
// room (the end is returned), appended to `out`, or as a string of its own.
constexpr std::size_t kNumberRoom = 330; // "-", 309 digits of DBL_MAX, "." and six decimals
char* PutNumber(char* at, double value);
void AppendNumber(std::string& out, double value);
std::string FormatNumber(double value);

} // namespace kavren::detail
