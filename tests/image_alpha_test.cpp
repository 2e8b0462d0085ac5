// The transparent raster (RGBA) and what the PNG writer makes of it, and the
// resolution chunk.
#include "engine/Barcode.h"
#include "symbologies/Symbologies.h"
#include "tests/engine_support.h"
#include "tests/image_support.h"
#include "tests/support/TestSupport.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

std::unique_ptr<CMyPngWriter> TransparentWriter(int width, int height, Colour background = 0xffffff)
{
    auto w = std::make_unique<CMyPngWriter>(width, height, nullptr, 96, 96, background, -2);
    w->SetAlpha(true);
    EXPECT_TRUE(w->Init());
    return w;
}

// The stored pixels of an 8-bit PNG as written (no conversion), with its colour type.
std::vector<std::uint8_t> Decoded(const std::vector<std::uint8_t>& file, int& colourType, int& width,
                                  int& height)
{
    struct Source {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at;
    } source{&file, 0};
    std::vector<std::uint8_t> pixels;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t size) {
            auto* s = static_cast<Source*>(png_get_io_ptr(p));
            if (s->at + size > s->bytes->size())
                png_error(p, "short file");
            std::copy_n(s->bytes->data() + s->at, size, out);
            s->at += size;
        });
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        width = static_cast<int>(png_get_image_width(png, info));
        height = static_cast<int>(png_get_image_height(png, info));
        colourType = png_get_color_type(png, info);
        const std::size_t rowBytes = png_get_rowbytes(png, info);
        png_bytepp rows = png_get_rows(png, info);
        for (int y = 0; y < height; ++y)
            pixels.insert(pixels.end(), rows[y], rows[y] + rowBytes);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels;
}

TEST(ImageAlpha, RasterStartsTransparentAndDrawsOpaque)
{
    auto w = TransparentWriter(20, 10, 0x00ffff); // yellow background
    EXPECT_EQ(w->GetChannels(), 4);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(kt::PixelAt(*w, x, y), 0x00ffffu);
            ASSERT_EQ(w->GetAlpha(x, y), 0);
        }
    w->FillRect(2, 1, 3, 4, 0x123456); // a colour
    w->FillRect(10, 0, 2, 10, 0);      // black (the grey fill of an RGB raster)
    w->SetPixel(19, 9, 0xabcdef);
    EXPECT_EQ(kt::PixelAt(*w, 4, 4), 0x123456u);
    EXPECT_EQ(w->GetAlpha(4, 4), 255);
    EXPECT_EQ(w->GetAlpha(5, 4), 0);
    EXPECT_EQ(kt::PixelAt(*w, 11, 9), 0u);
    EXPECT_EQ(w->GetAlpha(11, 9), 255);
    EXPECT_EQ(w->GetAlpha(19, 9), 255);
    EXPECT_EQ(w->GetRow(0)[4 * 10 + 3], 255); // the alpha byte follows R, G, B

    auto rgb = kt::StartedWriter(2, 2); // without alpha: opaque, 3 bytes a pixel
    EXPECT_EQ(rgb->GetChannels(), 3);
    EXPECT_EQ(rgb->GetAlpha(1, 1), 255);
    EXPECT_EQ(rgb->GetAlpha(2, 1), 0); // outside
}

// Bars filled as one band give the pixels of one fill per bar, on rows that
// held something else across the band (row 2) and past the raster's edges.
TEST(ImageAlpha, ColumnsFillAsOneRectEach)
{
    for (const int kind : {3, 4, 1}) { // RGB, RGBA, indexed
        SCOPED_TRACE(kind);
        std::unique_ptr<CMyPngWriter> band, rects;
        for (auto* w : {&band, &rects}) {
            *w = std::make_unique<CMyPngWriter>(12, 6, nullptr, 96, 96, 0xffffff, -2);
            (*w)->SetAlpha(kind == 4);
            (*w)->SetIndexed(kind == 1);
            ASSERT_TRUE((*w)->Init());
            (*w)->FillRect(3, 2, 4, 1, 0x123456);
        }
        const CImageWriter::ColumnSpan columns[] = {{-2, 1}, {2, 4}, {6, 8}, {10, 15}};
        band->FillColumns(-1, 5, columns, 0x000000);
        for (const CImageWriter::ColumnSpan& c : columns)
            rects->FillRect(static_cast<int>(c.left), -1, static_cast<int>(c.right - c.left), 6, 0x000000);
        for (int y = 0; y < 6; ++y)
            EXPECT_TRUE(std::equal(band->GetRow(y), band->GetRow(y) + 12 * kind, rects->GetRow(y))) << y;
        EXPECT_EQ(band->GetPaletteSize(), rects->GetPaletteSize());
    }
}

// Text on a transparent raster keeps the text colour and carries its coverage
// in alpha: exactly the darkness black text gets on white in an RGB raster.
TEST(ImageAlpha, TextCoverageGoesToAlpha)
{
    for (int degrees : {0, 90}) {
        const double angle = degrees * 3.1415926 / 180;
        auto rgb = kt::StartedWriter(160, 160);
        rgb->DrawString("Kavren jg 42", 14, 0, 20, 100, 0, angle, 0);
        auto rgba = TransparentWriter(160, 160);
        rgba->DrawString("Kavren jg 42", 14, 0, 20, 100, 0, angle, 0x0000ff);
        int partial = 0;
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 160; ++x) {
                const int alpha = rgba->GetAlpha(x, y);
                ASSERT_EQ(alpha, 255 - rgb->GetRed(x, y)) << x << ',' << y;
                ASSERT_EQ(kt::PixelAt(*rgba, x, y), alpha ? 0x0000ffu : 0xffffffu) << x << ',' << y;
                partial += alpha > 0 && alpha < 255;
            }
        EXPECT_GT(partial, 20) << degrees; // anti-aliased edges are there
    }
}

// Over opaque bars text stays opaque and mixes its colour in; overlapping
// glyph edges of one colour keep that colour.
TEST(ImageAlpha, TextOverBarsAndOverItself)
{
    auto w = TransparentWriter(120, 60);
    w->FillRect(0, 0, 60, 60, 0xff0000); // blue bar under the left half
    for (int i = 0; i < 2; ++i)          // drawn twice: edges over edges
        w->DrawString("Il|Il|Il|", 30, 0, 5, 50, 0, 0, 0x0000ff);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            const Colour p = kt::PixelAt(*w, x, y);
            if (x < 60) {
                ASSERT_EQ(w->GetAlpha(x, y), 255);
                ASSERT_EQ((p >> 8) & 0xff, 0u); // green 0 in both colours
            } else if (w->GetAlpha(x, y) > 0) {
                ASSERT_EQ(p, 0x0000ffu) << x << ',' << y;
            }
        }
}

TEST(ImageAlpha, WritesRgbaThatDecodesToTheRaster)
{
    auto w = TransparentWriter(90, 40, 0x808080);
    w->FillRect(10, 0, 7, 40, 0);
    w->DrawString("Alpha 9", 12, 0, 30, 35, 0, 0, 0x2040a0);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(w->WriteToMemory(file));
    int colourType = -1, width = 0, height = 0;
    const auto pixels = Decoded(file, colourType, width, height);
    EXPECT_EQ(colourType, PNG_COLOR_TYPE_RGB_ALPHA);
    ASSERT_EQ(width, 90);
    ASSERT_EQ(height, 40);
    ASSERT_EQ(pixels.size(), 4u * 90 * 40);
    for (int y = 0; y < 40; ++y)
        EXPECT_TRUE(std::equal(w->GetRow(y), w->GetRow(y) + 4 * 90, pixels.begin() + 4 * 90 * y)) << y;

    // The per-row filter choice holds for four bytes a pixel too.
    std::vector<std::uint8_t> plain;
    w->m_FilterChoice = CMyPngWriter::EFilterChoice::kLibrary;
    w->m_Timestamp = 1767225600;
    ASSERT_TRUE(w->WriteToMemory(plain));
    w->m_FilterChoice = CMyPngWriter::EFilterChoice::kPerRow;
    file.clear();
    ASSERT_TRUE(w->WriteToMemory(file));
    EXPECT_TRUE(file == plain);
}

// A transparent barcode laid on white is read by a decoder.
TEST(ImageAlpha, CompositedOnWhiteScans)
{
    CBarcodeSettings settings;
    settings.m_Type = 7;
    settings.m_Data = "Kavren 42";
    auto sym = CreateBarcodeSym(settings);
    ASSERT_TRUE(sym);
    auto w = TransparentWriter(300, 120);
    const Rect area{0, 300, 0, 120};
    ASSERT_EQ(et::DrawSym(*w, *sym, &area).status, 0);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(w->WriteToMemory(file));
    int colourType = -1, width = 0, height = 0;
    const auto rgba = Decoded(file, colourType, width, height);
    ASSERT_EQ(rgba.size(), 4u * 300 * 120);

    auto onWhite = kt::StartedWriter(width, height);
    int transparent = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rgba[4 * (std::size_t(y) * width + x)];
            Colour c = 0;
            for (int channel = 0; channel < 3; ++channel)
                c |= Colour((p[channel] * p[3] + 255 * (255 - p[3]) + 127) / 255) << (8 * channel);
            onWhite->SetPixel(x, y, c);
            transparent += p[3] == 0;
        }
    EXPECT_GT(transparent, width * height / 3); // the background
    const std::string path = kt::ScratchPath("composited.png");
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(onWhite->WriteTo(out));
    std::fclose(out);
    EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{"CODE-128:Kavren 42"});
}

TEST(ImagePhys, PixelsPerMetreRounded)
{
    const struct {
        int dpi;
        std::uint32_t perMetre;
    } cases[] = {{1, 39}, {72, 2835}, {96, 3780}, {300, 11811}, {600, 23622}, {100000, 3937008}};
    for (const auto& c : cases)
        EXPECT_EQ(CMyPngWriter::PixelsPerMetre(c.dpi), c.perMetre) << c.dpi;
}

TEST(ImagePhys, ChunkOnlyWhenAsked)
{
    auto w = kt::StartedWriter(8, 8);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(w->WriteToMemory(bytes));
    const std::string plain(bytes.begin(), bytes.end());
    EXPECT_EQ(plain.find("pHYs"), std::string::npos);

    w->m_PixelsPerMetre = CMyPngWriter::PixelsPerMetre(600);
    bytes.clear();
    ASSERT_TRUE(w->WriteToMemory(bytes));
    const std::string file(bytes.begin(), bytes.end());
    const std::size_t at = file.find("pHYs");
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(at, file.find("tIME")); // before the time, after gAMA
    EXPECT_GT(at, file.find("gAMA"));
    // Length 9: x and y pixels per unit (23622 = 0x5c46), unit 1 (metre).
    EXPECT_EQ(file.substr(at - 4, 17), std::string("\0\0\0\x09pHYs\0\0\x5c\x46\0\0\x5c\x46\x01", 17));
}

} // namespace
