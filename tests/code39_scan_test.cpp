// Code 39 and Code 39 Extended round trips: the program writes the PNG and two
// independent decoders must read it back in every look. Neither decoder applies
// full ASCII to Code 39, and both report the check character as data.
#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase {
    const char* why;
    int type;
    std::string data;
    std::vector<std::string> options;
    std::string read; // what both decoders report
};

const ScanCase kCases[] = {
    {"worked example with its check character W", 2, "CODE39", {}, "CODE39W"},
    {"no check character", 2, "CODE39", {"-k", "0"}, "CODE39"},
    {"all 43 characters, check 0",
     2,
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%",
     {},
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%0"},
    {"extended: lower case and * as pairs, check R", 3, "abc", {}, "+A+B+CR"},
    {"extended: CR escape as $M, no check", 3, "A~0DB", {"-k", "0"}, "A$MB"},
    {"extended: tilde, DEL and an escape dropped; check 0", 3, "~~x~7F~80", {}, "%S+X%T0"},
};

TEST(Code39Scan, BothDecodersReadEveryLook)
{
    int n = 0;
    for (const auto& c : kCases) {
        for (const auto& look : alnum::Looks()) {
            SCOPED_TRACE(std::string(c.why) + " / " + look.why);
            auto options = look.options;
            options.insert(options.end(), c.options.begin(), c.options.end());
            const std::string path = alnum::Draw(c.type, c.data, options, "c39_" + std::to_string(++n));
            ASSERT_FALSE(path.empty());
            alnum::ExpectDecoders(path, look, c.read);
        }
    }
}

TEST(Code39Scan, InvalidTextWritesNoFile)
{
    for (const auto& [type, data] : {std::pair{2, "abc"}, std::pair{2, ""}, std::pair{3, "A\tB"},
                                     std::pair{3, "~80"}, std::pair{3, "\xC3\xA9"}}) {
        SCOPED_TRACE(data);
        const std::string path = kt::ScratchPath("c39_invalid.png");
        const kt::RunResult run = kt::RunKavren({"-t", std::to_string(type), "-d", data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_NE(run.err.find("Error: Invalid barcode text."), std::string::npos);
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
