// Code 11: the start/stop character S at both ends, gaps, no check characters,
// the text with and without S, and the bars as drawn. No decoder here reads
// Code 11, so the drawn bar and space widths are measured from the PNG.
#include "symbologies/Code11.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// USD-8 Code 11 characters as modules with a wide element of 2 modules.
const std::string S = "1011001";
const std::string D[10] = {"101011",  "1101011", "1001011", "1100101", "1011011",
                           "1101101", "1001101", "1010011", "1101001", "110101"};
const std::string HYPHEN = "101101";

std::string Join(std::initializer_list<std::string> characters)
{
    std::string out;
    for (const auto& c : characters)
        out += (out.empty() ? "" : "0") + c;
    return out;
}

// One row per case: data, flags, validity, display text, modules where pinned.
struct Code11Case {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    std::string modules;
};

const Code11Case kCases[] = {
    {"worked example: S 1 2 3 - 4 5 S",
     "123-45",
     {},
     true,
     "123-45",
     Join({S, D[1], D[2], D[3], HYPHEN, D[4], D[5], S})},
    {"start/stop shown", "123-45", {true, true, true}, true, "S123-45S", ""},
    {"no check characters, whatever the flags",
     "123-45",
     {false, false},
     true,
     "123-45",
     Join({S, D[1], D[2], D[3], HYPHEN, D[4], D[5], S})},
    {"every digit",
     "0123456789",
     {},
     true,
     "0123456789",
     Join({S, D[0], D[1], D[2], D[3], D[4], D[5], D[6], D[7], D[8], D[9], S})},
    {"an inner S is a start/stop pattern",
     "12S34",
     {},
     true,
     "12S34",
     Join({S, D[1], D[2], S, D[3], D[4], S})},
    {"one hyphen", "-", {true, true, true}, true, "S-S", Join({S, HYPHEN, S})},
    {"lower-case s", "12s34", {}, false, "", ""},
    {"letter", "12A", {}, false, "", ""},
    {"empty text", "", {}, false, "", ""},
    {"byte above 127", "1\xB2", {}, false, "", ""},
};

TEST(Code11Encode, Table)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode11>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_FALSE(sym->Encode());
            continue;
        }
        EXPECT_EQ(sym->m_DisplayText, c.display);
        // Five elements a character, S at both ends, a gap between neighbours.
        EXPECT_EQ(sym->m_Pattern.size(), (c.data.size() + 2) * 6 - 1);
        if (!c.modules.empty()) {
            EXPECT_EQ(Modules(sym->m_Pattern), c.modules);
        } else {
            EXPECT_NE(Modules(sym->m_Pattern), "not alternating");
        }
    }
}

TEST(Code11Encode, WideElementsPerCharacter)
{
    // "0", "9" and "-" have one wide element; the other digits and S two.
    for (char c : std::string("0123456789-")) {
        SCOPED_TRACE(c);
        auto sym = Encoded<CBarcodeSymCode11>(std::string(1, c));
        int wide = 0;
        for (std::uint8_t e : sym->m_Pattern)
            wide += e == WIDE_BAR || e == WIDE_SPACE;
        EXPECT_EQ(wide, 2 + 2 + (c == '0' || c == '9' || c == '-' ? 1 : 2));
    }
}

TEST(Code11Encode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode11>("0123456789-S");
}

// The runs of a module string ("1" bar, "0" space, a wide element 2 modules) in
// pixels, for module width m and wide width w.
std::vector<int> ExpectedPixels(const std::string& modules, int m, int w)
{
    std::vector<int> widths;
    for (std::size_t i = 0; i < modules.size();) {
        std::size_t j = i;
        while (j < modules.size() && modules[j] == modules[i])
            ++j;
        widths.push_back(j - i == 1 ? m : w);
        i = j;
    }
    return widths;
}

// Bar and space widths along a line through the bars, in reading order.
std::vector<int> DrawnPixels(const kt::Raster& r, int orientation, std::uint32_t dark, std::uint32_t light)
{
    std::vector<kt::Run> runs;
    switch (orientation) {
    case 0: runs = kt::RowRuns(r, r.height / 4, dark, light); break;
    case 180: runs = kt::RowRuns(r, r.height * 3 / 4, dark, light); break;
    case 90: runs = kt::ColumnRuns(r, r.width / 4, dark, light); break;
    default: runs = kt::ColumnRuns(r, r.width * 3 / 4, dark, light); break;
    }
    if (orientation == 90 || orientation == 180)
        std::reverse(runs.begin(), runs.end()); // read from the first module on
    std::vector<int> widths;
    for (const auto& run : kt::TrimToBars(runs))
        widths.push_back(run.length);
    return widths;
}

// One row per drawing: data, module width, ratio, orientation, colours, and the
// modules expected (wide = 2).
struct BarsCase {
    const char* why;
    std::string data;
    int module;
    const char* ratio;
    int orientation;
    int wide; // pixels of a wide element: RoundHalfAway(ratio x module)
    std::string modules;
};

const BarsCase kBarsCases[] = {
    {"worked example at 2 pixels, ratio 2.5", "123-45", 2, "2.5", 0, 5,
     Join({S, D[1], D[2], D[3], HYPHEN, D[4], D[5], S})},
    {"1-pixel modules, ratio 3, at 90 degrees", "0123456789", 1, "3", 90, 3,
     Join({S, D[0], D[1], D[2], D[3], D[4], D[5], D[6], D[7], D[8], D[9], S})},
    {"3-pixel modules, ratio 2, at 180 degrees", "9-0", 3, "2", 180, 6, Join({S, D[9], HYPHEN, D[0], S})},
    {"3-pixel modules, ratio 2.25 rounds 6.75 up, at 270 degrees", "12S34", 3, "2.25", 270, 7,
     Join({S, D[1], D[2], S, D[3], D[4], S})},
    {"2-pixel modules, ratio 2.2 rounds 4.4 down", "5678", 2, "2.2", 0, 4,
     Join({S, D[5], D[6], D[7], D[8], S})},
};

TEST(Code11Bars, DrawnWidthsMatchTheCharacters)
{
    const std::uint32_t dark = 0x000080;  // -r 800000: dark red as 0x00BBGGRR
    const std::uint32_t light = 0xc0ffff; // -b ffffc0
    int n = 0;
    for (const auto& c : kBarsCases) {
        SCOPED_TRACE(c.why);
        const std::string path = kt::ScratchPath("c11_" + std::to_string(++n) + ".png");
        const kt::RunResult run =
            kt::RunKavren({"-t", "4", "-d", c.data, "-n", std::to_string(c.module), "-i", c.ratio, "-o",
                           std::to_string(c.orientation), "-r", "800000", "-b", "ffffc0", path});
        ASSERT_EQ(run.status, 0) << run.err;
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(path, raster));
        EXPECT_EQ(DrawnPixels(raster, c.orientation, dark, light),
                  ExpectedPixels(c.modules, c.module, c.wide));
    }
}

TEST(Code11Bars, InvalidTextWritesNoFile)
{
    for (const char* data : {"12s34", "12A", ""}) {
        SCOPED_TRACE(data);
        const std::string path = kt::ScratchPath("c11_invalid.png");
        const kt::RunResult run = kt::RunKavren({"-t", "4", "-d", data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
