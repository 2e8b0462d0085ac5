#include "image/EmbeddedFont.h"
#include "tests/image_support.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

constexpr double kPi = 3.1415926; // as the drawing engine passes angles

// Extent of the drawn pixels along the reading direction (u, from the start
// point) and across it (v, upward from the descender line), measured at pixel
// centres, whatever the rotation.
struct Extent {
    double uMin = 1e9, uMax = -1e9, vMin = 1e9, vMax = -1e9;
};

Extent TextExtent(const CImageWriter& w, int x0, int y0, int degrees)
{
    const double c = std::round(std::cos(degrees * kPi / 180));
    const double s = std::round(std::sin(degrees * kPi / 180));
    Extent e;
    for (int y = 0; y < w.GetHeight(); ++y)
        for (int x = 0; x < w.GetWidth(); ++x)
            if (kt::PixelAt(w, x, y) != 0xffffff) {
                const double dx = x + 0.5 - x0, dy = y + 0.5 - y0;
                const double u = dx * c - dy * s, v = -dx * s - dy * c;
                e.uMin = std::min(e.uMin, u), e.uMax = std::max(e.uMax, u);
                e.vMin = std::min(e.vMin, v), e.vMax = std::max(e.vMax, v);
            }
    return e;
}

std::unique_ptr<CMyPngWriter> Drawn(const char* text, int mode, int span, int degrees, int size = 300)
{
    auto w = kt::StartedWriter(size, size);
    EXPECT_TRUE(w->DrawString(text, 14, mode, size / 2, size / 2, span, degrees * kPi / 180, 0));
    return w;
}

// Descent of 'j' in whole pixels, straight from FreeType.
int DescentOfJ(int fontHeight)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int descent = -1;
    if (FT_Init_FreeType(&library) == 0 &&
        FT_New_Memory_Face(library, g_EmbeddedFont, static_cast<FT_Long>(g_EmbeddedFontSize), 0, &face) ==
            0 &&
        FT_Set_Char_Size(face, 0, fontHeight * 64, 96, 96) == 0 &&
        FT_Load_Glyph(face, FT_Get_Char_Index(face, 'j'), FT_LOAD_DEFAULT) == 0)
        descent = static_cast<int>((face->glyph->metrics.height - face->glyph->metrics.horiBearingY) / 64);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return descent;
}

TEST(ImageText, BandIsFontHeightPlusDescentOfJBothWays)
{
    auto w = kt::StartedWriter(10, 10);
    for (int fontHeight : {6, 14, 31, 72}) {
        const int descent = DescentOfJ(fontHeight);
        EXPECT_GT(descent, 0);
        EXPECT_EQ(w->MeasureTextHeight(fontHeight), fontHeight + 2 * descent) << fontHeight;
    }
    CMyPngWriter idle(10, 10, nullptr, 96, 96, 0xffffff, -2); // no font yet: 1.5 x height
    EXPECT_EQ(idle.MeasureTextHeight(14), 21);
    EXPECT_EQ(idle.MeasureTextHeight(7), 10);
    EXPECT_TRUE(idle.DrawString("x", 14, 0, 5, 5, 0, 0, 0));
}

// (x, y) starts the descender line; the modes place the text in the span the
// same way at every rotation.
TEST(ImageText, PlacementAlongAndAcrossTheReadingDirection)
{
    const int span = 120;
    const double band = 14 + 2 * DescentOfJ(14);
    for (int degrees : {0, 90, 180, 270}) {
        const Extent start = TextExtent(*Drawn("Hjg 0123", 0, span, degrees), 150, 150, degrees);
        const Extent end = TextExtent(*Drawn("Hjg 0123", 1, span, degrees), 150, 150, degrees);
        const Extent centre = TextExtent(*Drawn("Hjg 0123", 2, span, degrees), 150, 150, degrees);
        const Extent spread = TextExtent(*Drawn("Hjg 0123", 3, span, degrees), 150, 150, degrees);
        SCOPED_TRACE(degrees);
        EXPECT_GE(start.uMin, 0);
        EXPECT_LE(start.uMin, 3);
        EXPECT_LT(start.uMax, span - 20); // the natural width leaves room to align
        EXPECT_GE(end.uMax, span - 3);
        EXPECT_LE(end.uMax, span);
        EXPECT_NEAR((centre.uMin + centre.uMax) / 2, span / 2.0, 3);
        EXPECT_LE(spread.uMin, 3);
        EXPECT_GE(spread.uMax, span - 3);
        EXPECT_LE(spread.uMax, span);
        EXPECT_NEAR(end.uMax - end.uMin, start.uMax - start.uMin, 1);
        EXPECT_NEAR(centre.uMax - centre.uMin, start.uMax - start.uMin, 1);
        for (const Extent& e : {start, end, centre, spread}) {
            EXPECT_GE(e.vMin, 0);
            EXPECT_LE(e.vMin, 1.5); // descender of j, g reaches the line
            EXPECT_GE(e.vMax, 14 * 0.9);
            EXPECT_LE(e.vMax, band);
        }
    }
}

TEST(ImageText, WithoutDescendersTheBaselineSitsDescentAboveY)
{
    const Extent e = TextExtent(*Drawn("HHH", 0, 0, 0), 150, 150, 0);
    EXPECT_NEAR(e.vMin, DescentOfJ(14) + 0.5, 1);
}

TEST(ImageText, DegenerateSpansDrawStartAligned)
{
    const auto start = Drawn("Hjg 0123", 0, 0, 0);
    EXPECT_TRUE(kt::SamePixels(*start, *Drawn("Hjg 0123", 1, 0, 0)));
    EXPECT_TRUE(kt::SamePixels(*start, *Drawn("Hjg 0123", 2, 0, 0)));
    EXPECT_TRUE(kt::SamePixels(*start, *Drawn("Hjg 0123", 3, 0, 0)));
    EXPECT_TRUE(kt::SamePixels(*Drawn("W", 0, 0, 90), *Drawn("W", 3, 100, 90)));
}

TEST(ImageText, TooNarrowASpanMovesOrPacksTheText)
{
    const Extent natural = TextExtent(*Drawn("Hjg 0123", 0, 0, 0), 150, 150, 0);
    EXPECT_LT(TextExtent(*Drawn("Hjg 0123", 1, 30, 0), 150, 150, 0).uMin, -30);
    EXPECT_LT(TextExtent(*Drawn("Hjg 0123", 2, 30, 0), 150, 150, 0).uMin, -15);
    EXPECT_LT(TextExtent(*Drawn("Hjg 0123", 3, 40, 0), 150, 150, 0).uMax, natural.uMax - 20);
}

TEST(ImageText, KerningPullsPairsTogether)
{
    // A, V and X share one advance width; only the A-V kerning differs.
    const Extent av = TextExtent(*Drawn("AVAVAVAVAV", 0, 0, 0), 150, 150, 0);
    const Extent ax = TextExtent(*Drawn("AXAXAXAXAX", 0, 0, 0), 150, 150, 0);
    EXPECT_LT(av.uMax - av.uMin, ax.uMax - ax.uMin - 5);
}

TEST(ImageText, EmptyAndCountedTexts)
{
    EXPECT_TRUE(kt::InkBox(*Drawn("", 2, 100, 0)).Empty());
    auto w = kt::StartedWriter(300, 300);
    EXPECT_TRUE(w->DrawString(nullptr, 14, 0, 150, 150, 0, 0, 0));
    EXPECT_TRUE(w->DrawStringN("ABC", 0, 14, 0, 150, 150, 0, 0, 0));
    EXPECT_TRUE(w->DrawStringN("ABC", -4, 14, 0, 150, 150, 0, 0, 0));
    EXPECT_TRUE(kt::InkBox(*w).Empty());

    const auto abc = Drawn("ABC", 2, 80, 90);
    const struct {
        const char* text;
        int count;
    } counted[] = {{"ABCDEF", 3}, {"ABC", 3}, {"ABC", 1000} /* stops at the terminator */};
    for (const auto& c : counted) {
        auto n = kt::StartedWriter(300, 300);
        n->DrawStringN(c.text, c.count, 14, 2, 150, 150, 80, 90 * kPi / 180, 0);
        EXPECT_TRUE(kt::SamePixels(*abc, *n)) << c.text << ' ' << c.count;
    }
}

TEST(ImageText, Latin1BytesDrawTheirOwnGlyphs)
{
    const auto accented = Drawn("\xe9", 0, 0, 0); // e acute
    EXPECT_FALSE(kt::InkBox(*accented).Empty());
    EXPECT_FALSE(kt::SamePixels(*accented, *Drawn("e", 0, 0, 0)));
    EXPECT_LT(kt::InkBox(*accented).top, kt::InkBox(*Drawn("e", 0, 0, 0)).top); // the accent
}

TEST(ImageText, FarPositionsDrawOrClipWithoutHarm)
{
    auto wide = kt::StartedWriter(40000, 30); // beyond FreeType's 16-bit bitmap positions
    wide->DrawString("1234", 14, 1, 0, 25, 39990, 0, 0);
    const kt::Box box = kt::InkBox(*wide);
    EXPECT_GT(box.left, 39930);
    EXPECT_LE(box.right, 39990);

    auto w = kt::StartedWriter(50, 50);
    const int far[][3] = {{INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, INT_MIN, INT_MAX}, {0, 0, INT_MIN}};
    for (const auto& p : far)
        for (int mode : {0, 1, 2, 3})
            EXPECT_TRUE(w->DrawString("Wjg", 14, mode, p[0], p[1], p[2], 1.0, 0));
    w->DrawString("Wjg", 14, 0, -5, 5, 0, 0, 0); // partly outside the top-left corner
    EXPECT_EQ(kt::InkBox(*w).left, 0);
    EXPECT_EQ(kt::InkBox(*w).top, 0);
}

struct BlendCase {
    Colour old, colour;
    unsigned char coverage;
    Colour expected;
    const char* why;
};

TEST(ImageText, BlendMixesInvertedValuesAndTruncates)
{
    const BlendCase cases[] = {
        {0xffffff, 0x000000, 255, 0x000000, "full coverage: the text colour"},
        {0x123456, 0xabcdef, 255, 0xabcdef, "full coverage over any colour"},
        {0x123456, 0x000000, 0, 0x123456, "no coverage: untouched"},
        {0xffffff, 0x000000, 128, 0x7f7f7f, "255 - trunc(255 x 128/255)"},
        {0xffffff, 0x000000, 1, 0xfefefe, "faint coverage already darkens"},
        {0x000040, 0x0000c0, 128, 0x000081, "red: 255 - trunc(191 x 127/255 + 63 x 128/255)"},
        {0x0000ff, 0xff0000, 64, 0x4000bf, "red to blue, each channel alone"},
    };
    for (const auto& c : cases) {
        auto w = kt::StartedWriter(1, 1);
        w->SetPixel(0, 0, c.old);
        unsigned char coverage = c.coverage;
        FT_Bitmap bitmap{};
        bitmap.rows = bitmap.width = 1;
        bitmap.pitch = 1;
        bitmap.buffer = &coverage;
        bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
        CImageWriter::CFreeTypeLib(w.get(), nullptr, 96, 96).BlendGlyph(bitmap, 0, 0, c.colour);
        EXPECT_EQ(kt::PixelAt(*w, 0, 0), c.expected) << c.why;
    }
}

TEST(ImageText, BlendClipsAndFollowsThePitch)
{
    // 3 x 2 coverage with one padding byte per row (pitch 4); placed at
    // (-1, -1) only its bottom-middle pixel lands on the raster.
    unsigned char rows[] = {10, 20, 30, 99, 40, 255, 60, 99};
    FT_Bitmap bitmap{};
    bitmap.rows = 2;
    bitmap.width = 3;
    bitmap.pitch = 4;
    bitmap.buffer = rows;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    auto w = kt::StartedWriter(2, 2);
    CImageWriter::CFreeTypeLib renderer(w.get(), nullptr, 96, 96);
    renderer.BlendGlyph(bitmap, -1, -1, 0);
    EXPECT_EQ(kt::PixelAt(*w, 0, 0), 0u);
    EXPECT_EQ(kt::PixelAt(*w, 1, 0), 0xc3c3c3u); // 255 - 60
    EXPECT_EQ(kt::PixelAt(*w, 0, 1), 0xffffffu);

    auto flipped = kt::StartedWriter(2, 2);
    bitmap.pitch = -4; // bottom row first in memory
    CImageWriter::CFreeTypeLib(flipped.get(), nullptr, 96, 96).BlendGlyph(bitmap, -1, 0, 0);
    EXPECT_EQ(kt::PixelAt(*flipped, 0, 0), 0u);
    EXPECT_EQ(kt::PixelAt(*flipped, 0, 1), 0xebebebu); // 255 - 20
    renderer.BlendGlyph(bitmap, INT_MAX, INT_MIN, 0);
}

TEST(ImageText, DrawnTextStaysBetweenBackgroundAndTextColour)
{
    auto w = kt::StartedWriter(200, 100);
    w->DrawString("Il|", 60, 0, 10, 90, 0, 0, 0x3366cc);
    bool exact = false;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const Colour p = kt::PixelAt(*w, x, y);
            exact = exact || p == 0x3366cc;
            EXPECT_GE(p & 0xff, 0xccu);
            EXPECT_GE((p >> 8) & 0xff, 0x66u);
            EXPECT_GE(p >> 16, 0x33u);
        }
    EXPECT_TRUE(exact); // stems fully covered
}

// The embedded font starts FreeType with only the modules it needs; a font
// file gets them all. The same font both ways draws the same pixels, at every
// rotation and with sizes changing between calls (the face keeps the size it
// was last measured at).
TEST(ImageText, EmbeddedFontDrawsAsTheSameFontFile)
{
    const std::string file = std::string(KAVREN_SOURCE_DIR) + "/assets/LiberationSans-Regular-Latin1.ttf";
    CMyPngWriter embedded(400, 400, nullptr, 96, 96, 0xffffff, -2);
    CMyPngWriter fromFile(400, 400, file.c_str(), 96, 96, 0xffffff, -2);
    ASSERT_TRUE(embedded.Init());
    ASSERT_TRUE(fromFile.Init());
    const struct {
        int fontHeight, degrees;
    } draws[] = {{14, 0}, {9, 90}, {14, 180}, {31, 270}, {14, 90}, {9, 0}};
    for (const auto& d : draws)
        for (CImageWriter* w :
             {static_cast<CImageWriter*>(&embedded), static_cast<CImageWriter*>(&fromFile)}) {
            const int band = w->MeasureTextHeight(d.fontHeight);
            EXPECT_GT(band, d.fontHeight);
            w->DrawString("Kavren jgy 0123 \xc4\xd6\xdf", d.fontHeight, 0, 200, 200 + band, 0,
                          d.degrees * kPi / 180, 0x204080);
        }
    EXPECT_FALSE(kt::InkBox(embedded).Empty());
    EXPECT_TRUE(kt::SamePixels(embedded, fromFile));
}

} // namespace

// A glyph that cannot be loaded or rendered at its size (an '@' of 2500
// points at 1200 dpi, over 32767 pixels a side) fails the text, and the
// writer keeps the height for the message; a glyph drawn wholly outside the
// raster is no failure.
TEST(ImageText, AGlyphThatCannotBeRenderedFailsTheText)
{
    struct Case {
        int fontHeight;
        int x;
        bool drawn;
    };
    for (const Case c : {Case{2500, -20000, false}, Case{14, 5000, true}}) {
        CMyPngWriter w(100, 100, nullptr, 1200, 1200, 0xffffff, -2);
        ASSERT_TRUE(w.Init());
        EXPECT_EQ(w.DrawString("@", c.fontHeight, 0, c.x, 30000, 0, 0, 0), c.drawn) << c.fontHeight;
        EXPECT_EQ(w.FailedFontHeight(), c.drawn ? 0 : c.fontHeight) << c.fontHeight;
    }
}
