// Code 39 and Code 39 Extended encoders: check character, gaps, display text,
// the full-ASCII pairs and the tilde escapes.
#include "symbologies/Code39.h"
#include "symbologies/Code39Ext.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// ISO/IEC 16388 characters as modules, a wide element 2 modules.
const std::string STAR = "100101101101", A = "110101001011", ZERO = "101001101101";
const Flags NoCheck{false, false}, StartStop{true, true, true}, Hidden{true, false};

// Code 39: data, flags, validity, display text, check value (-1 none), modules where pinned.
struct Code39Case {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    int check;
    std::string modules;
};

// clang-format off
const Code39Case kCode39Cases[] = {
    {"worked example: 75 mod 43 = 32 (W)", "CODE39", {}, true, "CODE39W", 32, ""},
    {"start/stop around text and check", "CODE39", StartStop, true, "*CODE39W*", 32, ""},
    {"check encoded, not shown", "CODE39", Hidden, true, "CODE39", 32, ""},
    {"shown but not computed: none", "CODE39", {false, true}, true, "CODE39", -1, ""},
    {"start, gap, A, gap, stop", "A", NoCheck, true, "A", -1, STAR + "0" + A + "0" + STAR},
    {"check of A is A", "A", {}, true, "AA", 10, STAR + "0" + A + "0" + A + "0" + STAR},
    {"check value 0", "0", {}, true, "00", 0, STAR + "0" + ZERO + "0" + ZERO + "0" + STAR},
    {"all 43: 903 = 21 x 43", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", {}, true,
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%0", 0, ""},
    {"check value 38 is a space", "Z3", {}, true, "Z3 ", 38, ""},
    {"no lower case", "abc", {}, false, "", -1, ""},
    {"asterisk is start/stop only", "A*B", {}, false, "", -1, ""},
    {"empty", "", {}, false, "", -1, ""},
    {"byte above 127", "A\xC4", {}, false, "", -1, ""},
};
// clang-format on

TEST(Code39Encode, Table)
{
    for (const auto& c : kCode39Cases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode39>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DisplayText, c.display);
        // Nine elements a character and a gap between neighbours.
        EXPECT_EQ(sym->m_Pattern.size(), (c.data.size() + (c.check >= 0 ? 3 : 2)) * 10 - 1);
        EXPECT_EQ(c.check >= 0 ? sym->m_CheckValue : -1, c.check);
        const std::string modules = Modules(sym->m_Pattern);
        EXPECT_NE(modules, "not alternating");
        EXPECT_TRUE(c.modules.empty() || modules == c.modules) << modules;
    }
}

TEST(Code39Encode, TextFlagsUseTheLastCheckValue)
{
    auto sym = Encoded<CBarcodeSymCode39>("CODE39");
    const auto pattern = sym->m_Pattern;
    sym->m_ShowStartStop = true;
    ASSERT_TRUE(sym->Encode());
    EXPECT_EQ(sym->m_DisplayText, "*CODE39W*");
    EXPECT_EQ(sym->m_Pattern, pattern);
    // Turning the check off keeps the old value but neither encodes nor shows it.
    sym->m_CalcCheckDigit = false;
    ASSERT_TRUE(sym->Encode());
    EXPECT_EQ(sym->m_CheckValue, 32);
    EXPECT_EQ(sym->m_DisplayText, "*CODE39*");
    EXPECT_EQ(sym->m_Pattern.size(), pattern.size() - 10);
}

// Code 39 Extended: data, flags, validity, display text, the Code 39 characters encoded.
struct ExtCase {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    std::string characters;
};

// clang-format off
const ExtCase kExtCases[] = {
    {"lower case as +A pairs, check R", "abc", {}, true, "abcR", "+A+B+C"},
    {"asterisk as /J", "A*B", {}, true, "A*B.", "A/JB"},
    {"~0D is CR ($M), named", "A~0DB", {}, true, "A<CR>B$", "A$MB"},
    {"CR left out without conversion", "A~0DB", {true, true, false, false}, true, "AB$", "A$MB"},
    {"lower-case hex digits", "A~0dB", NoCheck, true, "A<CR>B", "A$MB"},
    {"double tilde is one (%S)", "~~", {}, true, "~R", "%S"},
    {"tilde before non-hex stays", "~G1", {}, true, "~G11", "%SG1"},
    {"tilde and one digit at the end", "~7", {}, true, "~7Y", "%S7"},
    {"tilde last", "A~", NoCheck, true, "A~", "A%S"},
    {"~7F is DEL, the one pair %T", "~7F", {}, true, "\x7FS", "%T"},
    {"raw DEL accepted", "\x7F", NoCheck, true, "\x7F", "%T"},
    {"~00 is NUL (%U)", "~00", {}, true, "<NULL>T", "%U"},
    {"~80 dropped whole", "~80A", {}, true, "AA", "A"},
    {"three tildes", "~~~", NoCheck, true, "~~", "%S%S"},
    {"escape after a double tilde", "~~~41", NoCheck, true, "~A", "%SA"},
    {"start/stop around decoded text", "a~09b", StartStop, true, "*a<TAB>bV*", "+A$I+B"},
    {"all escapes dropped: no data", "~80~FF", {}, false, "", ""},
    {"raw control character", "A\tB", {}, false, "", ""},
    {"raw byte above 127", "\xE9", {}, false, "", ""},
    {"empty", "", {}, false, "", ""},
};
// clang-format on

TEST(Code39ExtEncode, Table)
{
    for (const auto& c : kExtCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode39Ext>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DisplayText, c.display);
        auto plain = Encoded<CBarcodeSymCode39>(c.characters, c.flags);
        EXPECT_EQ(sym->m_Pattern, plain->m_Pattern);
        EXPECT_EQ(sym->m_CheckValue, plain->m_CheckValue);
    }
}

TEST(Code39ExtEncode, EveryRawByteAndEveryEscape)
{
    for (int b = 1; b < 256; ++b)
        EXPECT_EQ(Encoded<CBarcodeSymCode39Ext>(std::string(1, char(b)))->m_Valid, b >= 32 && b <= 127) << b;
    for (int b = 0; b < 256; ++b) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "~%02XZ", b);
        auto sym = Encoded<CBarcodeSymCode39Ext>(escape, NoCheck);
        const std::string pair = b < 128 ? Code39FullAscii[std::size_t(b)] : "";
        EXPECT_EQ(sym->m_Pattern, Encoded<CBarcodeSymCode39>(pair + "Z", NoCheck)->m_Pattern) << b;
    }
}

TEST(DecodeTildeEscapes, BoundsAndNullText)
{
    std::string out = "stale";
    DecodeTildeEscapes("~1F~20~7E~7F~~", out, 32, 126); // both bounds kept, beyond them dropped
    EXPECT_EQ(out, " ~~");
    DecodeTildeEscapes(nullptr, out, 0, 127);
    EXPECT_EQ(out, "");
}

TEST(Code39Encode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode39>("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode39Ext>("~~0123456789ABCDEFabcdef7*");
}

} // namespace
