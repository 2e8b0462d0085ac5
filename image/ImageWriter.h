// The in-memory 24-bit RGB raster the barcode is drawn into, with its text
// renderer. Abstract: a concrete writer encodes the raster into a file.
#pragma once

#include "common/Geometry.h"
#include "image/GlyphPlacement.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>
struct FT_Bitmap_;
struct FT_GlyphRec_;

namespace kavren::detail {


class CImageWriter {
  public:
    // Text drawing into the raster of its writer, from a font file or the
    // embedded font.
    class CFreeTypeLib {
      public:
        CFreeTypeLib(CImageWriter* writer, const char* fontPath, int horizontalDpi, int verticalDpi);
        virtual ~CFreeTypeLib();
        CFreeTypeLib(const CFreeTypeLib&) = delete;
        CFreeTypeLib& operator=(const CFreeTypeLib&) = delete;

        // 0 on success, 1 without a writer, else the FreeType error. Starting
        // an already started renderer keeps the loaded face and returns 0.
        int Init();
        // Height of the text band: the font height plus the descent of 'j'
        // above and below; 1.5 x fontHeight when the font cannot tell.
        std::int32_t MeasureTextHeight(int fontHeight);
        // mode: 0 start, 1 end, 2 centre, 3 spread over span. (x, y) is the
        // start of the descender line; angle in radians, counter-clockwise.
        // Bytes 128..255 are Latin-1. False when a glyph that shows in the
        // raster cannot be rendered (FailedFontHeight tells the height);
        // draws nothing before Init.
        bool DrawString(const char* text, int fontHeight, int mode, int x, int y, int span, double angle,
                        Colour colour);
        // The first count bytes of text (fewer when the text ends before).
        bool DrawStringN(const char* text, int count, int fontHeight, int mode, int x, int y, int span,
                         double angle, Colour colour);
        // Blends an 8-bit coverage bitmap with its top-left pixel at (x, y);
        // pixels outside the raster are dropped.
        void BlendGlyph(const FT_Bitmap_& bitmap, int x, int y, Colour colour);
        // One channel of a pixel under ink at coverage 0..255: between the two
        // values, under at 0, ink at 255.
        static std::uint8_t BlendChannel(std::uint8_t under, std::uint8_t ink, unsigned coverage);
        // The font height of the first glyph that could not be rendered; 0: none.
        int FailedFontHeight() const { return m_FailedFontHeight; }
        // Whether a glyph drawn had ink outside the raster: a text cut.
        bool InkCut() const { return m_InkCut; }

      private:
        void DrawIndexed(const FT_Bitmap_& bitmap, int x, int y, std::uint8_t index);
        static void CompositeOver(std::uint8_t* pixel, const std::uint8_t ink[3], unsigned coverage);
        bool DrawBytes(const unsigned char* text, std::size_t length, int fontHeight, int mode, int x, int y,
                       int span, double angle, Colour colour);
        bool Overlaps(FT_GlyphRec_* glyph, std::int64_t x, std::int64_t y) const;
        bool InkOutside(const FT_Bitmap_& bitmap, int x, int y) const;

        CImageWriter* m_Writer;
        const char* m_FontPath;
        std::int32_t m_HorizontalDpi;
        std::int32_t m_VerticalDpi;
        CFontFace m_Font;
        int m_FailedFontHeight = 0;
        bool m_InkCut = false;
    };

    // Largest raster Init accepts, and the largest width or height (libpng's
    // default limit for a PNG it writes).
    static constexpr std::int64_t kMaxRasterBytes = std::int64_t{1} << 30;
    static constexpr std::int32_t kMaxDimension = 1000000;

    CImageWriter(int width, int height, Colour background, const char* fontPath, int horizontalDpi,
                 int verticalDpi);
    virtual ~CImageWriter();
    CImageWriter(const CImageWriter&) = delete;
    CImageWriter& operator=(const CImageWriter&) = delete;

    // With alpha, the next Init makes an RGBA raster (4 bytes per pixel) that
    // starts transparent: the background colour with alpha 0. Bars and pixels
    // set are opaque, and text carries its anti-aliasing in alpha. Without
    // (the default), the raster is RGB and starts white.
    void SetAlpha(bool alpha)
    {
        m_Alpha = alpha;
        UpdateChannels();
    }
    bool HasAlpha() const { return m_Alpha; }
    // Indexed, the next Init makes a raster of one palette index per pixel
    // that starts as the background colour (entry 0, transparent with alpha),
    // and text is drawn without anti-aliasing, hinted for the pixel grid. Each
    // colour drawn takes the next entry (an opaque one, with alpha), up to
    // kMaxPaletteSize; further colours draw as the last entry.
    void SetIndexed(bool indexed)
    {
        m_Indexed = indexed;
        UpdateChannels();
    }
    bool IsIndexed() const { return m_Indexed; }
    std::int32_t GetChannels() const { return m_Channels; }
    static constexpr std::size_t kMaxPaletteSize = 256;
    // The colours of an indexed raster's entries, in the order they were first
    // drawn after the background; empty for RGB and RGBA.
    const Colour* GetPalette() const { return m_Palette.data(); }
    std::size_t GetPaletteSize() const { return m_PaletteSize; }

    // Allocates the raster (all white, or transparent with alpha) and starts the text renderer. False when
    // a side is below 1 or above kMaxDimension, the raster would exceed
    // kMaxRasterBytes or cannot be allocated, or the font fails.
    bool Init();
    // Encodes the raster into an open file; false when writing failed.
    virtual bool WriteTo(FILE* file) = 0;

    // Pixel access; writes outside the raster (or before Init) are dropped and
    // reads there give 0. A pixel set is opaque; an RGB raster reads alpha 255.
    void SetPixel(int x, int y, Colour colour);
    std::uint8_t GetRed(int x, int y) const;
    std::uint8_t GetGreen(int x, int y) const;
    std::uint8_t GetBlue(int x, int y) const;
    std::uint8_t GetAlpha(int x, int y) const;
    // Fills (opaquely) the part of the rectangle that lies inside the raster.
    void FillRect(int x, int y, int width, int height, Colour colour);
    // Pixel columns [left, right) of a band of rows.
    struct ColumnSpan {
        std::int64_t left = 0;
        std::int64_t right = 0;
    };
    // The same pixels as one FillRect per column over rows top..bottom-1:
    // the first row is filled, and copied to every later row that held what
    // the first row held across the columns' extent; other rows are filled
    // column by column. Bars of a barcode span the same rows, so most rows
    // are one copy instead of a fill per bar.
    void FillColumns(std::int64_t top, std::int64_t bottom, std::span<const ColumnSpan> columns, Colour colour);

    Colour GetBackground() const { return m_Background; }
    std::int32_t GetWidth() const { return m_Width; }
    std::int32_t GetHeight() const { return m_Height; }
    // Row y as R, G, B (and A with alpha) bytes per pixel, or one palette
    // index per pixel when indexed; null outside the raster or before Init.
    const std::uint8_t* GetRow(int y) const;

    std::int32_t MeasureTextHeight(int fontHeight);
    // A text drawn without one of its glyphs: the image is not the one asked for.
    int FailedFontHeight() const { return m_TextRenderer.FailedFontHeight(); }
    // A text drawn in part: some of its ink fell outside the image.
    bool TextCut() const { return m_TextRenderer.InkCut(); }
    bool DrawString(const char* text, int fontHeight, int mode, int x, int y, int span, double angle,
                    Colour colour);
    bool DrawStringN(const char* text, int count, int fontHeight, int mode, int x, int y, int span,
                     double angle, Colour colour);

  protected:
    bool Contains(int x, int y) const;
    std::uint8_t ByteAt(int x, int y, int channel) const;
    // The palette entry drawing the colour, added when new.
    std::uint8_t IndexOf(Colour colour);
    void UpdateChannels() { m_Channels = m_Indexed ? 1 : m_Alpha ? 4 : 3; }

    std::int32_t m_Width;
    std::int32_t m_Height;
    std::int32_t m_BitDepth = 8;
    std::int32_t m_Channels = 3; // 3 RGB, 4 RGBA, 1 palette index
    bool m_Alpha = false;
    bool m_Indexed = false;
    std::array<Colour, kMaxPaletteSize> m_Palette{};
    std::size_t m_PaletteSize = 0;
    Colour m_Background;
    std::unique_ptr<std::uint8_t*[]> m_Rows; // row table; rows point into m_Pixels
    std::unique_ptr<std::uint8_t[]> m_Pixels;
    std::vector<std::uint8_t> m_FirstRowBefore; // FillColumns' copy of the first row's extent
    CFreeTypeLib m_TextRenderer;
};

} // namespace kavren::detail
