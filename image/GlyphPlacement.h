// Where the glyphs of a text land: the one placement that the raster text and
// the vector outlines share, so both put every glyph at the same pen position
// (kerning, alignment or spreading in a span, the descender-line offset and the
// rotation included).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
struct FT_FaceRec_;
struct FT_GlyphRec_;

namespace kavren::detail {


// A FreeType face to draw text with, from a font file or the embedded font.
// The embedded font is opened once per thread and kept, with the sizes it was
// measured at and the glyphs it loaded, for every later render on that thread:
// starting FreeType, opening the face and running the font's hinting programs
// for a size cost more than drawing a short text. A font file is opened for
// each CFontFace alone and read afresh, so a file changed between renders is
// seen. Loading is deterministic, so a kept glyph is the one a fresh face would
// load; two CFontFaces of one thread may share the state, one after the other.
class CFontFace {
  public:
    struct CState;

    CFontFace();
    ~CFontFace();
    CFontFace(const CFontFace&) = delete;
    CFontFace& operator=(const CFontFace&) = delete;

    // 0 on success, else the FreeType error. fontPath null: the embedded font.
    // Opening an open face keeps it and returns 0.
    int Open(const char* fontPath);
    FT_FaceRec_* Get() const;
    CState* State() const { return m_State; }

  private:
    std::unique_ptr<CState> m_Own; // a font file's
    CState* m_State = nullptr;     // m_Own's, or this thread's embedded font's
};

// Height of the text band: the font height plus the descent of 'j' above and
// below; 1.5 x fontHeight when the face cannot tell. fontHeight is in points at
// the given resolution, and its share of the band is fontHeight pixels at
// 96 dpi, scaled with the resolution. Leaves that character size set on the face.
std::int32_t MeasureTextBand(const CFontFace& face, int fontHeight, int horizontalDpi, int verticalDpi);

// One glyph, loaded scaled and rotated with the sub-pixel part of its pen
// position already applied, and the whole-pixel position of its origin in
// image coordinates (x right, y down; the glyph's own y grows upward). The
// glyph belongs to the face: the sink reads it, and converts a copy if at all
// (FT_Glyph_To_Bitmap without destroying the source).
using GlyphSink = std::function<void(FT_GlyphRec_* glyph, std::int64_t originX, std::int64_t originY)>;

// How the glyphs are loaded: for anti-aliased rendering; as outlines only
// (embedded bitmap strikes skipped), for callers that need the outline; or
// hinted for rendering at one bit per pixel (FT_LOAD_TARGET_MONO), whose
// hinting snaps stems and edges to the pixel grid.
enum class EGlyphLoad { kSmooth, kOutline, kMono };

// Places the bytes of text (128..255 Latin-1) as the text renderer draws them:
// mode 0 starts at (x, y), the start of the descender line; 1 ends at x + span,
// 2 centres in the span, 3 spreads the glyphs over it (a span of 0 starts
// there); angle in radians, counter-clockwise. False when a glyph (or the
// size) could not be loaded and was left out.
bool PlaceGlyphs(const CFontFace& face, int horizontalDpi, int verticalDpi, const unsigned char* text,
                 std::size_t length, int fontHeight, int mode, int x, int y, int span, double angle,
                 EGlyphLoad load, const GlyphSink& sink);

// The bitmap of a glyph that PlaceGlyphs handed to its sink, rendered in the
// mode given (FT_Render_Mode: FT_RENDER_MODE_MONO for EGlyphLoad::kMono, else
// FT_RENDER_MODE_NORMAL; always the same one for glyphs of one load) and kept
// by the face with the glyph, so that a glyph drawn again is not rendered
// again: valid as long as the glyph. A bitmap glyph is its own bitmap. Null
// when rendering fails.
FT_GlyphRec_* RenderedGlyph(const CFontFace& face, FT_GlyphRec_* glyph, int renderMode);

} // namespace kavren::detail
