// Two-colour output: the PNG's header and palette, its pixels against the
// RGB render of the same options, and the decoders on every symbology.
#include "tests/format_support.h"
#include "tests/image_support.h"

#include <png.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// 0xRRGGBB as written to 0x00BBGGRR as stored.
constexpr std::uint32_t Stored(std::uint32_t rrggbb)
{
    return ((rrggbb & 0xff) << 16) | (rrggbb & 0xff00) | (rrggbb >> 16);
}

// A palette PNG as stored: header fields, the palette, the tRNS alphas and
// the pixels as colours of the palette.
struct IndexedPng {
    int bitDepth = 0;
    int colourType = -1;
    std::vector<std::uint32_t> palette; // 0x00BBGGRR
    std::vector<std::uint8_t> alphas;
    kt::Raster raster;
};

IndexedPng ReadIndexed(const std::string& path)
{
    IndexedPng out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return out;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        out.bitDepth = png_get_bit_depth(png, info); // as stored, before unpacking
        png_set_packing(png);                        // one index byte per pixel
        png_read_update_info(png, info);
        std::vector<std::uint8_t> pixels(png_get_rowbytes(png, info) * png_get_image_height(png, info));
        std::vector<png_bytep> rows;
        for (std::size_t at = 0; at < pixels.size(); at += png_get_rowbytes(png, info))
            rows.push_back(pixels.data() + at);
        png_read_image(png, rows.data());
        out.colourType = png_get_color_type(png, info);
        png_colorp colours = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &colours, &count))
            for (int i = 0; i < count; ++i)
                out.palette.push_back(colours[i].red | (colours[i].green << 8) | (colours[i].blue << 16));
        png_bytep alphas = nullptr;
        int alphaCount = 0;
        if (png_get_tRNS(png, info, &alphas, &alphaCount, nullptr))
            out.alphas.assign(alphas, alphas + alphaCount);
        kt::Raster& r = out.raster;
        r.width = static_cast<int>(png_get_image_width(png, info));
        r.height = static_cast<int>(png_get_image_height(png, info));
        for (int y = 0; y < r.height && out.colourType == PNG_COLOR_TYPE_PALETTE; ++y)
            for (int x = 0; x < r.width; ++x) {
                const std::uint32_t c = out.palette.at(rows[y][x]);
                r.rgb.insert(r.rgb.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                           static_cast<std::uint8_t>(c >> 16)});
            }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return out;
}

// The box of the RGB render's text: the pixels of neither colour, which only
// anti-aliased glyph edges make. Empty (left > right) when there are none.
kt::Box TextBox(const kt::Raster& r, std::uint32_t a, std::uint32_t b)
{
    kt::Box box;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.At(x, y) != a && r.At(x, y) != b) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Hinting for the pixel grid moves a glyph edge by up to a pixel, and may
// round a height up: the one-bit glyphs stay within this margin of the
// anti-aliased ones.
constexpr int kHintingMargin = 2;

bool Inside(const kt::Box& box, int x, int y)
{
    return !box.Empty() && x >= box.left - kHintingMargin && x <= box.right + kHintingMargin &&
           y >= box.top - kHintingMargin && y <= box.bottom + kHintingMargin;
}

struct MonoCase {
    int symbology;
    int orientation;
    std::uint32_t background, bars; // 0xRRGGBB
    bool transparent;
    int dpi;
    const char* why;
};

// clang-format off
constexpr MonoCase kMonoCases[] = {
    {7, 0, 0xffffff, 0x000000, false, 0, "the default label"},
    {7, 90, 0xffffff, 0x000000, false, 0, "rotated text"},
    {11, 180, 0xffffff, 0x000000, false, 0, "EAN digit groups, upside down"},
    {13, 270, 0xfff3c0, 0x14365a, false, 0, "colours of their own: the palette is theirs, no white"},
    {2, 0, 0xffffff, 0x000000, true, 0, "transparent: entry 0 has alpha 0"},
    {14, 0, 0xffffff, 0x000000, false, 300, "small digits at 300 dpi"},
    {24, 0, 0xffffff, 0x000000, false, 0, "a matrix symbol without text"},
};
// clang-format on

} // namespace

// A two-colour PNG is 1 bit per pixel with exactly the background and bar
// colours; every pixel is the RGB render's except where the RGB text is,
// and the text is there.
TEST(MonoPng, TwoColoursAtOneBitWithTheRgbPixels)
{
    for (const MonoCase& c : kMonoCases) {
        SCOPED_TRACE(c.why);
        kavren::Options o = kt::SampleOptions(c.symbology, c.orientation);
        o.background = kavren::Rgb::FromHex(c.background);
        o.barColour = o.textColour = kavren::Rgb::FromHex(c.bars);
        o.dpi = c.dpi;
        const std::string name = "mono-" + std::to_string(&c - kMonoCases);
        kt::Raster rgb; // opaque: under the transparent entry are the background's pixels
        ASSERT_TRUE(kt::ReadPng(kt::RenderToFile(o, name + "-rgb.png"), rgb));
        o.transparent = c.transparent;
        o.mono = true;
        const IndexedPng mono = ReadIndexed(kt::RenderToFile(o, name + ".png"));

        EXPECT_EQ(mono.colourType, PNG_COLOR_TYPE_PALETTE);
        EXPECT_EQ(mono.bitDepth, 1);
        const std::uint32_t space = Stored(c.background), bar = Stored(c.bars);
        EXPECT_EQ(mono.palette, (std::vector<std::uint32_t>{space, bar}));
        EXPECT_EQ(mono.alphas, c.transparent ? std::vector<std::uint8_t>{0} : std::vector<std::uint8_t>{});
        ASSERT_EQ(mono.raster.width, rgb.width);
        ASSERT_EQ(mono.raster.height, rgb.height);

        const kt::Box text = TextBox(rgb, space, bar);
        long differing = 0, monoInk = 0, rgbInk = 0;
        for (int y = 0; y < rgb.height; ++y)
            for (int x = 0; x < rgb.width; ++x) {
                const std::uint32_t m = mono.raster.At(x, y);
                if (!Inside(text, x, y)) {
                    differing += m != rgb.At(x, y);
                    continue;
                }
                monoInk += m == bar;
                // An RGB text pixel is darker than half way when its green is.
                const auto green = [](std::uint32_t v) { return static_cast<int>((v >> 8) & 0xff); };
                rgbInk +=
                    std::abs(green(rgb.At(x, y)) - green(bar)) < std::abs(green(rgb.At(x, y)) - green(space));
            }
        EXPECT_EQ(differing, 0);
        // The same glyphs, rendered another way: about as much ink.
        EXPECT_NEAR(static_cast<double>(monoInk), static_cast<double>(rgbInk),
                    0.25 * static_cast<double>(rgbInk));
    }
}

// The default PNG does not change with two-colour output around: the same
// bytes with the option off; SVG and EPS the same with it on.
TEST(MonoPng, OffChangesNothingAndVectorsIgnoreIt)
{
    kavren::Options o = kt::SampleOptions(7, 0);
    const kavren::Result before = kavren::Render(o);
    o.mono = true;
    EXPECT_NE(kt::Text(kavren::Render(o)), kt::Text(before));
    o.mono = false;
    EXPECT_EQ(kt::Text(kavren::Render(o)), kt::Text(before));
    for (const kavren::Format format : {kavren::Format::Svg, kavren::Format::Eps}) {
        o.format = format;
        o.mono = false;
        const std::string plain = kt::Text(kavren::Render(o));
        o.mono = true;
        EXPECT_EQ(kt::Text(kavren::Render(o)), plain);
    }
}

// Every symbology in every orientation reads in two colours as it reads in
// RGB: zbarimg and ZXingReader for the linear codes, ZXingReader for the
// matrix codes; the 4-state mail codes have no reader.
TEST(MonoPng, EverySymbologyAndOrientationDecodes)
{
    int decoded = 0;
    for (const kt::SymbologySample& sample : kt::SymbologySamples()) {
        const bool matrix = sample.type >= 22 && sample.type <= 26;
        if (sample.type > 26)
            continue;
        for (const int orientation : {0, 90, 180, 270}) {
            const std::string name =
                "mono-s" + std::to_string(sample.type) + "-o" + std::to_string(orientation);
            SCOPED_TRACE(name);
            kavren::Options o = kt::SampleOptions(sample.type, orientation);
            const std::string rgb = kt::RenderToFile(o, name + "-rgb.png");
            o.mono = true;
            const std::string mono = kt::RenderToFile(o, name + ".png");
            ASSERT_TRUE(rgb.size() && mono.size());
            const std::vector<std::string> zxing = kt::ZXingTexts(rgb);
            EXPECT_EQ(kt::ZXingTexts(mono), zxing);
            decoded += !zxing.empty();
            if (!matrix) {
                const std::vector<std::string> zbar = kt::Zbar(rgb);
                EXPECT_EQ(kt::Zbar(mono), zbar);
                decoded += zxing.empty() && !zbar.empty();
            }
        }
    }
    // Most symbologies have a reader: the comparison above is not vacuous.
    EXPECT_GE(decoded, 70);
}
