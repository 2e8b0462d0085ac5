// Code 93 and Code 93 Extended encoders: the C and K checks with their weight
// cycles, the termination bar, display texts and the full-ASCII shift pairs.
#include "symbologies/Code93.h"
#include "symbologies/Code93Ext.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// AIM USS Code 93 characters as modules.
const std::string START_STOP = "101011110";
const std::string A = "110101000";
const std::string U = "110010110";
const std::string TERMINATION = "1";

// One row per case: data, flags, validity, display text, C and K, modules where pinned.
struct Code93Case {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    int checkC;
    int checkK;
    std::string modules;
};

const Code93Case kCode93Cases[] = {
    {"worked example TEST93", "TEST93", {}, true, "TEST93+6", 41, 6, ""},
    {"worked example CODE93", "CODE93", {}, true, "CODE93PV", 25, 31, ""},
    {"check characters hidden", "CODE93", {true, false}, true, "CODE93", 25, 31, ""},
    {"no calc flag: both checks are always encoded", "CODE93", {false, true}, true, "CODE93PV", 25, 31, ""},
    {"start/stop are never shown", "CODE93", {true, true, true}, true, "CODE93PV", 25, 31, ""},
    {"one character: start, A, C = A, K = U, stop, termination bar",
     "A",
     {},
     true,
     "AAU",
     10,
     30,
     START_STOP + A + A + U + START_STOP + TERMINATION},
    {"C weights restart after 20: leading 1 at position 21 weighs 1",
     "1" + std::string(20, '0'),
     {},
     true,
     "1" + std::string(20, '0') + "18",
     1,
     8,
     ""},
    {"K weights restart after 15: C = 15, leading 1 at position 16 weighs 1",
     "1" + std::string(14, '0'),
     {},
     true,
     "1" + std::string(14, '0') + "FG",
     15,
     16,
     ""},
    {"data $ / + % are data characters: C = 400 mod 47, K = 586 mod 47",
     "$/+%",
     {},
     true,
     "$/+%OM",
     24,
     22,
     ""},
    {"lower case is not Code 93", "test", {}, false, "", 0, 0, ""},
    {"asterisk", "A*", {}, false, "", 0, 0, ""},
    {"empty text", "", {}, false, "", 0, 0, ""},
    {"byte above 127", "\x80", {}, false, "", 0, 0, ""},
};

TEST(Code93Encode, Table)
{
    for (const auto& c : kCode93Cases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode93>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_FALSE(sym->Encode());
            continue;
        }
        EXPECT_EQ(sym->m_DisplayText, c.display);
        EXPECT_EQ(sym->m_CheckC, c.checkC);
        EXPECT_EQ(sym->m_CheckK, c.checkK);
        // 9 modules for each of start, data, C, K, stop; one for the termination bar.
        const std::string modules = Modules(sym->m_Pattern);
        EXPECT_EQ(modules.size(), 9 * (c.data.size() + 4) + 1);
        EXPECT_EQ(sym->m_Pattern.size(), 6 * (c.data.size() + 4) + 1);
        if (!c.modules.empty()) {
            EXPECT_EQ(modules, c.modules);
        }
        EXPECT_EQ(modules.substr(0, 9), START_STOP);
        EXPECT_EQ(modules.substr(modules.size() - 10), START_STOP + TERMINATION);
    }
}

TEST(Code93Encode, OnlyMultiWidthCodes)
{
    auto sym = Encoded<CBarcodeSymCode93>("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    ASSERT_TRUE(sym->m_Valid);
    for (std::uint8_t e : sym->m_Pattern)
        ASSERT_LE(e, SPACE4);
    // The ratio is not used: drawn with any wide width the modules are the same.
    EXPECT_EQ(Modules(sym->m_Pattern, 2), Modules(sym->m_Pattern, 3));
}

TEST(Code93Encode, LongTextsStayExact)
{
    // Every C weight cycle of 20 digits "9" adds 9 x 210; the sum must not overflow or drift.
    auto sym = Encoded<CBarcodeSymCode93>(std::string(20000, '9'));
    ASSERT_TRUE(sym->m_Valid);
    EXPECT_EQ(sym->m_CheckC, (1000 * 9 * 210) % 47);
    EXPECT_EQ(Modules(sym->m_Pattern).size(), 9u * (20000 + 4) + 1);
}

// The full-ASCII table against the standard, one row per kind of entry.
struct AsciiRow {
    int byte;
    int first;
    int second;
};

constexpr int SD = CBarcodeSymCode93::ShiftDollar, SP = CBarcodeSymCode93::ShiftPercent,
              SS = CBarcodeSymCode93::ShiftSlash, SA = CBarcodeSymCode93::ShiftPlus;

const AsciiRow kAsciiRows[] = {
    {0, SP, 30},   // NUL (%)U
    {1, SD, 10},   // SOH ($)A
    {13, SD, 22},  // CR ($)M
    {26, SD, 35},  // SUB ($)Z
    {27, SP, 10},  // ESC (%)A
    {31, SP, 14},  // US (%)E
    {32, 38, 0},   // space
    {33, SS, 10},  // ! (/)A
    {35, SS, 12},  // # (/)C
    {36, 39, 0},   // $ is itself
    {37, 42, 0},   // % is itself
    {38, SS, 15},  // & (/)F
    {42, SS, 19},  // * (/)J
    {43, 41, 0},   // + is itself
    {44, SS, 21},  // , (/)L
    {45, 36, 0},   // -
    {46, 37, 0},   // .
    {47, 40, 0},   // / is itself
    {48, 0, 0},    // 0
    {57, 9, 0},    // 9
    {58, SS, 35},  // : (/)Z
    {59, SP, 15},  // ; (%)F
    {63, SP, 19},  // ? (%)J
    {64, SP, 31},  // @ (%)V
    {65, 10, 0},   // A
    {90, 35, 0},   // Z
    {91, SP, 20},  // [ (%)K
    {95, SP, 24},  // _ (%)O
    {96, SP, 32},  // ` (%)W
    {97, SA, 10},  // a (+)A
    {122, SA, 35}, // z (+)Z
    {123, SP, 25}, // { (%)P
    {126, SP, 28}, // ~ (%)S
    {127, SP, 29}, // DEL (%)T
};

TEST(Code93ExtEncode, FullAsciiTable)
{
    const auto& table = CBarcodeSymCode93Ext::Code93FullAscii();
    for (const auto& r : kAsciiRows) {
        SCOPED_TRACE(r.byte);
        const auto& row = table[static_cast<std::size_t>(r.byte)];
        EXPECT_EQ(row.byte, r.byte);
        EXPECT_EQ(row.first, r.first);
        EXPECT_EQ(row.second, r.second);
    }
    for (std::size_t b = 0; b < table.size(); ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(table[b].byte, b);
        EXPECT_LE(table[b].first, SA);
        // A pair always starts with a shift; a single character never is one.
        EXPECT_EQ(table[b].second != 0, table[b].first >= SD);
    }
}

// One row per case: data, flags, validity, display text, C, K, number of data values.
struct ExtCase {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    int checkC;
    int checkK;
    std::size_t values;
};

const ExtCase kExtCases[] = {
    {"$ is one data character", "$", {}, true, "$$N", 39, 23, 1},
    {"! is (/)A", "!", {}, true, "!6K", 6, 20, 2},
    {"CR escape is ($)M, named; K 46 shows as +", "~0D", {}, true, "<CR>E+", 14, 46, 2},
    {"CR left out of the text without conversion", "~0D", {true, true, false, false}, true, "E+", 14, 46, 2},
    {"lower case as (+) pairs", "test", {true, false}, true, "test", -1, -1, 8},
    {"upper case stays single", "TEST93", {}, true, "TEST93+6", 41, 6, 6},
    {"double tilde is (%)S", "~~", {true, false}, true, "~", -1, -1, 2},
    {"DEL escape", "~7F", {true, false}, true, "\x7F", -1, -1, 2},
    {"escape above 127 dropped", "~80A", {}, true, "AAU", 10, 30, 1},
    {"escapes only: nothing left to scan", "~80", {}, false, "", 0, 0, 0},
    {"raw control character", "A\rB", {}, false, "", 0, 0, 0},
    {"raw byte above 127", "A\xFF", {}, false, "", 0, 0, 0},
    {"empty text", "", {}, false, "", 0, 0, 0},
};

TEST(Code93ExtEncode, Table)
{
    for (const auto& c : kExtCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode93Ext>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_FALSE(sym->Encode());
            continue;
        }
        EXPECT_EQ(sym->m_DisplayText, c.display);
        if (c.checkC >= 0) {
            EXPECT_EQ(sym->m_CheckC, c.checkC);
            EXPECT_EQ(sym->m_CheckK, c.checkK);
        }
        EXPECT_EQ(Modules(sym->m_Pattern).size(), 9 * (c.values + 4) + 1);
    }
}

TEST(Code93ExtEncode, EveryRawByteAndEveryEscape)
{
    const auto& table = CBarcodeSymCode93Ext::Code93FullAscii();
    for (int b = 1; b < 256; ++b) {
        SCOPED_TRACE(b);
        auto sym = Encoded<CBarcodeSymCode93Ext>(std::string(1, static_cast<char>(b)));
        ASSERT_EQ(sym->m_Valid, b >= 32 && b <= 127);
    }
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        char escape[5];
        std::snprintf(escape, sizeof escape, "~%02x", b);
        auto sym = Encoded<CBarcodeSymCode93Ext>(std::string(escape) + "Z");
        ASSERT_TRUE(sym->m_Valid);
        const std::size_t values = b < 128 ? (table[static_cast<std::size_t>(b)].second ? 3 : 2) : 1;
        EXPECT_EQ(Modules(sym->m_Pattern).size(), 9 * (values + 4) + 1);
    }
}

} // namespace

namespace {

TEST(Code93Encode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode93>("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode93Ext>("~~0123456789ABCDEFabcdef7*");
}

} // namespace
