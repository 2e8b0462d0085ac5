// Code 11: the start/stop character S at both ends, gaps, no check characters,
// the text with and without S, and the bars as drawn. No decoder here reads
// Code 11, so the drawn bar and space widths are measured from the PNG.
#include "symbologies/Code11.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

#include <algorithm>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// USD-8 Code 11 characters as modules, a wide element 2 modules.
const std::string S = "1011001", HYPHEN = "101101";
const std::string D[10] = {"101011",  "1101011", "1001011", "1100101", "1011011",
                           "1101101", "1001101", "1010011", "1101001", "110101"};

// The characters with a one-module gap between neighbours.
std::string Join(std::initializer_list<std::string> characters)
{
    std::string out;
    for (const auto& c : characters)
        out += (out.empty() ? "" : "0") + c;
    return out;
}

const std::string WORKED = Join({S, D[1], D[2], D[3], HYPHEN, D[4], D[5], S});
const std::string DIGITS = Join({S, D[0], D[1], D[2], D[3], D[4], D[5], D[6], D[7], D[8], D[9], S});
const std::string INNER_S = Join({S, D[1], D[2], S, D[3], D[4], S});

// Data, flags, validity, display text, modules where pinned.
struct Code11Case {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    std::string modules;
};

// clang-format off
const Code11Case kCases[] = {
    {"worked example: S 1 2 3 - 4 5 S", "123-45", {}, true, "123-45", WORKED},
    {"start/stop shown", "123-45", {true, true, true}, true, "S123-45S", WORKED},
    {"no check characters, whatever the flags", "123-45", {false, false}, true, "123-45", WORKED},
    {"every digit", "0123456789", {}, true, "0123456789", DIGITS},
    {"an inner S is a start/stop pattern", "12S34", {}, true, "12S34", INNER_S},
    {"lower-case s", "12s34", {}, false, "", ""},
    {"letter", "12A", {}, false, "", ""},
    {"empty", "", {}, false, "", ""},
};
// clang-format on

TEST(Code11Encode, Table)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode11>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DisplayText, c.display);
        // Five elements a character and a gap between neighbours: 47 for the worked example.
        EXPECT_EQ(sym->m_Pattern.size(), (c.data.size() + 2) * 6 - 1);
        EXPECT_EQ(Modules(sym->m_Pattern), c.modules);
    }
}

TEST(Code11Encode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode11>("0123456789-S");
}

// The element widths in pixels of a module string, for module width m and wide width w.
std::vector<int> ExpectedPixels(const std::string& modules, int m, int w)
{
    std::vector<int> widths;
    for (std::size_t i = 0, j = 0; i < modules.size(); i = j) {
        while (j < modules.size() && modules[j] == modules[i])
            ++j;
        widths.push_back(j - i == 1 ? m : w);
    }
    return widths;
}

// Bar and space widths along a line through the bars, in reading order.
std::vector<int> DrawnPixels(const kt::Raster& r, int orientation)
{
    const std::uint32_t dark = 0x000080, light = 0xc0ffff; // -r 800000 -b ffffc0
    std::vector<kt::Run> runs;
    if (orientation == 0 || orientation == 180)
        runs = kt::RowRuns(r, orientation == 0 ? r.height / 4 : r.height * 3 / 4, dark, light);
    else
        runs = kt::ColumnRuns(r, orientation == 90 ? r.width / 4 : r.width * 3 / 4, dark, light);
    if (orientation == 90 || orientation == 180)
        std::reverse(runs.begin(), runs.end()); // the first module is at the bottom or the right
    std::vector<int> widths;
    for (const auto& run : kt::TrimToBars(runs))
        widths.push_back(run.length);
    return widths;
}

// Data, module width, ratio, orientation, wide element in pixels (RoundHalfAway(ratio x module)).
struct BarsCase {
    const char* why;
    std::string data;
    int module;
    const char* ratio;
    int orientation;
    int wide;
    std::string modules;
};

// clang-format off
const BarsCase kBarsCases[] = {
    {"worked example, 2 pixels, ratio 2.5", "123-45", 2, "2.5", 0, 5, WORKED},
    {"1 pixel, ratio 3, 90 degrees", "0123456789", 1, "3", 90, 3, DIGITS},
    {"3 pixels, ratio 2, 180 degrees", "9-0", 3, "2", 180, 6, Join({S, D[9], HYPHEN, D[0], S})},
    {"3 pixels, ratio 2.25: 6.75 rounds up, 270 degrees", "12S34", 3, "2.25", 270, 7, INNER_S},
    {"2 pixels, ratio 2.2: 4.4 rounds down", "5678", 2, "2.2", 0, 4, Join({S, D[5], D[6], D[7], D[8], S})},
};
// clang-format on

TEST(Code11Bars, DrawnWidthsMatchTheCharacters)
{
    for (const auto& c : kBarsCases) {
        SCOPED_TRACE(c.why);
        const std::string path = kt::ScratchPath("c11.png");
        const kt::RunResult run =
            kt::RunKavren({"-t", "4", "-d", c.data, "-n", std::to_string(c.module), "-i", c.ratio, "-o",
                           std::to_string(c.orientation), "-r", "800000", "-b", "ffffc0", path});
        ASSERT_EQ(run.status, 0) << run.err;
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(path, raster));
        EXPECT_EQ(DrawnPixels(raster, c.orientation), ExpectedPixels(c.modules, c.module, c.wide));
    }
}

} // namespace
