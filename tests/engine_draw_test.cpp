// The encoded symbol of a pattern laid out on a real raster: statuses, background, bar placement and
// width, guard bars, the four orientations, the text band, and whole runs of
// the program read back by an independent decoder.
#include "tests/engine_support.h"

#include <gtest/gtest.h>

#include <climits>

using et::Drawn;
using et::DrawSym;
using et::Line;
using et::MakeSym;
using et::MakeWriter;
using et::Modules;
using et::Snapshot;

namespace {

constexpr std::uint32_t White = 0xffffff;
constexpr std::uint32_t Red = 0x0000ff; // 0x00BBGGRR
constexpr std::uint32_t Blue = 0xff0000;

int TextHeight(int fontHeight = 14)
{
    auto writer = MakeWriter(1, 1);
    return writer ? writer->MeasureTextHeight(fontHeight) : -1;
}

bool AllPixels(const kt::Raster& r, std::uint32_t colour)
{
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.At(x, y) != colour)
                return false;
    return true;
}

// A one-space display text: the band is reserved but holds no ink.
std::unique_ptr<et::CTestSym> BlankTextSym(std::vector<std::uint8_t> codes,
                                           CBarcodeSettings s = et::PlainSettings())
{
    s.m_Data = " ";
    return MakeSym(std::move(codes), s);
}

TEST(EngineDraw, StatusesComeInOrderAndFailuresDrawNothing)
{
    struct Case {
        const char* data;
        bool withArea;
        int areaWidth;
        int expected;
    };
    // "1011" is 24 pixels long at one pixel per module.
    const Case cases[] = {
        {"ok", false, 24, 1}, // no area at all
        {"ok", true, 23, 5},  // one pixel too short
        {"bad", true, 24, 6}, // fits, but the text is invalid
        {"", true, 24, 6},    // an empty text is invalid
        {"ok", true, 24, 0},
    };
    for (const Case& c : cases) {
        auto writer = MakeWriter(40, 40);
        ASSERT_TRUE(writer);
        CBarcodeSettings s = et::PlainSettings();
        s.m_BackColor = Red; // any drawing at all would show
        s.m_ShowText = false;
        s.m_Data = c.data;
        auto sym = MakeSym(Modules("1011"), s);
        const Rect area{0, c.areaWidth, 0, 40};
        EXPECT_EQ(DrawSym(*writer, *sym, c.withArea ? &area : nullptr).status, c.expected)
            << c.data << " " << c.areaWidth;
        EXPECT_EQ(AllPixels(Snapshot(*writer), White), c.expected != 0) << c.data << " " << c.areaWidth;
    }
}

TEST(EngineDraw, CrossExtentMustExceedTheTextBand)
{
    const int th = TextHeight();
    ASSERT_GT(th, 0);
    for (const bool below : {true, false}) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_TextBelow = below;
        auto sym = BlankTextSym(Modules("1011"), s);
        auto writer = MakeWriter(24, th + 5);
        const Rect flat{0, 24, 0, th};
        EXPECT_EQ(DrawSym(*writer, *sym, &flat).status, 5);
        const Rect oneMore{0, 24, 0, th + 1};
        const Drawn drawn = DrawSym(*writer, *sym, &oneMore);
        EXPECT_EQ(drawn.status, 0);
        EXPECT_EQ(drawn.textBand, th);
        // The bars are one pixel long, on the far side of the band.
        const std::string column = Line(Snapshot(*writer), 10, 0, 0, 1, th + 1);
        EXPECT_EQ(column, below ? "#" + std::string(th, '.') : std::string(th, '.') + "#");
    }
}

TEST(EngineDraw, BackgroundFillsTheAreaOnly)
{
    for (const bool keep : {false, true}) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_BackColor = Red;
        s.m_KeepBackground = keep;
        s.m_ShowText = false;
        s.m_BarcodeAlign = 0;
        auto sym = MakeSym(Modules("1"), s); // 21 pixels at m = 1
        auto writer = MakeWriter(40, 20);
        const Rect area{5, 26, 3, 13};
        ASSERT_EQ(DrawSym(*writer, *sym, &area).status, 0);
        const kt::Raster r = Snapshot(*writer);
        const char paper = keep ? '.' : '?'; // '?': neither bar nor white, i.e. red here
        EXPECT_EQ(Line(r, 0, 8, 1, 0, 40),
                  "....." + std::string(10, paper) + "#" + std::string(10, paper) + std::string(14, '.'));
        EXPECT_EQ(Line(r, 20, 0, 0, 1, 20), "..." + std::string(10, paper) + std::string(7, '.'));
        EXPECT_EQ(r.At(6, 8), keep ? White : Red);
    }
}

TEST(EngineDraw, AlignmentPlacesTheBars)
{
    struct Case {
        int areaWidth;
        int align;
        int firstBar;
    };
    const Case cases[] = {
        {25, 0, 10}, {25, 1, 11}, {25, 2, 10}, // one spare pixel: only end alignment moves
        {34, 0, 10}, {34, 1, 20}, {34, 2, 15}, // ten spare pixels
    };
    for (const Case& c : cases) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_BarcodeAlign = c.align;
        s.m_ShowText = false;
        auto sym = MakeSym(Modules("1011"), s);
        auto writer = MakeWriter(c.areaWidth, 10);
        const Rect area{0, c.areaWidth, 0, 10};
        const Drawn drawn = DrawSym(*writer, *sym, &area);
        ASSERT_EQ(drawn.status, 0);
        EXPECT_EQ(drawn.module, 1);
        const std::string row = Line(Snapshot(*writer), 0, 5, 1, 0, c.areaWidth);
        EXPECT_EQ(row.find('#'), static_cast<std::size_t>(c.firstBar)) << row;
        EXPECT_EQ(row.substr(c.firstBar, 4), "#.##");
    }
}

TEST(EngineDraw, BarReductionShrinksBarsAndNeverLeavesTheArea)
{
    // Bar, space, bar of one module each, no quiet zones, in an area 9 wide at
    // x = 4 of a raster 20 wide: the search picks m = 3. Row 5 read left to right.
    struct Case {
        int orientation;
        int reduction;
        const char* row;
    };
    const Case cases[] = {
        {0, 0, "....###...###......."},
        {0, 50, "....##....##........"},  // 1.5 truncates to 1: bars 2 wide, still 6 apart
        {0, -50, "....####..###......."}, // 4 wide; the last is cut at the area's edge
        {0, 99, "....#.....#........."},  // 2.97 truncates to 2
        {0, 100, "...................."}, // nothing left of a bar
        {0, 1000, "...................."},
        {0, -1000, "....#########......."},   // a bar 33 wide fills the area, no more
        {0, INT_MIN, "....#########......."}, // no overflow in the reduction
        {180, -50, "....###..####......."},   // reading leftward: cut at the left edge
        {180, 50, ".....##....##......."},
    };
    for (const Case& c : cases) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_QuietZones = false;
        s.m_ShowText = false;
        s.m_Orientation = c.orientation;
        s.m_BarReduction = c.reduction;
        auto sym = MakeSym(Modules("101"), s);
        auto writer = MakeWriter(20, 10);
        const Rect area{4, 13, 0, 10};
        const Drawn drawn = DrawSym(*writer, *sym, &area);
        ASSERT_EQ(drawn.status, 0);
        EXPECT_EQ(drawn.module, 3);
        EXPECT_EQ(Line(Snapshot(*writer), 0, 5, 1, 0, 20), c.row)
            << "orientation " << c.orientation << ", reduction " << c.reduction;
    }
}

TEST(EngineDraw, GuardBarsReachIntoTheTextBand)
{
    const int th = TextHeight();
    ASSERT_GT(th, 1);
    const int height = th + 30;
    struct Case {
        bool below, guards, text;
        int guardFrom, guardTo, barFrom, barTo; // rows of the two kinds of bars
    };
    const Case cases[] = {
        {true, true, true, 0, height - th / 2, 0, height - th}, // half the band for the text
        {false, true, true, th / 2, height, th, height},        // band above: guards reach up
        {true, false, true, 0, height - th, 0, height - th},    // guards not shown long
        {false, false, true, th, height, th, height},
        {true, true, false, 0, height, 0, height}, // no text: every bar is full length
    };
    for (const Case& c : cases) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_TextBelow = c.below;
        s.m_ShowGuards = c.guards;
        s.m_ShowText = c.text;
        s.m_BarcodeAlign = 0;
        auto sym = BlankTextSym({GUARD, SPACE1, BAR1, SPACE1, GUARD}, s);
        auto writer = MakeWriter(60, height);
        const Rect area{0, 60, 0, height}; // 25 modules of 2 pixels, 10 spare
        const Drawn drawn = DrawSym(*writer, *sym, &area);
        ASSERT_EQ(drawn.status, 0);
        ASSERT_EQ(drawn.module, 2);
        const kt::Raster r = Snapshot(*writer);
        const auto expect = [&](int from, int to) {
            return std::string(from, '.') + std::string(to - from, '#') + std::string(height - to, '.');
        };
        const std::string where = std::string("below ") + (c.below ? "1" : "0") + " guards " +
                                  (c.guards ? "1" : "0") + " text " + (c.text ? "1" : "0");
        EXPECT_EQ(Line(r, 21, 0, 0, 1, height), expect(c.guardFrom, c.guardTo)) << where;
        EXPECT_EQ(Line(r, 25, 0, 0, 1, height), expect(c.barFrom, c.barTo)) << where;
        EXPECT_EQ(Line(r, 29, 0, 0, 1, height), expect(c.guardFrom, c.guardTo)) << where;
        EXPECT_EQ(Line(r, 23, 0, 0, 1, height), std::string(height, '.')) << where;
    }
}

// Pixel (x, y) of the raster for the point `along` pixels into the reading
// direction and `across` pixels from the edge the bars grow from.
struct Frame {
    int orientation;
    int length; // extent along the reading direction
    int cross;  // extent across it
    int rasterWidth() const { return orientation % 180 == 0 ? length : cross; }
    int rasterHeight() const { return orientation % 180 == 0 ? cross : length; }
    std::pair<int, int> Pixel(int along, int across) const
    {
        switch (orientation) {
        case 90: return {across, length - 1 - along};
        case 180: return {length - 1 - along, cross - 1 - across};
        case 270: return {cross - 1 - across, along};
        default: return {along, across};
        }
    }
};

TEST(EngineDraw, FourOrientationsPutEveryBarPixelInPlace)
{
    const int th = TextHeight();
    ASSERT_GT(th, 0);
    const std::string modules = "1101001110"; // not a palindrome: the direction shows
    const int m = 2;
    for (const int orientation : {0, 90, 180, 270}) {
        for (const bool below : {true, false}) {
            CBarcodeSettings s = et::PlainSettings();
            s.m_Orientation = orientation;
            s.m_TextBelow = below;
            s.m_BarcodeAlign = 0;
            s.m_BarColor = Blue;
            auto sym = BlankTextSym(Modules(modules), s);
            const Frame f{orientation, (20 + static_cast<int>(modules.size())) * m + 3, th + 25};
            auto writer = MakeWriter(f.rasterWidth(), f.rasterHeight());
            const Rect area{0, f.rasterWidth(), 0, f.rasterHeight()};
            const Drawn drawn = DrawSym(*writer, *sym, &area);
            ASSERT_EQ(drawn.status, 0);
            ASSERT_EQ(drawn.module, m);
            const kt::Raster r = Snapshot(*writer);
            int wrong = 0;
            std::string first;
            for (int along = 0; along < f.length; ++along) {
                const int module = along / m - 10; // past the quiet zone
                const bool barColumn = module >= 0 && module < static_cast<int>(modules.size()) &&
                                       modules[static_cast<std::size_t>(module)] == '1';
                for (int across = 0; across < f.cross; ++across) {
                    const bool inBars = below ? across < f.cross - th : across >= th;
                    const std::uint32_t expected = barColumn && inBars ? Blue : White;
                    const auto [x, y] = f.Pixel(along, across);
                    if (r.At(x, y) != expected && wrong++ == 0)
                        first = "along " + std::to_string(along) + " across " + std::to_string(across);
                }
            }
            EXPECT_EQ(wrong, 0) << "orientation " << orientation << " below " << below << ": first at "
                                << first;
        }
    }
}

TEST(EngineDraw, TextLiesInTheBandOnTheChosenSide)
{
    const int th = TextHeight();
    ASSERT_GT(th, 0);
    for (const int orientation : {0, 90, 180, 270}) {
        for (const bool below : {true, false}) {
            CBarcodeSettings s = et::PlainSettings();
            s.m_Orientation = orientation;
            s.m_TextBelow = below;
            s.m_BarColor = Blue;
            s.m_TextColor = Red;
            s.m_TextAlign = 2;
            s.m_Data = "HIH";
            auto sym = MakeSym(Modules("1101001110"), s);
            const Frame f{orientation, 80, th + 25};
            auto writer = MakeWriter(f.rasterWidth(), f.rasterHeight());
            const Rect area{0, f.rasterWidth(), 0, f.rasterHeight()};
            ASSERT_EQ(DrawSym(*writer, *sym, &area).status, 0);
            const kt::Raster r = Snapshot(*writer);
            int textPixels = 0;
            int misplaced = 0;
            for (int along = 0; along < f.length; ++along) {
                for (int across = 0; across < f.cross; ++across) {
                    const bool inBand = below ? across >= f.cross - th : across < th;
                    const auto [x, y] = f.Pixel(along, across);
                    const std::uint32_t c = r.At(x, y);
                    if (c == White || (c == Blue && !inBand))
                        continue;
                    ++(inBand ? textPixels : misplaced);
                }
            }
            EXPECT_GT(textPixels, 20) << "orientation " << orientation << " below " << below;
            EXPECT_EQ(misplaced, 0) << "orientation " << orientation << " below " << below;
        }
    }
}

TEST(EngineDraw, PlainTextAlignmentOverTheBars)
{
    // Area 300 wide: m = 12, bars at 126..173, margin 126 on both sides.
    const int th = TextHeight();
    struct Case {
        int textAlign;
        const char* where; // "start", "end" or "centre" of the bars
    };
    const Case cases[] = {
        {0, "start"}, {1, "end"},   {2, "centre"}, {3, "start"}, // spread: one glyph stays at the start
        {4, "start"}, {5, "start"}, {6, "start"},                // EAN layouts fall back to the start
    };
    for (const Case& c : cases) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_TextAlign = c.textAlign;
        s.m_Data = "I";
        auto sym = MakeSym(Modules("1011"), s);
        auto writer = MakeWriter(300, th + 40);
        const Rect area{0, 300, 0, th + 40};
        const Drawn drawn = DrawSym(*writer, *sym, &area);
        ASSERT_EQ(drawn.status, 0);
        ASSERT_EQ(drawn.module, 12);
        const et::Box ink = et::InkBox(Snapshot(*writer), 0, 300, 40, 40 + th);
        ASSERT_FALSE(ink.Empty()) << c.textAlign;
        const std::string where = c.where;
        if (where == "start") {
            EXPECT_GE(ink.left, 126) << c.textAlign;
            EXPECT_LE(ink.left, 130) << c.textAlign;
        } else if (where == "end") {
            EXPECT_LE(ink.right, 173) << c.textAlign;
            EXPECT_GE(ink.right, 169) << c.textAlign;
        } else {
            EXPECT_NEAR((ink.left + ink.right) / 2.0, 149.5, 3.0) << c.textAlign;
        }
    }
}

TEST(EngineDraw, AreasBeyondTheRasterAndInt32)
{
    // Areas the run never builds; nothing may crash or be drawn outside the area.
    const Rect areas[] = {
        {-10, 50, -5, 45},
        {INT32_MIN, INT32_MAX, 0, 10},
        {INT32_MAX - 5, INT32_MAX, 0, 10},
        {30, 10, 0, 10}, // right before left
    };
    for (const Rect& area : areas) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_BarReduction = -99;
        s.m_QuietZones = false;
        s.m_ShowText = false;
        auto sym = MakeSym(Modules("1011"), s);
        auto writer = MakeWriter(40, 40);
        const int status = DrawSym(*writer, *sym, &area).status;
        EXPECT_TRUE(status == 0 || status == 5) << area.left << ".." << area.right;
    }
}

// ---- Whole runs read back by a decoder ---------------------------------------

TEST(EngineRoundTrip, Code128ReadsInEveryOrientationWidthAndColour)
{
    struct Case {
        const char* orientation;
        const char* xdim;
        const char* bars;
        const char* back;
        const char* reduction;
    };
    const Case cases[] = {
        {"0", "1", "000000", "ffffff", "0"},    {"90", "2", "000080", "ffffff", "0"}, // navy bars
        {"180", "3", "202020", "ffffe0", "0"}, // light yellow background
        {"270", "2", "400000", "ffffff", "0"},  {"0", "3", "000000", "ffffff", "30"}, // narrowed bars
        {"90", "3", "000000", "ffffff", "-30"},                                       // widened bars
    };
    for (const Case& c : cases) {
        const std::string png =
            kt::ScratchPath(std::string("engine_rt_") + c.orientation + "_" + c.xdim + ".png");
        const kt::RunResult run = kt::RunKavren({"-t", "7", "-d", "Engine-42", "-o", c.orientation, "-n",
                                                 c.xdim, "-r", c.bars, "-b", c.back, "-j", c.reduction, png});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> read = kt::Zbar(png);
        EXPECT_EQ(read, std::vector<std::string>{"CODE-128:Engine-42"})
            << "orientation " << c.orientation << " x-dimension " << c.xdim << " reduction " << c.reduction;
    }
}

} // namespace
