// Code 128 through the whole program: the PNG it writes is read by zbarimg and
// ZXingReader, and its bar widths are measured back from the pixels.
#include "tests/code128_reference.h"
#include "tests/support/TestSupport.h"

#include "symbologies/Code128.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

std::vector<std::string> ZbarSays(const std::string& data)
{
    return {"CODE-128:" + data};
}

std::vector<std::string> ZXingSays(const std::string& data)
{
    return {"Code128 \"" + data + "\""};
}

// Writes the barcode for `options` and reads it back; fails the test when the run fails.
kt::Raster Make(const std::string& path, std::vector<std::string> options)
{
    options.push_back(path);
    const kt::RunResult run = kt::RunKavren(options);
    EXPECT_EQ(run.status, 0) << run.err;
    kt::Raster raster;
    EXPECT_TRUE(kt::ReadPng(path, raster));
    return raster;
}

// The encoder's element widths as digits, e.g. "211232..." for START C first.
std::string ExpectedWidths(const std::string& data, int charset)
{
    CBarcodeSettings s;
    s.m_Data = data;
    s.m_Code128Charset = charset;
    CBarcodeSymCode128 sym(s);
    sym.Encode();
    std::string widths;
    for (std::uint8_t code : sym.m_Pattern) {
        bool bar = false;
        widths += static_cast<char>('0' + c128t::ElementWidth(code, bar));
    }
    return widths;
}

TEST(Code128RoundTrip, DefaultRunIsCode128Of1234567)
{
    const std::string path = kt::ScratchPath("default.png");
    const kt::Raster r = Make(path, {});
    EXPECT_EQ(r.width, 220); // (90 modules + 2 x 10 quiet) x 2 pixels
    EXPECT_EQ(r.height, 200);
    EXPECT_EQ(kt::Zbar(path), ZbarSays("1234567"));
    EXPECT_EQ(kt::ZXingTexts(path), ZXingSays("1234567"));
}

struct TextCase {
    std::string data;
    int charset;
    std::string read; // what a reader reports
    const char* what;
    bool compliant = false; // the shortest code sets, control characters through set A
};

const std::vector<TextCase> TextCases = {
    {"1", 0, "1", "single digit, set B"},
    {"12", 0, "12", "one pair, set C"},
    {"123", 0, "123", "pair then set B"},
    {"12345", 0, "12345", "odd leading run"},
    {"1234A", 0, "1234A", "run then letter"},
    {"A12", 0, "A12", "short run stays in B"},
    {"A12345", 0, "A12345", "odd run inside"},
    {"A1234B", 0, "A1234B", "even run inside"},
    {"ABC1234567DEF", 0, "ABC1234567DEF", "odd run between letters"},
    {"Hello, World! 42 ~{|}", 0, "Hello, World! 42 ~{|}", "mixed case and punctuation"},
    {"00000000000000000000", 0, "00000000000000000000", "long run of zeros"},
    {"ABC"
     "\x86"
     "DEF",
     0,
     "ABC\x1d"
     "DEF",
     "FNC1 inside text reads as GS"},
    {"A\x80"
     "BC",
     0, "ABC", "FNC3 is no data"},
    {"ABC_ 0123", 1, "ABC_ 0123", "forced set A"},
    {"12345", 2, "12345", "forced set B takes digits one by one"},
    {"123", 3, "0123", "forced set C pads to even"},
    // The shortest code sets (the encoder's table of them gives the values).
    {"A30741", 0, "A30741", "C after the first digit of an odd run", true},
    {"1234567", 0, "1234567", "odd leading run", true},
    {"\x86"
     "AB",
     0, "AB", "FNC1 then letters: a GS1 symbol", true},
    {"AB1234CD", 0, "AB1234CD", "four digits inside stay in B", true},
    {"AB123456CD", 0, "AB123456CD", "six digits inside go to C", true},
    {"A\tB", 0, "A\tB", "control character in set A", true},
    {"a\tb", 0, "a\tb", "SHIFT to set A", true},
    {"\t\x1b"
     "a",
     0,
     "\t\x1b"
     "a",
     "CODE B from set A", true},
    {"\tab\t", 0, "\tab\t", "CODE B and CODE A", true},
};

// ZXingReader's -escape names: <GS>, <HT>, <ESC>.
std::string ZXingEscaped(std::string text)
{
    for (const auto& [byte, name] :
         {std::pair{'\x1d', "<GS>"}, std::pair{'\t', "<HT>"}, std::pair{'\x1b', "<ESC>"}})
        for (auto at = text.find(byte); at != std::string::npos; at = text.find(byte))
            text.replace(at, 1, name);
    return text;
}

TEST(Code128RoundTrip, TextsOfEveryShapeAndSet)
{
    for (const TextCase& c : TextCases) {
        SCOPED_TRACE(c.what);
        const std::string path = kt::ScratchPath("shape.png");
        std::vector<std::string> options = {"-d", c.data, "-a", std::to_string(c.charset)};
        if (c.compliant)
            options.push_back("--compliant");
        Make(path, options);
        EXPECT_EQ(kt::Zbar(path), ZbarSays(c.read));
        EXPECT_EQ(kt::ZXingTexts(path), ZXingSays(ZXingEscaped(c.read)));
    }
}

TEST(Code128RoundTrip, LongText)
{
    std::string data;
    for (int i = 0; i < 12; ++i)
        data += "Lot " + std::to_string(1000 + i * 37) + "-ab/";
    const std::string path = kt::ScratchPath("long.png");
    Make(path, {"-d", data, "-n", "2"});
    EXPECT_EQ(kt::Zbar(path), ZbarSays(data));
    EXPECT_EQ(kt::ZXingTexts(path), ZXingSays(data));
}

// Each orientation and module width: readers agree, the image follows the
// x-dimension, and the bars measured along the reading direction are the
// encoder's widths times the module width, after a full quiet zone.
TEST(Code128RoundTrip, OrientationsAndModuleWidths)
{
    const std::string data = "Kavren-0123456789";
    const std::string widths = ExpectedWidths(data, 0);
    int modules = 0;
    for (char w : widths)
        modules += w - '0';
    for (int m = 1; m <= 4; ++m) {
        for (int orientation : {0, 90, 180, 270}) {
            SCOPED_TRACE("module " + std::to_string(m) + ", orientation " + std::to_string(orientation));
            const std::string path = kt::ScratchPath("orient.png");
            const kt::Raster r =
                Make(path, {"-d", data, "-n", std::to_string(m), "-o", std::to_string(orientation)});
            const bool vertical = orientation == 90 || orientation == 270;
            EXPECT_EQ(vertical ? r.height : r.width, (modules + 20) * m);
            EXPECT_EQ(kt::ZXingTexts(path), ZXingSays(data));
            if (m >= 2) { // zbarimg does not find symbols of one-pixel modules
                EXPECT_EQ(kt::Zbar(path), ZbarSays(data));
            }
            // Bars lie away from the text band: below at 0, on the right at 90 (read bottom to
            // top), above at 180 (read right to left), on the left at 270.
            std::vector<kt::Run> runs;
            switch (orientation) {
            case 0: runs = kt::RowRuns(r, r.height / 4); break;
            case 90: runs = kt::ColumnRuns(r, r.width / 4); break;
            case 180: runs = kt::RowRuns(r, r.height * 3 / 4); break;
            default: runs = kt::ColumnRuns(r, r.width * 3 / 4); break;
            }
            if (orientation == 90 || orientation == 180)
                std::reverse(runs.begin(), runs.end());
            ASSERT_FALSE(runs.empty());
            EXPECT_FALSE(runs.front().dark);
            EXPECT_EQ(runs.front().length, 10 * m);
            EXPECT_EQ(kt::ModuleString(kt::TrimToBars(runs), m), widths);
        }
    }
}

TEST(Code128RoundTrip, Colours)
{
    // -r bars blue, -b background yellow, -e text dark red; stored as 0x00BBGGRR.
    const std::string path = kt::ScratchPath("colour.png");
    const kt::Raster r = Make(path, {"-d", "Colour 128", "-r", "0000ff", "-b", "ffff00", "-e", "800000"});
    EXPECT_EQ(kt::Zbar(path), ZbarSays("Colour 128"));
    EXPECT_EQ(kt::ZXingTexts(path), ZXingSays("Colour 128"));
    const int y = r.height / 4;
    EXPECT_EQ(r.At(0, y), 0x00ffffU); // quiet zone
    const auto runs = kt::RowRuns(r, y, 0xff0000, 0x00ffff);
    ASSERT_GT(runs.size(), 2U);
    EXPECT_EQ(r.At(runs[0].length, y), 0xff0000U); // first bar
}

// Texts no code set can hold, and charsets that do not exist, end with code 6
// and leave no file behind.
TEST(Code128RoundTrip, RejectedTextsWriteNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {"-a", "4", "-d", "1234"}, // no such charset
        {"-a", "1", "-d", "abc"},  // set A has no lower case
        {"-a", "3", "-d", "12A"},  // set C holds digits only
        {"-d", ""},                // empty
        {"-d", "A\xc9"},           // above 134
        {"-d", "A\x1b"},           // control character
        {"-d", "A\x83"
               "12"}, // CODE C byte would desynchronise a reader
        {"-x", "300", "-d", "A\x84"},
    };
    for (auto args : cases) {
        const std::string path = kt::ScratchPath("rejected.png");
        std::remove(path.c_str());
        args.push_back(path);
        const kt::RunResult run = kt::RunKavren(args);
        EXPECT_EQ(run.status, 6) << args[1];
        EXPECT_NE(run.err.find("Error: Invalid barcode text."), std::string::npos);
        EXPECT_FALSE(kt::FileExists(path)) << args[1];
    }
}

} // namespace
