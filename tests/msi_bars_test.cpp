// MSI drawn by the program: no common decoder reads MSI, so the bar and space
// widths read back from the PNG are compared with the digits' bits.
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MsiBars, WidthsReadBackFromThePicture)
{
    const struct {
        const char* data;
        const char* encoded; // check digit included
        int ratio, module, orientation;
        bool textAbove;
        std::vector<std::string> options;
    } rows[] = {
        {"1234567", "12345674", 3, 1, 0, false, {}},                     // the worked example
        {"9876543210", "9876543210", 2, 2, 90, true, {"-k", "0"}},       // every digit, no check digit
        {"5", "59", 3, 3, 180, false, {"-r", "400040", "-b", "c0ffc0"}}, // coloured
        {"0", "00", 2, 4, 270, true, {}},
    };
    int run = 0;
    for (const auto& r : rows) {
        std::vector<std::string> args = {"-t", "6",
                                         "-d", r.data,
                                         "-i", std::to_string(r.ratio),
                                         "-n", std::to_string(r.module),
                                         "-o", std::to_string(r.orientation),
                                         "-p", r.textAbove ? "0" : "1"};
        args.insert(args.end(), r.options.begin(), r.options.end());
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(kt::ReadModules(args, r.orientation, r.module, r.textAbove,
                                  "msi" + std::to_string(run++) + ".png"),
                  kt::ModulesOf(kt::MsiWidths(r.encoded), r.ratio));
    }
}
