// PostNet and Planet drawn by the program: the tall/short sequence, bar and gap
// widths, the common baseline and the text band, read back from the PNG across
// orientations, module widths, both sizing modes and text positions.
#include "image/MyPngWriter.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

enum class Text { Below, Above, Hidden };

long Distance(std::uint32_t a, std::uint32_t b)
{
    long d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const long v = static_cast<long>((a >> shift) & 0xff) - static_cast<long>((b >> shift) & 0xff);
        d += v * v;
    }
    return d;
}

// The reader applies the file's gamma, so colours read back shift a little:
// pixels are told apart by the nearest of the colours used.
struct Palette {
    std::vector<std::string> options;
    std::uint32_t bar, text, back; // as kt::Raster::At gives them
    bool IsBar(std::uint32_t p) const
    {
        return Distance(p, bar) < Distance(p, text) && Distance(p, bar) < Distance(p, back);
    }
    bool IsText(std::uint32_t p) const { return !IsBar(p) && Distance(p, back) > 40 * 40; }
};

// The defaults (black bars and text on white; text pixels are told apart only
// by their band), and dark blue bars with red text on pale yellow.
const Palette kPlain{{}, 0x000000, 0x808080, 0xffffff};
const Palette kColoured{{"-r", "000080", "-e", "ff0000", "-b", "ffffc0"}, 0x800000, 0x0000ff, 0xc0ffff};

struct Case {
    int type; // 17 PostNet, 18 Planet
    const char* data;
    const char* encoded; // check digit included
    int orientation;
    std::vector<std::string> options;
    Text text;
    int module, reduction; // expected pixels
    const Palette& palette;
};

const std::vector<std::string> kNone;

const Case kCases[] = {
    {17, "12345", "123455", 0, kNone, Text::Below, 2, 0, kPlain}, // all defaults: x-dimension 2
    {18, "12345", "123455", 0, kNone, Text::Below, 2, 0, kPlain}, // Planet: inverse data bars
    {17, "555551237", "5555512372", 90, {"-n", "3"}, Text::Above, 3, 0, kColoured}, // digit sum 38
    {18, "0123456789", "01234567895", 180, {"-n", "1"}, Text::Hidden, 1, 0, kColoured},
    {17, "19", "19", 270, {"-n", "4", "-k", "0"}, Text::Below, 4, 0, kColoured},
    {17, "12345", "123455", 0, {"-x", "400", "-y", "120"}, Text::Above, 4, 0, kColoured}, // fixed: 400 / 83
    {18, "98765", "987655", 90, {"-y", "500", "-x", "90"}, Text::Below, 6, 0, kColoured}, // fixed: 500 / 83
    {17, "12345", "123455", 180, {"-x", "300", "-y", "60", "-j", "50"}, Text::Below, 3, 1, kColoured},
    {17, "12345", "123455", 270, {"-n", "2", "-q", "0"}, Text::Hidden, 2, 0, kColoured}, // no quiet zones
};

int TextBandHeight(int fontHeight)
{
    CMyPngWriter writer(10, 10, nullptr, 96, 96, 0xffffff, -1);
    EXPECT_TRUE(writer.Init());
    return writer.MeasureTextHeight(fontHeight);
}

struct Bar {
    int left, right, top, bottom; // inclusive
};

// Runs of columns holding bar pixels within rows [top, bottom); every column
// of a bar must cover the same unbroken rows.
std::vector<Bar> FindBars(const kt::Raster& r, const Palette& palette, int top, int bottom)
{
    std::vector<Bar> bars;
    bool inBar = false;
    for (int x = 0; x < r.width; ++x) {
        Bar column{x, x, -1, -1};
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            if (palette.IsBar(r.At(x, y))) {
                column.top = column.top < 0 ? y : column.top;
                column.bottom = y;
                ++count;
            }
        }
        EXPECT_TRUE(count == 0 || count == column.bottom - column.top + 1) << "holes in column " << x;
        if (count > 0 && inBar) {
            EXPECT_TRUE(bars.back().top == column.top && bars.back().bottom == column.bottom)
                << "column " << x;
            bars.back().right = x;
        } else if (count > 0) {
            bars.push_back(column);
        }
        inBar = count > 0;
    }
    return bars;
}

} // namespace

TEST(PostalDraw, TallShortSequenceReadBackFromThePicture)
{
    const int textBand = TextBandHeight(14);
    int run = 0;
    for (const Case& c : kCases) {
        std::vector<std::string> args = {"-t", std::to_string(c.type),       "-d", c.data,
                                         "-o", std::to_string(c.orientation)};
        for (const auto* more : {&c.options, &c.palette.options})
            args.insert(args.end(), more->begin(), more->end());
        if (c.text != Text::Below) {
            args.emplace_back(c.text == Text::Above ? "-p" : "-s");
            args.emplace_back("0");
        }
        SCOPED_TRACE(::testing::PrintToString(args));
        const kt::Raster r =
            kt::Upright(kt::RunToRaster(args, "postal" + std::to_string(run++) + ".png"), c.orientation);
        ASSERT_GT(r.height, textBand);

        // The bar band: the whole cross extent less the text band on its side.
        const int band = c.text == Text::Hidden ? 0 : textBand;
        const int bandTop = c.text == Text::Above ? band : 0;
        const int bandBottom = c.text == Text::Below ? r.height - band : r.height;
        // Black text would pass for bars: then look only inside the band.
        const bool plain = &c.palette == &kPlain;
        const std::vector<Bar> bars =
            FindBars(r, c.palette, plain ? bandTop : 0, plain ? bandBottom : r.height);
        const std::string expected = kt::PostalBars(c.encoded, c.type == 17);
        ASSERT_EQ(bars.size(), expected.size());

        // Along: bars of a module less the reduction, one module apart, centred.
        const int m = c.module;
        const bool quiet = std::find(args.begin(), args.end(), "-q") == args.end();
        const int freeSpace = r.width - (static_cast<int>(2 * bars.size() - 1) + (quiet ? 20 : 0)) * m;
        EXPECT_EQ(bars.front().left, freeSpace / 2 + (quiet ? 10 * m : 0));
        for (std::size_t i = 0; i < bars.size(); ++i) {
            EXPECT_EQ(bars[i].right - bars[i].left + 1, m - c.reduction) << "bar " << i;
            EXPECT_EQ(bars[i].left - bars[i > 0 ? i - 1 : 0].left, i > 0 ? 2 * m : 0) << "bar " << i;
        }

        // Across: tall bars fill the band, short ones are 40 % of it, all on
        // the band's bottom edge.
        const int tall = bandBottom - bandTop;
        std::string seen;
        for (const Bar& b : bars) {
            EXPECT_EQ(b.bottom, bandBottom - 1);
            const int height = b.bottom - b.top + 1;
            EXPECT_TRUE(height == tall || height == (2 * tall + 2) / 5) << height;
            seen += height == tall ? 'T' : 'S';
        }
        EXPECT_EQ(seen, expected);

        // Text: ink outside the bar band exactly when it is shown.
        int inBand = 0;
        int outside = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                if (c.palette.IsText(r.At(x, y)))
                    ++(y >= bandTop && y < bandBottom ? inBand : outside);
        EXPECT_EQ(inBand, 0);
        EXPECT_EQ(outside > 0, c.text != Text::Hidden);
    }
}

// It fits when the length fits and the bars have room for a 1-pixel short bar;
// bad data is reported, and no file is written for either.
TEST(PostalDraw, StatusOfTooSmallAreasAndBadData)
{
    const struct {
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {{"-x", "83", "-y", "50"}, 0},           // exactly the length at module width 1
        {{"-x", "82", "-y", "50"}, 5},           // one pixel short
        {{"-x", "83", "-y", "2", "-s", "0"}, 0}, // tall 2, short 1
        {{"-x", "83", "-y", "1", "-s", "0"}, 5}, // tall and short would look the same
        {{"-o", "90", "-y", "83", "-x", "1", "-s", "0"}, 5},
        {{"-d", "12a45"}, 6},
    };
    int run = 0;
    for (const auto& r : rows) {
        std::vector<std::string> args = {"-t", "17", "-d", "12345"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        const std::string path = kt::ScratchPath("postal_status" + std::to_string(run++) + ".png");
        args.push_back(path);
        EXPECT_EQ(kt::RunKavren(args).status, r.status) << ::testing::PrintToString(args);
        EXPECT_EQ(kt::FileExists(path), r.status == 0) << ::testing::PrintToString(args);
    }
}
