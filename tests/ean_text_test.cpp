// Where the human-readable digits of EAN-13, EAN-8, UPC-A and UPC-E land: the
// digit groups under their halves, the digits outside the bars in text modes
// 4 and 5, flush against inset groups, and guard bars reaching into the band.
// Text is drawn in red over black bars so its pixels are told apart by colour.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int M = 3; // module width in pixels for every picture here

struct Geometry {
    int type;
    const char* data; // gives the display text with the check digit shown
    int modules;      // symbol length
    int barsEnd;      // modules up to the end of the last bar
    int group1Offset, group1Span, group2Offset, group2Span; // span 0: no second group
};

// Group placement of ISO/IEC 15420 layouts: groups under the left and right halves.
const Geometry Geometries[] = {
    {11, "590123412345", 95, 95, 3, 43, 49, 43},
    {13, "03600029145", 95, 95, 3, 43, 49, 43},
    {10, "9638507", 67, 67, 3, 29, 35, 29},
    {14, "04210000526", 52, 51, 3, 43, 0, 0}, // the end pattern closes with a space
};

const Geometry& GeometryOf(int type)
{
    for (const Geometry& g : Geometries)
        if (g.type == type)
            return g;
    throw std::invalid_argument("no geometry");
}

// The picture turned back to orientation 0: bars from the top edge, reading left to right.
kt::Raster Unrotate(const kt::Raster& r, int orientation)
{
    if (orientation == 0)
        return r;
    kt::Raster u;
    const bool swap = orientation == 90 || orientation == 270;
    u.width = swap ? r.height : r.width;
    u.height = swap ? r.width : r.height;
    u.rgb.resize(r.rgb.size());
    for (int y = 0; y < u.height; ++y) {
        for (int x = 0; x < u.width; ++x) {
            int sx = x, sy = y;
            if (orientation == 90) {
                sx = y;
                sy = r.height - 1 - x;
            } else if (orientation == 180) {
                sx = r.width - 1 - x;
                sy = r.height - 1 - y;
            } else {
                sx = r.width - 1 - y;
                sy = x;
            }
            std::copy_n(&r.rgb[static_cast<std::size_t>((sy * r.width + sx) * 3)], 3,
                        &u.rgb[static_cast<std::size_t>((y * u.width + x) * 3)]);
        }
    }
    return u;
}

bool IsText(std::uint32_t c)
{
    const int red = static_cast<int>(c & 0xff);
    const int green = static_cast<int>((c >> 8) & 0xff);
    return red - green > 40;
}

// Columns holding text pixels, and the text's row range.
struct TextInk {
    std::vector<bool> columns;
    int top = -1;
    int bottom = -1;
};

TextInk FindText(const kt::Raster& r)
{
    TextInk ink;
    ink.columns.assign(static_cast<std::size_t>(r.width), false);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (IsText(r.At(x, y))) {
                ink.columns[static_cast<std::size_t>(x)] = true;
                if (ink.top < 0)
                    ink.top = y;
                ink.bottom = y;
            }
    return ink;
}

// Separate characters (runs of inked columns) within [from, to).
int CountGlyphs(const TextInk& ink, int from, int to)
{
    int count = 0;
    for (int x = std::max(from, 0); x < std::min<int>(to, static_cast<int>(ink.columns.size())); ++x)
        if (ink.columns[static_cast<std::size_t>(x)] &&
            (x == from || !ink.columns[static_cast<std::size_t>(x - 1)]))
            ++count;
    return count;
}

int FirstInk(const TextInk& ink, int from, int to)
{
    for (int x = std::max(from, 0); x < std::min<int>(to, static_cast<int>(ink.columns.size())); ++x)
        if (ink.columns[static_cast<std::size_t>(x)])
            return x;
    return -1;
}

struct Case {
    const char* note;
    int type;
    int mode;        // -l
    bool check;      // -c
    bool flush;      // -f
    bool quietZones; // -q
    bool textBelow;  // -p
    bool guards;     // -u
    int orientation;
    // Expected characters left of the bars, in group 1, in group 2, right of the bars.
    int left, group1, group2, right;
};

const Case Cases[] = {
    {"EAN-13 mode 4: first digit outside, 6 + 6", 11, 4, true, false, true, true, true, 0, 1, 6, 6, 0},
    {"EAN-13 mode 5: check digit outside right", 11, 5, true, false, true, true, true, 0, 1, 5, 6, 1},
    {"EAN-13 mode 5 without check digit: last data digit outside", 11, 5, false, false, true, true, true, 0,
     1, 5, 5, 1},
    {"EAN-13 mode 6", 11, 6, true, false, true, true, true, 0, 0, 6, 7, 0},
    {"EAN-13 mode 6 without check digit", 11, 6, false, false, true, true, true, 0, 0, 6, 6, 0},
    {"EAN-13 mode 0 with guards: mode 6 groups", 11, 0, true, false, true, true, true, 0, 0, 6, 7, 0},
    {"EAN-13 mode 4 without quiet zones: mode 6", 11, 4, true, false, false, true, true, 0, 0, 6, 7, 0},
    {"EAN-13 mode 5 flush", 11, 5, true, true, true, true, true, 0, 1, 5, 6, 1},
    {"EAN-13 mode 4 text above", 11, 4, true, false, true, false, true, 0, 1, 6, 6, 0},
    {"EAN-13 mode 5 at 90", 11, 5, true, false, true, true, true, 90, 1, 5, 6, 1},
    {"EAN-13 mode 5 at 180", 11, 5, true, false, true, true, true, 180, 1, 5, 6, 1},
    {"EAN-13 mode 5 at 270", 11, 5, true, false, true, true, true, 270, 1, 5, 6, 1},
    {"EAN-13 mode 4 at 90 text above", 11, 4, true, false, true, false, true, 90, 1, 6, 6, 0},
    {"EAN-13 mode 6 at 270 text above, flush", 11, 6, true, true, true, false, true, 270, 0, 6, 7, 0},
    {"UPC-A mode 4: number system outside, 5 + 6", 13, 4, true, false, true, true, true, 0, 1, 5, 6, 0},
    {"UPC-A mode 5: 5 + 5 and the check digit outside", 13, 5, true, false, true, true, true, 0, 1, 5, 5, 1},
    {"UPC-A mode 5 without check digit", 13, 5, false, false, true, true, true, 0, 1, 5, 4, 1},
    {"UPC-A mode 6", 13, 6, true, false, true, true, true, 0, 0, 6, 6, 0},
    {"UPC-A mode 5 at 180", 13, 5, true, false, true, true, true, 180, 1, 5, 5, 1},
    {"EAN-8 mode 4", 10, 4, true, false, true, true, true, 0, 1, 3, 4, 0},
    {"EAN-8 mode 5", 10, 5, true, false, true, true, true, 0, 1, 3, 3, 1},
    {"EAN-8 mode 6", 10, 6, true, false, true, true, true, 0, 0, 4, 4, 0},
    {"EAN-8 mode 0 with guards: 4 + 4", 10, 0, true, false, true, true, true, 0, 0, 4, 4, 0},
    {"EAN-8 mode 5 at 90 flush", 10, 5, true, true, true, true, true, 90, 1, 3, 3, 1},
    {"UPC-E mode 4: 7 under the bars", 14, 4, true, false, true, true, true, 0, 1, 7, 0, 0},
    {"UPC-E mode 5: check digit outside right", 14, 5, true, false, true, true, true, 0, 1, 6, 0, 1},
    {"UPC-E mode 5 without check digit", 14, 5, false, false, true, true, true, 0, 1, 5, 0, 1},
    {"UPC-E mode 6", 14, 6, true, false, true, true, true, 0, 0, 8, 0, 0},
    {"UPC-E mode 5 at 270", 14, 5, true, false, true, true, true, 270, 1, 6, 0, 1},
    {"UPC-E mode 4 without guards", 14, 4, true, false, true, true, false, 0, 1, 7, 0, 0},
};

kt::Raster Render(const Case& c)
{
    const Geometry& g = GeometryOf(c.type);
    const std::string path = kt::ScratchPath("text.png");
    // Only the cross extent is given, so the picture is sized to M pixels per module.
    const bool across = c.orientation == 0 || c.orientation == 180;
    const kt::RunResult run = kt::RunKavren({"-t",
                                             std::to_string(c.type),
                                             "-d",
                                             g.data,
                                             "-n",
                                             std::to_string(M),
                                             "-l",
                                             std::to_string(c.mode),
                                             "-c",
                                             c.check ? "1" : "0",
                                             "-f",
                                             c.flush ? "1" : "0",
                                             "-q",
                                             c.quietZones ? "1" : "0",
                                             "-p",
                                             c.textBelow ? "1" : "0",
                                             "-u",
                                             c.guards ? "1" : "0",
                                             "-o",
                                             std::to_string(c.orientation),
                                             "-e",
                                             "ff0000",
                                             across ? "-y" : "-x",
                                             "150",
                                             path});
    kt::Raster r;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(kt::ReadPng(path, r));
    return Unrotate(r, c.orientation);
}

TEST(EanUpcText, DigitsLandInTheirGroups)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.note);
        const Geometry& g = GeometryOf(c.type);
        const kt::Raster r = Render(c);
        const TextInk ink = FindText(r);
        const int x0 = c.quietZones ? 10 * M : 0; // first module of the symbol
        const int inset = c.flush ? 0 : M;
        const int g1From = x0 + g.group1Offset * M + inset;
        const int g1To = x0 + (g.group1Offset + g.group1Span) * M - inset;
        const int g2From = x0 + g.group2Offset * M + inset;
        const int g2To = x0 + (g.group2Offset + g.group2Span) * M - inset;
        const int end = x0 + g.barsEnd * M;

        // Outside digits stand clear of the bars: the left one ends a module before the first bar.
        EXPECT_EQ(CountGlyphs(ink, 0, x0 - M), c.left);
        EXPECT_EQ(CountGlyphs(ink, x0 - M, x0), 0);
        EXPECT_EQ(CountGlyphs(ink, g1From, g1To), c.group1);
        if (g.group2Span > 0) {
            EXPECT_EQ(CountGlyphs(ink, g2From, g2To), c.group2);
        }
        EXPECT_EQ(CountGlyphs(ink, end, r.width), c.right);
        // Nothing outside those places.
        const int total = c.left + c.group1 + c.group2 + c.right;
        EXPECT_EQ(CountGlyphs(ink, 0, r.width), total);
        EXPECT_EQ(r.width, x0 + g.modules * M + x0);
        if (c.right > 0) { // one module past the last bar
            EXPECT_GE(FirstInk(ink, end, r.width), end + M);
        }
    }
}

// A flush group starts one module earlier than an inset one.
TEST(EanUpcText, FlushGroupsStartOneModuleEarlier)
{
    for (const int type : {11, 13, 10, 14}) {
        for (const int orientation : {0, 90, 180, 270}) {
            SCOPED_TRACE("type " + std::to_string(type) + " at " + std::to_string(orientation));
            Case c{"", type, 6, true, false, true, true, true, orientation, 0, 0, 0, 0};
            const TextInk inset = FindText(Render(c));
            c.flush = true;
            const TextInk flush = FindText(Render(c));
            const Geometry& g = GeometryOf(type);
            const int g1 = 10 * M + g.group1Offset * M;
            EXPECT_EQ(FirstInk(inset, 0, 1000) - FirstInk(flush, 0, 1000), M);
            if (g.group2Span > 0) {
                const int g2 = 10 * M + g.group2Offset * M;
                EXPECT_EQ(FirstInk(inset, g2, 1000) - FirstInk(flush, g2 - M / 2, 1000), M);
            }
            EXPECT_GE(FirstInk(flush, 0, 1000), g1);
        }
    }
}

// Dark run lengths down one column: guard bars reach half the text band further.
TEST(EanUpcText, GuardBarsReachIntoTheTextBand)
{
    const struct {
        const char* note;
        bool text, guards, below;
        bool longer;
    } rows[] = {
        {"text below, guards", true, true, true, true},
        {"text above, guards", true, true, false, true},
        {"guards off", true, false, true, false},
        {"text off", false, true, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.note);
        const std::string path = kt::ScratchPath("guards.png");
        ASSERT_EQ(kt::RunKavren({"-t", "11", "-d", "590123412345", "-n", std::to_string(M), "-y", "150", "-e",
                                 "ff0000", "-s", row.text ? "1" : "0", "-u", row.guards ? "1" : "0", "-p",
                                 row.below ? "1" : "0", path})
                      .status,
                  0);
        kt::Raster r;
        ASSERT_TRUE(kt::ReadPng(path, r));
        const int x0 = 10 * M;
        // Module 0 is a guard bar; module 3..9 is the first digit (9 in set A: 0001011),
        // whose bar starts at module 3 + 3.
        const auto dark = [&](int x) {
            int top = -1, bottom = -1;
            for (int y = 0; y < r.height; ++y)
                if (r.At(x, y) == 0) {
                    if (top < 0)
                        top = y;
                    bottom = y;
                }
            return std::pair{top, bottom};
        };
        const auto guard = dark(x0);
        const auto bar = dark(x0 + 6 * M);
        ASSERT_GE(bar.first, 0);
        if (!row.longer) {
            EXPECT_EQ(guard, bar);
        } else if (row.below) {
            EXPECT_EQ(guard.first, bar.first);
            EXPECT_GT(guard.second, bar.second);
        } else {
            EXPECT_LT(guard.first, bar.first);
            EXPECT_EQ(guard.second, bar.second);
        }
    }
}

// Text band side: the digits lie wholly below or wholly above the bars.
TEST(EanUpcText, TextAboveOrBelowTheBars)
{
    for (const bool below : {true, false}) {
        SCOPED_TRACE(below ? "below" : "above");
        const Case c{"", 11, 6, true, false, true, below, true, 0, 0, 0, 0, 0};
        const kt::Raster r = Render(c);
        const TextInk ink = FindText(r);
        int barTop = -1, barBottom = -1;
        const int x = 10 * M + 6 * M; // a normal bar
        for (int y = 0; y < r.height; ++y)
            if (r.At(x, y) == 0) {
                if (barTop < 0)
                    barTop = y;
                barBottom = y;
            }
        ASSERT_GE(ink.top, 0);
        if (below) {
            EXPECT_GT(ink.top, barBottom);
        } else {
            EXPECT_LT(ink.bottom, barTop);
        }
    }
}

} // namespace

// Guards off with text modes 0..3 is the plain layout of every symbology: one
// string from the first module; guards on with mode 0 splits it into groups.
TEST(EanUpcText, PlainLayoutOnlyWithoutGuards)
{
    const struct {
        const char* note;
        bool guards;
        int firstInkFrom, firstInkTo; // in modules from the first module
    } rows[] = {
        {"guards off, mode 0: plain text at the first module", false, 0, 1},
        {"guards on, mode 0: group 1 inset past the start guard", true, 4, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.note);
        Case c{"", 11, 0, true, false, true, true, row.guards, 0, 0, 0, 0, 0};
        const TextInk ink = FindText(Render(c));
        const int x0 = 10 * M;
        const int first = FirstInk(ink, 0, 1000);
        EXPECT_GE(first, x0 + row.firstInkFrom * M);
        EXPECT_LT(first, x0 + row.firstInkTo * M);
    }
}
