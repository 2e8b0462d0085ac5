// Bearer bars of ITF-14 and Interleaved 2 of 5 (--bearer, --bearer-width):
// their pixels measured in the symbol's own frame in every orientation, the
// extent they add, the sizes that count them, and decoders reading through them.
#include "engine/Barcode.h"
#include "support/TestSupport.h"
#include "symbologies/Symbologies.h"
#include "tests/engine_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

// A raster seen in the symbol's frame: `along` in the reading direction from
// the area's start edge, `across` from the edge the bars grow from.
struct Frame {
    kt::Raster u; // turned upright

    Frame(const kt::Raster& r, int orientation) : u(kt::Upright(r, orientation)) {}
    int Length() const { return u.width; }
    int Thickness() const { return u.height; }
    bool Dark(int along, int across) const { return (u.At(along, across) & 0xff) < 0x80; }
    // True when every pixel of the box [along0, along1) x [across0, across1) is dark (or light).
    bool All(bool dark, int along0, int along1, int across0, int across1) const
    {
        for (int a = along0; a < along1; ++a)
            for (int c = across0; c < across1; ++c)
                if (Dark(a, c) != dark)
                    return false;
        return true;
    }
};

std::vector<std::string> Args(const char* type, const char* data, std::vector<std::string> more,
                              const std::string& path)
{
    std::vector<std::string> args = {"-t", type, "-d", data, "-n", "2"};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(path);
    return args;
}

struct Symbol {
    const char* type;
    const char* data;
    const char* zbar;
    const char* zxing;
};

const Symbol Symbols[] = {
    {"21", "1540014128876", "I2/5:15400141288763", "ITF \"15400141288763\""},
    {"0", "123456", "I2/5:01234565", "ITF \"01234565\""}, // padded to 8 digits with the check digit
};

// At two pixels a module with 5-module bearers: 10-pixel bars along the top
// and the bottom of the bars, over the quiet zones; the box also closes both
// ends beyond them. The symbol's bars meet the bearers; the text band lies
// outside, and the quiet zones inside stay light.
TEST(Bearer, PixelsInEveryOrientation)
{
    const std::string plain = kt::ScratchPath("plain.png");
    const std::string path = kt::ScratchPath("bearer.png");
    constexpr int w = 10;
    constexpr int quiet = 20;
    for (const Symbol& s : Symbols)
        for (const char* style : {"bars", "box"})
            for (const int o : {0, 90, 180, 270})
                for (const char* textBelow : {"1", "0"}) {
                    SCOPED_TRACE(std::string(s.type) + " " + style + ", orientation " + std::to_string(o) +
                                 ", -p " + textBelow);
                    const std::vector<std::string> look = {"-o", std::to_string(o), "-p", textBelow};
                    std::vector<std::string> withBearer = look;
                    withBearer.insert(withBearer.end(), {"--bearer", style});
                    ASSERT_EQ(kt::RunKavren(Args(s.type, s.data, look, plain)).status, 0);
                    ASSERT_EQ(kt::RunKavren(Args(s.type, s.data, withBearer, path)).status, 0);
                    kt::Raster p;
                    kt::Raster r;
                    ASSERT_TRUE(kt::ReadPng(plain, p));
                    ASSERT_TRUE(kt::ReadPng(path, r));
                    const Frame none{p, o};
                    const Frame f{r, o};
                    const bool box = std::string(style) == "box";
                    const int side = box ? w : 0;
                    ASSERT_EQ(f.Length(), none.Length() + 2 * side);
                    ASSERT_EQ(f.Thickness(), none.Thickness());

                    // The text band as the plain symbol has it: first bar, first pixels across.
                    const int firstBar = quiet;
                    int barFrom = 0;
                    while (barFrom < none.Thickness() && !none.Dark(firstBar, barFrom))
                        ++barFrom;
                    int barTo = barFrom;
                    while (barTo < none.Thickness() && none.Dark(firstBar, barTo))
                        ++barTo;
                    const int th = textBelow[0] == '1' ? none.Thickness() - barTo : barFrom;
                    ASSERT_GT(th, 0);

                    const int top = textBelow[0] == '1' ? 0 : th;    // frame edge at the bars' start
                    const int bottom = top + f.Thickness() - th - w; // the second bearer's start
                    const int length = f.Length();
                    EXPECT_TRUE(f.All(true, 0, length, top, top + w));
                    EXPECT_TRUE(f.All(true, 0, length, bottom, bottom + w));
                    if (box) {
                        EXPECT_TRUE(f.All(true, 0, w, top, bottom + w));
                        EXPECT_TRUE(f.All(true, length - w, length, top, bottom + w));
                    }
                    // Quiet zones light between the bearers; the symbol's first bar spans them.
                    EXPECT_TRUE(f.All(false, side, side + quiet, top + w, bottom));
                    EXPECT_TRUE(f.All(false, length - side - quiet, length - side, top + w, bottom));
                    EXPECT_TRUE(f.All(true, side + quiet, side + quiet + 1, top, bottom + w));
                    // The text band stays outside the frame: no ink in it over the quiet zones.
                    const int bandFrom = textBelow[0] == '1' ? f.Thickness() - th : 0;
                    EXPECT_TRUE(f.All(false, 0, side + quiet, bandFrom, bandFrom + th));
                }
}

TEST(Bearer, DecodersReadThroughThem)
{
    const std::string path = kt::ScratchPath("read.png");
    for (const Symbol& s : Symbols)
        for (const char* style : {"bars", "box"})
            for (const int o : {0, 90, 180, 270}) {
                SCOPED_TRACE(std::string(s.type) + " " + style + ", orientation " + std::to_string(o));
                ASSERT_EQ(
                    kt::RunKavren(Args(s.type, s.data, {"-o", std::to_string(o), "--bearer", style}, path))
                        .status,
                    0);
                EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{s.zbar});
                if (*s.zxing != '\0') {
                    EXPECT_EQ(kt::ZXingTexts(path), std::vector<std::string>{s.zxing});
                }
            }
}

// Rows from the top that are dark all along the top row's dark run: the
// top bearer's thickness (0 without one).
int TopBearerRows(const kt::Raster& r)
{
    const auto dark = [&](int x, int y) { return (r.At(x, y) & 0xff) < 0x80; };
    int x0 = 0;
    while (x0 < r.width && !dark(x0, 0))
        ++x0;
    int x1 = x0;
    while (x1 < r.width && dark(x1, 0))
        ++x1;
    if (x0 == x1)
        return 0;
    int rows = 0;
    for (; rows < r.height; ++rows)
        for (int x = x0; x < x1; ++x)
            if (!dark(x, rows))
                return rows;
    return rows;
}

// The bearers are part of the symbol's extent: x-dimension mode lengthens the
// image by the box's sides, a fixed size takes the widest module that fits
// them, and --bearer-width sets their width.
TEST(Bearer, SizesCountThem)
{
    const std::string path = kt::ScratchPath("size.png");
    const struct {
        const char* note;
        std::vector<std::string> options;
        int width;  // expected image width, 0: not checked
        int bearer; // expected bearer thickness in pixels at the top edge
    } rows[] = {
        // ITF-14 at 2 pixels a module (wide 5): 241 pixels of bars, 40 of quiet zones.
        {"x-dimension, bars", {"--bearer", "bars"}, 281, 10},
        {"x-dimension, box", {"--bearer", "box"}, 301, 10},
        {"x-dimension, box 3 modules", {"--bearer", "box", "--bearer-width", "3"}, 293, 6},
        // 290 pixels take 2-pixel modules without the box's sides (281), only 1 with them (301).
        {"fixed width, bars", {"--bearer", "bars", "-x", "290"}, 290, 10},
        {"fixed width, box", {"--bearer", "box", "-x", "290"}, 290, 5},
        // 900 pixels along hold 6-pixel modules; 30 across leave the bars room beside two bearers at 2.
        {"fixed size, room across", {"--bearer", "bars", "-x", "900", "-y", "30", "-s", "0"}, 900, 10},
        // Widths out of range are ignored, as other options' values are.
        {"width 0 ignored", {"--bearer", "bars", "--bearer-width", "0"}, 281, 10},
        {"width 101 ignored", {"--bearer", "bars", "--bearer-width", "101"}, 281, 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.note);
        ASSERT_EQ(kt::RunKavren(Args("21", "1540014128876", row.options, path)).status, 0);
        kt::Raster r;
        ASSERT_TRUE(kt::ReadPng(path, r));
        EXPECT_EQ(r.width, row.width);
        EXPECT_EQ(TopBearerRows(r), row.bearer);
    }
    // Across: with the text band and two bearers the bars must keep a pixel.
    EXPECT_EQ(
        kt::RunKavren(Args("21", "1540014128876", {"--bearer", "bars", "-y", "21", "-s", "0"}, path)).status,
        0);
    EXPECT_EQ(kt::RunKavren(
                  Args("21", "1540014128876",
                       {"--bearer", "bars", "-y", "21", "-s", "0", "--bearer-width", "5", "-n", "3"}, path))
                  .status,
              5);
}

// In fixed-size mode the module width also leaves the bars room across.
TEST(Bearer, ModuleWidthFitsAcross)
{
    CBarcodeSettings settings;
    settings.m_Type = 21;
    settings.m_Data = "1540014128876";
    settings.m_ShowText = false;
    const struct {
        BearerStyle style;
        int height;
        int moduleWidth;
    } rows[] = {
        {BearerStyle::None, 30, 3},  // 3000 pixels along take 9, but nothing across limits
        {BearerStyle::Bars, 30, 2},  // 2 x 5 x 3 = 30 leaves no bar; 2 x 5 x 2 = 20 does
        {BearerStyle::Box, 30, 2},   // the box's sides are along: room for them at 2
        {BearerStyle::Bars, 10, -1}, // no width leaves a bar
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.height);
        settings.m_Bearer = row.style;
        const std::unique_ptr<CBarcodeSym> sym = CreateBarcodeSym(settings);
        ASSERT_TRUE(sym);
        EXPECT_EQ(et::FittingModule(*sym, 3 * sym->GetSymbolLength(1), row.height), row.moduleWidth);
    }
}

// Other symbologies draw no bearers, and a style that is none of the three
// is ignored: the picture is the same pixel for pixel.
TEST(Bearer, IgnoredWhereTheyDoNotApply)
{
    const std::string plain = kt::ScratchPath("plain.png");
    const std::string path = kt::ScratchPath("ignored.png");
    const struct {
        const char* type;
        const char* data;
        const char* style;
    } rows[] = {
        {"7", "123456", "box"},           // Code 128
        {"1", "123456", "bars"},          // Industrial 2 of 5 has no bearers
        {"11", "590123412345", "box"},    // EAN-13
        {"21", "1540014128876", "frame"}, // no such style
        {"21", "1540014128876", "b"},     // names are not abbreviated
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.type) + " --bearer " + row.style);
        ASSERT_EQ(kt::RunKavren(Args(row.type, row.data, {}, plain)).status, 0);
        ASSERT_EQ(kt::RunKavren(Args(row.type, row.data, {"--bearer", row.style}, path)).status, 0);
        kt::Raster a;
        kt::Raster b;
        ASSERT_TRUE(kt::ReadPng(plain, a));
        ASSERT_TRUE(kt::ReadPng(path, b));
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
        EXPECT_TRUE(a.rgb == b.rgb);
    }
}

} // namespace
