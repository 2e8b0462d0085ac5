// MSI drawn by the program, read back from the PNG: no common decoder reads
// MSI, so the bar and space widths along the reading direction are compared
// with the digits' bits.
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

namespace {

// Start wn, each bit 1 as wn and 0 as nw, most significant first, stop nwn.
std::string MsiWidths(const std::string& digits)
{
    std::string s = "wn";
    for (const char c : digits)
        for (const char bit : std::bitset<4>(static_cast<unsigned>(c - '0')).to_string())
            s += bit == '1' ? "wn" : "nw";
    return s + "nwn";
}

struct Case {
    const char* data;
    const char* encoded; // check digit included
    int ratio;           // wide element in modules
    int orientation;
    std::vector<std::string> options;
    int module; // expected module width
    bool textAbove;
};

const Case kCases[] = {
    // The worked example: check digit 4.
    {"1234567", "12345674", 3, 0, {"-n", "1"}, 1, false},
    // Without the check digit; every digit value.
    {"9876543210", "9876543210", 2, 90, {"-n", "2", "-k", "0"}, 2, true},
    // A single digit, upside down, coloured.
    {"5", "59", 3, 180, {"-n", "3", "-r", "400040", "-b", "c0ffc0"}, 3, false},
    {"0", "00", 2, 270, {"-n", "4"}, 4, true},
    // Fixed size: 2 + 8 x 3 + 3 elements, 14 wide at ratio 3: 20 + 15 + 14 x 3 = 77 modules; 400 / 77 = 5.
    {"19", "190", 3, 0, {"-x", "400", "-y", "100"}, 5, false},
};

} // namespace

TEST(MsiBars, WidthsReadBackFromThePicture)
{
    int run = 0;
    for (const Case& c : kCases) {
        std::vector<std::string> args = {"-t", "6",
                                         "-d", c.data,
                                         "-i", std::to_string(c.ratio),
                                         "-o", std::to_string(c.orientation),
                                         "-p", c.textAbove ? "0" : "1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(::testing::PrintToString(args));
        const kt::Raster r =
            kt::Upright(kt::RunToRaster(args, "msi_" + std::to_string(run++) + ".png"), c.orientation);
        ASSERT_GT(r.height, 0);
        // Across the bars, away from the text band.
        const int y = c.textAbove ? r.height * 3 / 4 : r.height / 4;
        const auto runs = kt::RowRuns(r, y, 0, 0xffffff);
        ASSERT_GE(runs.size(), 3U);
        EXPECT_GE(runs.front().length, 10 * c.module); // quiet zone
        EXPECT_GE(runs.back().length, 10 * c.module);
        EXPECT_EQ(kt::ModuleString(kt::TrimToBars(runs), c.module),
                  kt::ModulesOf(MsiWidths(c.encoded), c.ratio));
    }
}
