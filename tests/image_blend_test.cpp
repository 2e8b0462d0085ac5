// Anti-aliased text blending: every result lies between the pixel below and
// the text colour, the ends are exact, and partial coverage rounds toward the
// lighter value as it always did.
#include "tests/image_support.h"
#include "tests/support/TestSupport.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

// The former blend in floating point, for comparison where it was right.
int FloatBlend(int under, int ink, int coverage)
{
    const double a = coverage / 255.0;
    return 255 - static_cast<int>((255 - under) * (1.0 - a) + (255 - ink) * a);
}

TEST(ImageBlend, EveryChannelPairAndCoverage)
{
    int changed = 0;
    for (int under = 0; under < 256; ++under)
        for (int ink = 0; ink < 256; ++ink)
            for (int coverage = 0; coverage < 256; ++coverage) {
                const int got = CImageWriter::CFreeTypeLib::BlendChannel(static_cast<std::uint8_t>(under),
                                                                         static_cast<std::uint8_t>(ink),
                                                                         static_cast<unsigned>(coverage));
                // The exact mix on inverted values, times 255.
                const int exact = (255 - under) * (255 - coverage) + (255 - ink) * coverage;
                const auto where = [&] {
                    return testing::Message()
                           << "under " << under << " ink " << ink << " coverage " << coverage;
                };
                ASSERT_GE(got, std::min(under, ink)) << where();
                ASSERT_LE(got, std::max(under, ink)) << where();
                // Rounded toward the lighter side: the inverted value is rounded down.
                ASSERT_EQ(255 - got, exact / 255) << where();
                if (coverage == 0 || under == ink) {
                    ASSERT_EQ(got, under) << where();
                }
                if (coverage == 255) {
                    ASSERT_EQ(got, ink) << where();
                }
                // Unchanged wherever the old result was in range and the
                // exact value was not a whole number that floating point
                // fell just short of.
                const int old = FloatBlend(under, ink, coverage);
                const bool oldInRange = old >= std::min(under, ink) && old <= std::max(under, ink);
                if (oldInRange && exact % 255 != 0) {
                    ASSERT_EQ(got, old) << where();
                }
                changed += got != old;
            }
    EXPECT_GT(changed, 0); // the float artefacts the old blend had are gone
}

// Coverage blended into the raster through a glyph bitmap, one pixel per
// coverage value.
TEST(ImageBlend, GlyphBitmapStaysBetweenBackgroundAndText)
{
    const struct {
        Colour background, text;
    } cases[] = {
        {0x00ffff, 0x0000ff}, // red text on yellow: blue stays 0, red stays 255
        {0xffffff, 0x000000},
        {0x123456, 0x123456}, // equal colours: nothing changes
        {0x000000, 0xffffff},
    };
    unsigned char coverage[256];
    for (int i = 0; i < 256; ++i)
        coverage[i] = static_cast<unsigned char>(i);
    FT_Bitmap bitmap{};
    bitmap.rows = 1;
    bitmap.width = 256;
    bitmap.pitch = 256;
    bitmap.buffer = coverage;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    for (const auto& c : cases) {
        auto w = kt::StartedWriter(256, 1);
        w->FillRect(0, 0, 256, 1, c.background);
        CImageWriter::CFreeTypeLib text(w.get(), nullptr, 96, 96);
        text.BlendGlyph(bitmap, 0, 0, c.text);
        EXPECT_EQ(kt::PixelAt(*w, 0, 0), c.background);
        EXPECT_EQ(kt::PixelAt(*w, 255, 0), c.text);
        for (int x = 0; x < 256; ++x)
            for (int shift : {0, 8, 16}) {
                const int got = (kt::PixelAt(*w, x, 0) >> shift) & 0xff;
                const int a = (c.background >> shift) & 0xff, b = (c.text >> shift) & 0xff;
                EXPECT_TRUE(got >= std::min(a, b) && got <= std::max(a, b)) << x << " shift " << shift;
            }
    }
}

// The program's own run of the reported case: red text on yellow with black
// bars has blue 0 in every pixel.
TEST(ImageBlend, RedTextOnYellowKeepsBlueAtZero)
{
    const std::string path = kt::ScratchPath("red-on-yellow.png");
    const auto run = kt::RunKavren({"-e", "ff0000", "-b", "ffff00", "-d", "Kavren 42", path});
    ASSERT_EQ(run.status, 0) << run.err;
    kt::Raster r;
    ASSERT_TRUE(kt::ReadPng(path, r));
    int textPixels = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const std::uint32_t p = r.At(x, y);
            ASSERT_EQ(p >> 16, 0u) << x << ',' << y;
            textPixels += p != 0 && p != 0x00ffff;
        }
    EXPECT_GT(textPixels, 0);
}

} // namespace
