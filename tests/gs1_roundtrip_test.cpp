// UCC/EAN-128, SSCC-18 and EAN-14 through the whole program: both readers must
// see a GS1 symbol (FNC1 first) with FNC1 separators exactly where the
// element strings need them.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Gs1Reading {
    std::string zbarData;  // FNC1 separators as GS (0x1d); the leading FNC1 is not data
    bool zbarGs1 = false;  // zbarimg's GS1 modifier
    std::string zxingData; // FNC1 separators as <GS>
    std::string zxingId;   // symbology identifier: ]C1 for GS1-128
};

std::string AfterTag(const std::string& text, const std::string& tag)
{
    const auto at = text.find(tag);
    if (at == std::string::npos)
        return "";
    const auto end = text.find('\n', at);
    std::string value = text.substr(at + tag.size(), end - at - tag.size());
    value.erase(0, value.find_first_not_of(' '));
    return value;
}

Gs1Reading Read(const std::string& path)
{
    Gs1Reading r;
    for (const auto& line : kt::Zbar(path))
        r.zbarData += line.rfind("CODE-128:", 0) == 0 ? line.substr(9) : "?" + line;
    r.zbarGs1 =
        kt::RunCommand("zbarimg --xml -q '" + path + "'").out.find("modifiers='GS1'") != std::string::npos;
    for (const auto& text : kt::ZXingTexts(path))
        r.zxingData += text;
    r.zxingId = AfterTag(kt::RunCommand("ZXingReader '" + path + "'").out, "Identifier:");
    return r;
}

std::string Escaped(std::string data)
{
    for (auto at = data.find('\x1d'); at != std::string::npos; at = data.find('\x1d'))
        data.replace(at, 1, "<GS>");
    return data;
}

void ExpectGs1(const std::string& path, const std::string& data, bool zbarToo = true)
{
    const Gs1Reading r = Read(path);
    EXPECT_EQ(r.zxingData, "Code128 \"" + Escaped(data) + "\"");
    EXPECT_EQ(r.zxingId, "]C1");
    if (zbarToo) {
        EXPECT_EQ(r.zbarData, data);
        EXPECT_TRUE(r.zbarGs1);
    }
}

void Make(const std::string& path, std::vector<std::string> options)
{
    options.push_back(path);
    const kt::RunResult run = kt::RunKavren(options);
    ASSERT_EQ(run.status, 0) << run.err;
}

struct Case {
    int type;
    std::string data;
    std::string read; // the element string a reader reports, GS between fields
    const char* what;
    bool compliant = false; // the shortest code sets
};

const std::vector<Case> Cases = {
    {15, "<AI01>12345678901231<AI10>ABC", "011234567890123110ABC", "01 then 10, no separator"},
    {15, "<AI10>ABC<AI21>7",
     "10ABC\x1d"
     "217",
     "separator after the variable 10"},
    {15, "<AI8001>12345678901234<AI10>X",
     "800112345678901234\x1d"
     "10X",
     "separator after 8001"},
    {15, "<AI8005>123456<AI21>Q",
     "8005123456\x1d"
     "21Q",
     "separator after 8005"},
    {15, "<AI00>106141411234567897<AI3103>001234<AI17>991231<AI10>L1",
     "00106141411234567897310300123417991231"
     "10L1",
     "predefined lengths in a row"},
    {15, "<FNC1><AI01>12345678901231", "0112345678901231", "typed leading FNC1 not doubled"},
    {15, "<AI10>A<FNC1><AI21>B",
     "10A\x1d"
     "21B",
     "typed separator not doubled"},
    {15, "<AI10>12345<AI21>ab",
     "1012345\x1d"
     "21ab",
     "odd digits before a separator"},
    {16, "0010614141123456789", "00106141411234567897", "SSCC-18 with its check digit"},
    {16, "99106141411234567890", "00106141411234567897", "SSCC-18 always (00)"},
    {12, "1234567890123", "0112345678901231", "EAN-14 as (01)"},
    {12, "00614141000009", "0100614141000005", "EAN-14 check digit recomputed"},
    {15, "<AI37>469<AI30>2<AI8005>971485",
     "37469\x1d"
     "302\x1d"
     "8005971485",
     "shortest sets: FNC1 inside an odd run in C", true},
    {15, "<AI10>ABC<AI21>7",
     "10ABC\x1d"
     "217",
     "shortest sets: FNC1 between letters", true},
    {16, "0010614141123456789", "00106141411234567897", "shortest sets: SSCC-18", true},
};

TEST(Gs1RoundTrip, ElementStrings)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.what);
        const std::string path = kt::ScratchPath("gs1.png");
        std::vector<std::string> options = {"-t", std::to_string(c.type), "-d", c.data};
        if (c.compliant)
            options.push_back("--compliant");
        Make(path, options);
        ExpectGs1(path, c.read);
    }
}

TEST(Gs1RoundTrip, OrientationsAndModuleWidths)
{
    for (const Case& c : {Cases[1], Cases[8], Cases[10]}) {
        for (int m = 1; m <= 4; ++m) {
            for (int orientation : {0, 90, 180, 270}) {
                SCOPED_TRACE(std::string(c.what) + ", module " + std::to_string(m) + ", orientation " +
                             std::to_string(orientation));
                const std::string path = kt::ScratchPath("gs1-orient.png");
                Make(path, {"-t", std::to_string(c.type), "-d", c.data, "-n", std::to_string(m), "-o",
                            std::to_string(orientation), "-r", "203080"});
                ExpectGs1(path, c.read, m >= 2); // zbarimg does not find one-pixel modules
            }
        }
    }
}

TEST(Gs1RoundTrip, UccEan128WithoutMarkersIsPlainCode128)
{
    const std::string path = kt::ScratchPath("plain.png");
    Make(path, {"-t", "15", "-d", "ABC123"});
    const Gs1Reading r = Read(path);
    EXPECT_EQ(r.zxingData, "Code128 \"ABC123\"");
    EXPECT_EQ(r.zxingId, "]C0");
    EXPECT_EQ(r.zbarData, "ABC123");
    EXPECT_FALSE(r.zbarGs1);
}

// Width of the ink in the text band, the rows below the end of the first bar.
int TextInkWidth(const kt::Raster& r)
{
    int firstBar = 0;
    while (firstBar < r.width && r.At(firstBar, 0) == 0xffffffU)
        ++firstBar;
    int band = 0;
    while (band < r.height && r.At(firstBar, band) != 0xffffffU)
        ++band;
    int left = r.width, right = -1;
    for (int y = band; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.At(x, y) != 0xffffffU) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right - left;
}

// The modulo-10 digit of SSCC-18 and EAN-14 is always in the bars; -c only shows or hides it.
TEST(Gs1RoundTrip, CheckDigitShownOnlyOnRequest)
{
    for (const Case& c : {Cases[8], Cases[10]}) {
        SCOPED_TRACE(c.what);
        const std::string shown = kt::ScratchPath("shown.png");
        const std::string hidden = kt::ScratchPath("hidden.png");
        Make(shown, {"-t", std::to_string(c.type), "-d", c.data, "-c", "1"});
        Make(hidden, {"-t", std::to_string(c.type), "-d", c.data, "-c", "0"});
        ExpectGs1(hidden, c.read);
        kt::Raster a, b;
        ASSERT_TRUE(kt::ReadPng(shown, a));
        ASSERT_TRUE(kt::ReadPng(hidden, b));
        EXPECT_GT(TextInkWidth(a), TextInkWidth(b) + 3);
    }
}

TEST(Gs1RoundTrip, RejectedTextsWriteNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {"-t", "16", "-d", "001234567890123456"}, // 18 digits
        {"-t", "16", "-d", "00123456789012345A"}, // letter
        {"-t", "12", "-d", "123456789012"},       // 12 digits
        {"-t", "12", "-d", "123456789012345"},    // 15 digits
        {"-t", "15", "-d", ""},                   // empty
        {"-t", "15", "-d", "<AI10>\xe9"},         // above 134
    };
    for (auto args : cases) {
        const std::string path = kt::ScratchPath("gs1-rejected.png");
        args.push_back(path);
        const kt::RunResult run = kt::RunKavren(args);
        EXPECT_EQ(run.status, 6) << args[3];
        EXPECT_FALSE(kt::FileExists(path)) << args[3];
    }
}

} // namespace
