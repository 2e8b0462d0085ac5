// Code 39 and Code 39 Extended round trips: the program writes the PNG and two
// independent decoders must read it back in every look. Neither decoder applies
// full ASCII to Code 39, and both report the check character as data.
#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase {
    int type;
    std::string data;
    std::vector<std::string> options;
    std::string read; // what both decoders report
};

// clang-format off
const ScanCase kCases[] = {
    {2, "CODE39", {}, "CODE39W"},                 // worked example with its check character
    {2, "CODE39", {"-k", "0"}, "CODE39"},         // no check character
    {2, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", {},
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%0"}, // every character, check 0
    {3, "abc", {}, "+A+B+CR"},                    // lower case as pairs, check R
    {3, "A~0DB", {"-k", "0"}, "A$MB"},            // CR escape as $M
    {3, "~~x~7F~80", {}, "%S+X%T0"},              // tilde, DEL, an escape dropped; check 0
};
// clang-format on

TEST(Code39Scan, BothDecodersReadEveryLook)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.data);
        alnum::ExpectRoundTrips(c.type, c.data, c.read, c.read, c.options);
    }
}

// Every symbology of this family: a rejected text is status 6 and no file.
TEST(AlnumScan, InvalidTextWritesNoFile)
{
    const std::pair<int, const char*> cases[] = {{2, "abc"},   {3, "A\tB"},  {3, "~80"},       {4, "12A"},
                                                 {5, "A1B2C"}, {19, "test"}, {20, "\xC3\xA9"}, {20, ""}};
    for (const auto& [type, data] : cases) {
        SCOPED_TRACE(data);
        const std::string path = kt::ScratchPath("invalid.png");
        const kt::RunResult run = kt::RunKavren({"-t", std::to_string(type), "-d", data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_NE(run.err.find("Error: Invalid barcode text."), std::string::npos);
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
