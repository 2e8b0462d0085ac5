// Interleaved 2 of 5 and ITF-14 written by the program and read back by two
// independent decoders, across orientations, module widths, colours and text
// positions; Industrial 2 of 5, which no decoder reads, by its bar widths.
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Colours {
    const char* bars;
    const char* back;
    const char* text;
};

// Plain black on white, dark blue on yellow, dark green on light grey.
const Colours kColours[] = {
    {"000000", "ffffff", "000000"}, {"000080", "ffff00", "ff0000"}, {"004000", "e0e0e0", "0000ff"}};

struct Symbol {
    int type;
    const char* data;
    std::vector<std::string> options;
    const char* encoded; // the digits in the bars
};

const Symbol kSymbols[] = {
    // The manager's first object: six digits plus check digit 7, padded to 8.
    {0, "012345", {}, "00123457"},
    // Odd length without check digit gets a leading zero.
    {0, "1234567", {"-k", "0"}, "01234567"},
    // Long data: weighted sum 3 x 45 + 45 = 180, check digit 0.
    {0, "98765432109876543210", {}, "0987654321098765432100"},
    // ITF-14 with 13 digits and with a wrong 14th digit: the check digit is 3.
    {21, "1540014128876", {}, "15400141288763"},
    {21, "15400141288769", {"-k", "0"}, "15400141288763"},
};

std::vector<std::string> Args(const Symbol& s, int orientation, int module, const Colours& c, bool below)
{
    std::vector<std::string> args = {"-t", std::to_string(s.type),
                                     "-d", s.data,
                                     "-o", std::to_string(orientation),
                                     "-n", std::to_string(module),
                                     "-r", c.bars,
                                     "-b", c.back,
                                     "-e", c.text,
                                     "-p", below ? "1" : "0"};
    args.insert(args.end(), s.options.begin(), s.options.end());
    return args;
}

} // namespace

// Every symbol at every orientation and module widths 1 to 4 (default ratio
// 2.5: wide elements of 3, 5, 8 and 10 pixels), cycling through the colour
// sets and both text positions.
TEST(TwoOfFiveRoundTrip, BothDecodersReadInterleavedAndItf14)
{
    int run = 0;
    for (const Symbol& s : kSymbols) {
        for (const int orientation : {0, 90, 180, 270}) {
            for (int module = 1; module <= 4; ++module, ++run) {
                const Colours& c = kColours[run % 3];
                const bool below = run % 2 == 0;
                const auto args = Args(s, orientation, module, c, below);
                SCOPED_TRACE(::testing::PrintToString(args));
                const std::string path = kt::ScratchPath("i25_" + std::to_string(run) + ".png");
                std::vector<std::string> all = args;
                all.push_back(path);
                const kt::RunResult result = kt::RunKavren(all);
                ASSERT_EQ(result.status, 0) << result.err;
                EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{std::string("I2/5:") + s.encoded});
                EXPECT_EQ(kt::ZXingTexts(path, "-format ITF"),
                          std::vector<std::string>{std::string("ITF \"") + s.encoded + "\""});
            }
        }
    }
}

// zbar reads short Interleaved symbols once its minimum length allows them.
TEST(TwoOfFiveRoundTrip, ShortInterleavedSymbols)
{
    const struct {
        const char* data;
        const char* check; // -k
        const char* encoded;
    } rows[] = {
        {"5", "0", "05"}, // a single digit, padded
        {"7", "1", "79"}, // a single digit and its check digit
        {"1234", "1", "012348"},
    };
    for (const auto& r : rows) {
        const std::string path = kt::ScratchPath(std::string("short_") + r.data + r.check + ".png");
        const kt::RunResult result = kt::RunKavren({"-t", "0", "-d", r.data, "-k", r.check, "-n", "2", path});
        ASSERT_EQ(result.status, 0) << result.err;
        const auto lines = kt::RunCommand("zbarimg -q --set i25.min-length=2 '" + path + "'");
        EXPECT_EQ(lines.out, std::string("I2/5:") + r.encoded + "\n") << r.data;
    }
}

// Industrial 2 of 5, which the decoders do not read: bar and space widths
// read back from the picture for several texts, ratios, widths and orientations.
TEST(TwoOfFiveBars, IndustrialWidthsReadBackFromThePicture)
{
    const struct {
        const char* data;
        const char* check; // -k
        const char* encoded;
        int ratio, module, orientation;
    } rows[] = {
        {"123", "1", "1236", 3, 1, 0},                // the worked example
        {"95", "1", "956", 2, 2, 90},                 // the last data digit weighs 3
        {"0123456789", "0", "0123456789", 3, 2, 180}, // every digit
        {"4711", "1", "47111", 2, 3, 270},            // 4 + 3x7 + 1 + 3x1 = 29 -> 1
    };
    for (const auto& r : rows) {
        const std::vector<std::string> args = {"-t", "1",
                                               "-d", r.data,
                                               "-k", r.check,
                                               "-i", std::to_string(r.ratio),
                                               "-n", std::to_string(r.module),
                                               "-o", std::to_string(r.orientation)};
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(kt::ReadModules(args, r.orientation, r.module, false, std::string("ind") + r.data + ".png"),
                  kt::ModulesOf(kt::IndustrialWidths(r.encoded), r.ratio));
    }
}
