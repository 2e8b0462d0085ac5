// Code 128 encoder: table rows, automatic set choice, forced sets, check values,
// display texts, and rejected input.
#include "tests/code128_reference.h"

#include "symbologies/Code128.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

constexpr int SA = C128_START_A, SB = C128_START_B, SC = C128_START_C;
constexpr int CA = C128_CODE_A, CB = C128_CODE_B, CC = C128_CODE_C, F1 = C128_FNC1;
const std::string FNC1(1, '\x86');

struct Case {
    std::string data;
    int charset;
    bool valid;
    std::vector<int> values; // start to last data value, check not included
    int check;
    std::string text; // with the check character shown
    const char* what;
};

// Values for set B characters (byte - 32).
int B(char c)
{
    return static_cast<unsigned char>(c) - 32;
}

const std::vector<Case> Cases = {
    // Automatic sets: every shape of leading and inner digit runs.
    {"1234567", 0, true, {SC, 12, 34, 56, CB, B('7')}, 44, "1234567L", "default text; check 868 mod 103"},
    {"1", 0, true, {SB, B('1')}, 18, "12", "one digit stays in set B"},
    {"12", 0, true, {SC, 12}, 14, "12.", "two leading digits start in set C"},
    {"123", 0, true, {SC, 12, CB, B('3')}, 65, "123a", "odd third digit returns to set B"},
    {"1234A", 0, true, {SC, 12, 34, CB, B('A')}, 102, "1234A" + FNC1, "four digits then a letter"},
    {"12345678", 0, true, {SC, 12, 34, 56, 78}, 47, "12345678O", "all digits, even"},
    {"A12", 0, true, {SB, B('A'), B('1'), B('2')}, 19, "A123", "fewer than four digits stay in B"},
    {"A123", 0, true, {SB, B('A'), B('1'), B('2'), B('3')}, 95, "A123\x7f", "three digits stay in B"},
    {"A12345", 0, true, {SB, B('A'), CC, 12, 34, CB, B('5')}, 0, "A12345 ", "odd run inside: even part in C"},
    {"A1234B", 0, true, {SB, B('A'), CC, 12, 34, CB, B('B')}, 78, "A1234Bn", "even run inside text"},
    {"AB123456", 0, true, {SB, B('A'), B('B'), CC, 12, 34, 56}, 26, "AB123456:", "run to the end"},
    {"a b~\x7f", 0, true, {SB, B('a'), 0, B('b'), B('~'), 95}, 85, "a b~\x7fu", "lower case, space, DEL"},
    // FNC1 (byte 134) and the other function bytes.
    {FNC1 + "12", 0, true, {SC, F1, 12}, 25, FNC1 + "129", "leading FNC1 stays in set C"},
    {"1234" + FNC1 + "5678",
     0,
     true,
     {SC, 12, 34, F1, 56, 78},
     75,
     "1234" + FNC1 + "5678k",
     "FNC1 inside a digit run costs no set change"},
    {"12" + FNC1 + "34", 0, true, {SC, 12, F1, 34}, 11, "12" + FNC1 + "34+", "FNC1 between two pairs"},
    {"123" + FNC1,
     0,
     true,
     {SC, 12, CB, B('3'), F1},
     61,
     "123" + FNC1 + "]",
     "FNC1 in set B after odd digit"},
    {"A\x80"
     "B\x81",
     0,
     true,
     {SB, B('A'), 96, B('B'), 97},
     98,
     "A\x80"
     "B\x81\x82",
     "FNC3 and FNC2 bytes"},
    {"\x80"
     "12",
     0,
     true,
     {SB, 96, B('1'), B('2')},
     82,
     "\x80"
     "12r",
     "FNC3 is not in set C"},
    // Forced sets.
    {"123", 3, true, {SC, 1, 23}, 49, "0123Q", "set C pads to even with a leading 0"},
    {"0042", 3, true, {SC, 0, 42}, 86, "0042v", "set C keeps leading zeros"},
    {"12A", 2, true, {SB, B('1'), B('2'), B('A')}, 50, "12AR", "set B takes digits one by one"},
    {"1234", 2, true, {SB, B('1'), B('2'), B('3'), B('4')}, 88, "1234x", "set B never switches to C"},
    {"ABC_ 09", 1, true, {SA, 33, 34, 35, 63, 0, 16, 25}, 8, "ABC_ 09(", "set A: upper case, _, digits"},
    {"A" + FNC1, 1, true, {SA, 33, F1}, 31, "A" + FNC1 + "?", "FNC1 in set A"},
    {FNC1, 2, true, {SB, F1}, 0, FNC1 + " ", "check value 0 shows as a space"},
    // Rejected: code 6 when drawn.
    {"", 0, false, {}, 0, "", "empty text"},
    {"12A", 3, false, {}, 0, "", "set C needs digits only"},
    {"abc", 1, false, {}, 0, "", "set A has no lower case"},
    {"A`", 1, false, {}, 0, "", "set A ends at _ (95)"},
    {"A\x1f", 0, false, {}, 0, "", "control characters are rejected"},
    {"A\x87", 0, false, {}, 0, "", "bytes above 134 have no value"},
    {"A\xff", 2, false, {}, 0, "", "byte 255"},
    {"A\x82"
     "B",
     0,
     false,
     {},
     0,
     "",
     "130 would shift the next character"},
    {"A\x83"
     "12",
     0,
     false,
     {},
     0,
     "",
     "131 would switch a reader to set C"},
    {"12\x84"
     "34",
     0,
     false,
     {},
     0,
     "",
     "132 is CODE B in set C"},
    {"A\x85", 0, false, {}, 0, "", "133 is CODE A in set B"},
    {"1234", 4, false, {}, 0, "", "charset 4 is no code set"},
    {"1234", -1, false, {}, 0, "", "negative charset"},
};

CBarcodeSettings Settings(const std::string& data, int charset)
{
    CBarcodeSettings s;
    s.m_Type = 7;
    s.m_Data = data;
    s.m_Code128Charset = charset;
    return s;
}

std::vector<int> WithCheck(std::vector<int> values, int check)
{
    values.push_back(check);
    return values;
}

TEST(Code128Encode, Cases)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.what);
        CBarcodeSymCode128 sym(Settings(c.data, c.charset));
        EXPECT_EQ(sym.Encode(), c.valid);
        EXPECT_EQ(sym.m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_TRUE(sym.m_Pattern.empty());
            continue;
        }
        EXPECT_EQ(c128t::PatternToValues(sym.m_Pattern), WithCheck(c.values, c.check));
        EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(sym.m_Pattern)), sym.m_DataBytes);
        EXPECT_EQ(sym.m_CheckValue, c.check);
        EXPECT_EQ(sym.m_DisplayText, c.text);
        // n symbol characters (start and check included), then 13 modules of stop.
        EXPECT_EQ(c128t::ModuleString(sym.m_Pattern).size(), 11 * (c.values.size() + 1) + 13);
    }
}

// Random texts of every accepted byte, long ones included: whatever the set
// changes, a reader must get the text back.
TEST(Code128Encode, RandomTextsRoundTripThroughTheValues)
{
    std::mt19937 rng(128);
    std::string alphabet;
    for (int b = 32; b < 128; ++b)
        alphabet += static_cast<char>(b);
    alphabet += "\x80\x81\x86"
                "0123456789012345678901234567890123456789"; // favour digit runs
    for (int round = 0; round < 300; ++round) {
        const std::size_t length = round < 290 ? 1 + rng() % 40 : 5000 + rng() % 5000;
        std::string data;
        for (std::size_t i = 0; i < length; ++i)
            data += alphabet[rng() % alphabet.size()];
        SCOPED_TRACE(data.substr(0, 60));
        CBarcodeSymCode128 sym(Settings(data, 0));
        ASSERT_TRUE(sym.Encode());
        EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(sym.m_Pattern)), data);
    }
}

TEST(Code128Encode, EveryByteIsValidOnlyWhereItRoundTrips)
{
    for (int charset = 0; charset <= 3; ++charset) {
        for (int b = 1; b < 256; ++b) {
            const std::string data = std::string("7") + static_cast<char>(b) + "Z";
            CBarcodeSymCode128 sym(Settings(data, charset));
            const bool valid = sym.Encode();
            const bool expected = charset == 3   ? false
                                  : charset == 1 ? (b >= 32 && b <= 95) || b == 128 || b == 129 || b == 134
                                                 : (b >= 32 && b <= 129) || b == 134;
            EXPECT_EQ(valid, expected) << "charset " << charset << " byte " << b;
            if (valid) {
                EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(sym.m_Pattern)), data) << b;
            }
        }
    }
}

// ISO/IEC 15417, Table 1: every character is 11 modules of three bars and three
// spaces with an even number of bar modules, and no two are alike.
TEST(Code128Encode, WidthTableIsWellFormed)
{
    std::set<std::string> seen;
    for (int v = 0; v < 107; ++v) {
        const auto& row = Code128Widths[static_cast<std::size_t>(v)];
        EXPECT_EQ(row[0] + row[1] + row[2] + row[3] + row[4] + row[5], 11) << v;
        if (v < 106) {
            EXPECT_EQ((row[0] + row[2] + row[4]) % 2, 0) << v;
        }
        EXPECT_TRUE(seen.insert(c128t::RowModules(v)).second) << v;
    }
    // Spot rows as printed in the standard.
    EXPECT_EQ(c128t::RowModules(0), "11011001100");
    EXPECT_EQ(c128t::RowModules(C128_START_A), "11010000100");
    EXPECT_EQ(c128t::RowModules(C128_START_B), "11010010000");
    EXPECT_EQ(c128t::RowModules(C128_START_C), "11010011100");
    EXPECT_EQ(c128t::RowModules(C128_FNC1), "11110101110");
    EXPECT_EQ(c128t::RowModules(C128_STOP) + "11", "1100011101011");
}

TEST(Code128Encode, WholeSymbolAsModules)
{
    // "12" auto: START C, 12, check 14, STOP.
    CBarcodeSymCode128 sym(Settings("12", 0));
    ASSERT_TRUE(sym.Encode());
    EXPECT_EQ(c128t::ModuleString(sym.m_Pattern), "11010011100"
                                                  "10110011100"
                                                  "10011001110"
                                                  "1100011101011");
}

TEST(Code128Encode, CheckCharacterShownOnlyOnRequest)
{
    CBarcodeSettings s = Settings("1234567", 0);
    s.m_ShowCheckDigit = false;
    CBarcodeSymCode128 sym(s);
    ASSERT_TRUE(sym.Encode());
    EXPECT_EQ(sym.m_DisplayText, "1234567");
    sym.m_ShowCheckDigit = true;
    ASSERT_TRUE(sym.Encode());
    EXPECT_EQ(sym.m_DisplayText, "1234567L");
    // m_CalcCheckDigit has no say: the check character is part of Code 128.
    sym.m_CalcCheckDigit = false;
    ASSERT_TRUE(sym.Encode());
    EXPECT_EQ(c128t::PatternToValues(sym.m_Pattern).back(), 44);
}

TEST(Code128Encode, ChangingTheCharsetReencodes)
{
    CBarcodeSymCode128 sym(Settings("1234", 0));
    ASSERT_TRUE(sym.Encode());
    EXPECT_EQ(c128t::PatternToValues(sym.m_Pattern), (std::vector<int>{SC, 12, 34, 82}));
    sym.m_Code128Charset = 4;
    EXPECT_FALSE(sym.Encode());
    EXPECT_FALSE(sym.m_Valid);
    sym.m_Code128Charset = 2;
    ASSERT_TRUE(sym.Encode());
    EXPECT_TRUE(sym.m_Valid);
    EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(sym.m_Pattern)), "1234");
    EXPECT_EQ(c128t::PatternToValues(sym.m_Pattern).front(), SB);
}

} // namespace

namespace {

// The compliant automatic sets: the fewest symbol characters, each row's
// values written out by hand from ISO/IEC 15417, Annex E (where its rules give
// more, the shorter encoding).
struct ShortestCase {
    std::string data;
    std::vector<int> values; // start to last data value
    const char* what;
};

const std::vector<ShortestCase> ShortestCases = {
    {"A30741", {SB, B('A'), B('3'), CC, 7, 41}, "odd run inside: C after its first digit (E.2.2)"},
    {"1234567", {SC, 12, 34, 56, CB, B('7')}, "odd leading run: as short either way, C kept"},
    {FNC1 + "AB", {SB, F1, B('A'), B('B')}, "FNC1 then letters starts in B"},
    {FNC1 + "12", {SC, F1, 12}, "FNC1 then a digit pair starts in C"},
    {"12", {SC, 12}, "a lone pair"},
    {"1", {SB, B('1')}, "one digit"},
    {"AB12CD",
     {SB, B('A'), B('B'), B('1'), B('2'), B('C'), B('D')},
     "a pair between letters costs two changes"},
    {"AB1234CD",
     {SB, B('A'), B('B'), B('1'), B('2'), B('3'), B('4'), B('C'), B('D')},
     "four digits inside stay in B (Annex E: C for six or more)"},
    {"AB123456CD", {SB, B('A'), B('B'), CC, 12, 34, 56, CB, B('C'), B('D')}, "six digits inside go to C"},
    {"AB123456", {SB, B('A'), B('B'), CC, 12, 34, 56}, "run to the end"},
    {"12" + FNC1 + "3", {SC, 12, F1, CB, B('3')}, "FNC1 in C, then B for the odd digit"},
    // Set A: control characters are 64..95 there (TAB 73, ESC 91); SHIFT is 98.
    {"A\tB", {SA, B('A'), 73, B('B')}, "a control character before lower case starts in A (Annex E)"},
    {"a\tb", {SB, B('a'), 98, 73, B('b')}, "one control character between lower case: SHIFT (Annex E)"},
    {"\t\x1b"
     "a",
     {SA, 73, 91, CB, B('a')},
     "lower case to the end: CODE B, as short as SHIFT"},
    {"\tab\t",
     {SA, 73, CB, B('a'), B('b'), CA, 73},
     "CODE B for two lower case, CODE A for the last (Annex E)"},
    // 16 and the check: 17 symbol characters, the odd run 302 FNC1 8005971485 (FNC1 kept in C)
    // going to C after its first digit.
    {FNC1 + "37469" + FNC1 + "302" + FNC1 + "8005971485",
     {SC, F1, 37, 46, CB, B('9'), F1, B('3'), CC, 2, F1, 80, 5, 97, 14, 85},
     "GS1 (37)469 (30)2 (8005)971485"},
};

TEST(Code128Encode, CompliantSetsAreTheShortest)
{
    for (const ShortestCase& c : ShortestCases) {
        SCOPED_TRACE(c.what);
        CBarcodeSettings s = Settings(c.data, 0);
        s.m_Compliant = true;
        CBarcodeSymCode128 sym(s);
        ASSERT_TRUE(sym.Encode());
        const std::vector<int> values = c128t::PatternToValues(sym.m_Pattern);
        EXPECT_EQ(std::vector<int>(values.begin(), values.end() - 1), c.values);
        EXPECT_EQ(c128t::ValuesToBytes(values), sym.m_DataBytes);
        if (c.data.find('\t') == std::string::npos) {
            EXPECT_EQ(sym.m_DisplayText, c.data) << "no check character in the text";
        } else {
            EXPECT_NE(sym.m_DisplayText.find("<TAB>"), std::string::npos) << "control characters by name";
        }
    }
    // Never longer than the greedy choice, always the same bytes.
    std::mt19937 rng(15417);
    const std::string alphabet = "0123456789012345678901234567890123456789AbZ\x86\t";
    for (int round = 0; round < 2000; ++round) {
        std::string data;
        for (std::size_t i = 0, n = 1 + rng() % 24; i < n; ++i)
            data += alphabet[rng() % alphabet.size()];
        CBarcodeSymCode128 greedy(Settings(data, 0));
        CBarcodeSettings s = Settings(data, 0);
        s.m_Compliant = true;
        CBarcodeSymCode128 shortest(s);
        ASSERT_TRUE(shortest.Encode()) << data;
        // The greedy choice takes no control characters.
        if (greedy.Encode()) {
            EXPECT_LE(shortest.m_Pattern.size(), greedy.m_Pattern.size()) << data;
        }
        EXPECT_EQ(c128t::ValuesToBytes(c128t::PatternToValues(shortest.m_Pattern)), data);
    }
}

} // namespace
