// PostNet and Planet drawn by the program: the tall/short sequence, bar and gap
// widths, the common baseline and the text band, read back from the PNG across
// orientations, module widths, both sizing modes and text positions.
#include "image/MyPngWriter.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

enum class Text { Below, Above, Hidden };

struct Case {
    int type; // 17 PostNet, 18 Planet
    const char* data;
    const char* encoded; // digits in the bars, check digit included
    int orientation;
    std::vector<std::string> options; // sizing and the rest
    Text text;
    int module;    // expected module width
    int reduction; // expected bar reduction in pixels
    bool quietZones;
};

const Case kCases[] = {
    // All defaults: x-dimension 2, text below, check digit 5.
    {17, "12345", "123455", 0, {}, Text::Below, 2, 0, true},
    // Planet of the same data: the inverse data bars.
    {18, "12345", "123455", 0, {}, Text::Below, 2, 0, true},
    // ZIP+4 turned upward, text above: digit sum 38, check digit 2.
    {17, "555551237", "5555512372", 90, {"-n", "3"}, Text::Above, 3, 0, true},
    // Every digit, upside down, one-pixel modules, no text.
    {18, "0123456789", "01234567895", 180, {"-n", "1"}, Text::Hidden, 1, 0, true},
    // No check digit, reading downward, wide modules.
    {17, "19", "19", 270, {"-n", "4", "-k", "0"}, Text::Below, 4, 0, true},
    // Fixed size: 400 / 83 modules gives 4 pixels, centred.
    {17, "12345", "123455", 0, {"-x", "400", "-y", "120"}, Text::Above, 4, 0, true},
    // Fixed size along a vertical reading direction: 500 / 83 gives 6.
    {18, "98765", "987655", 90, {"-y", "500", "-x", "90"}, Text::Below, 6, 0, true},
    // Bar reduction of 50 % at 3 pixels: bars 2 pixels, gaps 4.
    {17, "12345", "123455", 180, {"-x", "300", "-y", "60", "-j", "50"}, Text::Below, 3, 1, true},
    // Without quiet zones the first bar starts at the edge of the picture.
    {17, "12345", "123455", 270, {"-n", "2", "-q", "0"}, Text::Hidden, 2, 0, false},
};

constexpr const char* kBarColour = "000080";  // dark blue bars
constexpr const char* kTextColour = "ff0000"; // red text, told apart from bars
constexpr const char* kBackColour = "ffffc0"; // pale yellow background

// RRGGBB text to the layout of kt::Raster::At (red in the low byte).
std::uint32_t PixelValue(const char* rrggbb)
{
    const auto v = static_cast<std::uint32_t>(std::stoul(rrggbb, nullptr, 16));
    return ((v >> 16) & 0xff) | (v & 0xff00) | ((v & 0xff) << 16);
}

long Distance(std::uint32_t a, std::uint32_t b)
{
    long d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const long v = static_cast<long>((a >> shift) & 0xff) - static_cast<long>((b >> shift) & 0xff);
        d += v * v;
    }
    return d;
}

// Colours as read back may shift slightly (the reader applies the file's
// gamma), so pixels are told apart by the nearest of the three colours used.
struct Palette {
    std::uint32_t bar, text, back;
    bool IsBar(std::uint32_t p) const
    {
        return Distance(p, bar) < Distance(p, text) && Distance(p, bar) < Distance(p, back);
    }
    // Text, anti-aliased: anything clearly apart from both bars and background.
    bool IsText(std::uint32_t p) const { return !IsBar(p) && Distance(p, back) > 40 * 40; }
};

// The height of the text band as the program measures it for a font height.
int TextBandHeight(int fontHeight)
{
    CMyPngWriter writer(10, 10, nullptr, 96, 96, 0xffffff, -1);
    EXPECT_TRUE(writer.Init());
    return writer.MeasureTextHeight(fontHeight);
}

struct Bar {
    int left = 0, right = 0; // columns, inclusive
    int top = 0, bottom = 0; // rows, inclusive
};

// The bars of an upright picture: runs of columns holding bar-coloured pixels,
// each with the rows it covers (which must be contiguous and equal across its columns).
std::vector<Bar> FindBars(const kt::Raster& r, const Palette& palette, int rows)
{
    std::vector<Bar> bars;
    bool inBar = false;
    for (int x = 0; x < r.width; ++x) {
        int top = -1;
        int bottom = -1;
        int count = 0;
        for (int y = 0; y < rows; ++y) {
            if (palette.IsBar(r.At(x, y))) {
                top = top < 0 ? y : top;
                bottom = y;
                ++count;
            }
        }
        if (count == 0) {
            inBar = false;
            continue;
        }
        EXPECT_EQ(count, bottom - top + 1) << "bar column " << x << " has holes";
        if (inBar) {
            EXPECT_EQ(bars.back().top, top) << "column " << x;
            EXPECT_EQ(bars.back().bottom, bottom) << "column " << x;
            bars.back().right = x;
        } else {
            bars.push_back(Bar{x, x, top, bottom});
            inBar = true;
        }
    }
    return bars;
}

std::vector<std::string> Args(const Case& c)
{
    std::vector<std::string> args = {"-t", std::to_string(c.type),
                                     "-d", c.data,
                                     "-o", std::to_string(c.orientation),
                                     "-r", kBarColour,
                                     "-e", kTextColour,
                                     "-b", kBackColour};
    args.insert(args.end(), c.options.begin(), c.options.end());
    if (c.text == Text::Above)
        args.insert(args.end(), {"-p", "0"});
    if (c.text == Text::Hidden)
        args.insert(args.end(), {"-s", "0"});
    return args;
}

} // namespace

TEST(PostalDraw, TallShortSequenceReadBackFromThePicture)
{
    const int textBand = TextBandHeight(14);
    ASSERT_GT(textBand, 0);
    int run = 0;
    for (const Case& c : kCases) {
        const auto args = Args(c);
        SCOPED_TRACE(::testing::PrintToString(args));
        const kt::Raster r =
            kt::Upright(kt::RunToRaster(args, "postal_" + std::to_string(run++) + ".png"), c.orientation);
        ASSERT_GT(r.width, 0);
        const Palette palette{PixelValue(kBarColour), PixelValue(kTextColour), PixelValue(kBackColour)};
        const std::vector<Bar> bars = FindBars(r, palette, r.height);
        const std::string expected = kt::PostalBars(c.encoded, c.type == 17);
        ASSERT_EQ(bars.size(), expected.size());

        // Widths: every bar is a module less the reduction, every gap a module plus it.
        const int m = c.module;
        const int modules = static_cast<int>(2 * expected.size() - 1) + (c.quietZones ? 20 : 0);
        const int freeSpace = r.width - modules * m;
        ASSERT_GE(freeSpace, 0);
        EXPECT_EQ(bars.front().left, freeSpace / 2 + (c.quietZones ? 10 * m : 0));
        for (std::size_t i = 0; i < bars.size(); ++i) {
            EXPECT_EQ(bars[i].right - bars[i].left + 1, m - c.reduction) << "bar " << i;
            if (i > 0) {
                EXPECT_EQ(bars[i].left - bars[i - 1].left, 2 * m) << "bar " << i;
            }
        }

        // Heights: one baseline, tall bars the whole bar band, short ones 40 % of it.
        int tall = 0;
        int shortest = r.height;
        for (const Bar& b : bars) {
            EXPECT_EQ(b.bottom, bars.front().bottom);
            tall = std::max(tall, b.bottom - b.top + 1);
            shortest = std::min(shortest, b.bottom - b.top + 1);
        }
        EXPECT_EQ(shortest, (2 * tall + 2) / 5);
        std::string seen;
        for (const Bar& b : bars)
            seen += b.bottom - b.top + 1 == tall ? 'T' : 'S';
        EXPECT_EQ(seen, expected);

        // The bar band and the text band: the bars stand on the band's edge
        // farther from the top edge, the text lies wholly on its own side.
        const int baseline = bars.front().bottom;
        const int tallTop = baseline - tall + 1;
        const int band = c.text == Text::Hidden ? 0 : textBand;
        EXPECT_EQ(tall, r.height - band);
        EXPECT_EQ(tallTop, c.text == Text::Above ? band : 0);
        EXPECT_EQ(baseline, c.text == Text::Below ? r.height - band - 1 : r.height - 1);
        int textPixels = 0;
        for (int y = 0; y < r.height; ++y) {
            for (int x = 0; x < r.width; ++x) {
                if (!palette.IsText(r.At(x, y)))
                    continue;
                ++textPixels;
                if (c.text == Text::Below) {
                    ASSERT_GT(y, baseline) << x;
                } else {
                    ASSERT_LT(y, tallTop) << x;
                }
            }
        }
        EXPECT_EQ(textPixels > 0, c.text != Text::Hidden);
    }
}

// The worked example: 63 elements, the PostNet bars of 123455, and Planet's
// inverse with tall frame bars, at the default settings.
TEST(PostalDraw, DefaultRunOfTheWorkedExample)
{
    for (const int type : {17, 18}) {
        const kt::Raster r =
            kt::RunToRaster({"-t", std::to_string(type), "-d", "12345"}, "postal_default.png");
        // Black bars and black text: look only above the text band.
        const Palette palette{0x000000, 0x808080, 0xffffff};
        const std::vector<Bar> bars = FindBars(r, palette, r.height - TextBandHeight(14));
        ASSERT_EQ(bars.size(), 32U); // 32 bars and 31 gaps
        EXPECT_EQ(bars.back().right + 1 - bars.front().left, 63 * 2);
        std::string seen;
        const int tall = bars.front().bottom - bars.front().top;
        for (const Bar& b : bars)
            seen += b.bottom - b.top == tall ? 'T' : 'S';
        EXPECT_EQ(seen, type == 17 ? "TSSSTTSSTSTSSTTSSTSSTSTSTSSTSTST" : "TTTTSSTTSTSTTSSTTSTTSTSTSTTSTSTT");
    }
}

// It fits when the length fits and the bars have room for a 1-pixel short bar;
// bad data is reported, never drawn.
TEST(PostalDraw, StatusOfTooSmallAreasAndBadData)
{
    const struct {
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {{"-x", "83", "-y", "50"}, 0},           // exactly the length at module width 1
        {{"-x", "82", "-y", "50"}, 5},           // one pixel short
        {{"-x", "83", "-y", "2", "-s", "0"}, 0}, // tall 2, short 1
        {{"-x", "83", "-y", "1", "-s", "0"}, 5}, // tall and short would both be 1 pixel
        {{"-o", "90", "-y", "83", "-x", "1", "-s", "0"}, 5},
        {{"-d", "12a45"}, 6},
        {{"-d", ""}, 6},
    };
    int run = 0;
    for (const auto& r : rows) {
        std::vector<std::string> args = {"-t", "17", "-d", "12345"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        const std::string path = kt::ScratchPath("postal_status_" + std::to_string(run++) + ".png");
        args.push_back(path);
        const kt::RunResult result = kt::RunKavren(args);
        EXPECT_EQ(result.status, r.status) << ::testing::PrintToString(args) << result.err;
        EXPECT_EQ(kt::FileExists(path), r.status == 0) << ::testing::PrintToString(args);
    }
}
