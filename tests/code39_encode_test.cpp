// Code 39 and Code 39 Extended encoders: check character, gaps, display text,
// the full-ASCII pairs and the tilde escapes.
#include "symbologies/Code39.h"
#include "symbologies/Code39Ext.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// ISO/IEC 16388 characters as modules with a wide element of 2 modules.
const std::string STAR = "100101101101";
const std::string A = "110101001011";
const std::string W = "110011010101";
const std::string ZERO = "101001101101";

// Code 39, one row per case: data, flags, validity, display text, check value,
// and the symbol as modules (wide = 2) where a row pins it.
struct Code39Case {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    int check; // -1: not computed
    std::string modules;
};

const Code39Case kCode39Cases[] = {
    {"worked example: 12+24+13+14+3+9 = 75, 75 mod 43 = 32 (W)", "CODE39", {}, true, "CODE39W", 32, ""},
    {"start/stop shown around text and check", "CODE39", {true, true, true}, true, "*CODE39W*", 32, ""},
    {"check encoded but hidden", "CODE39", {true, false}, true, "CODE39", 32, ""},
    {"show without calc: no check at all", "CODE39", {false, true}, true, "CODE39", -1, ""},
    {"one character, no check: start, gap, A, gap, stop",
     "A",
     {false, false},
     true,
     "A",
     -1,
     STAR + "0" + A + "0" + STAR},
    {"one character with check A (10)", "A", {}, true, "AA", 10, STAR + "0" + A + "0" + A + "0" + STAR},
    {"check value 0 is the character 0", "0", {}, true, "00", 0, STAR + "0" + ZERO + "0" + ZERO + "0" + STAR},
    {"check value 32 alone", "W", {}, true, "WW", 32, STAR + "0" + W + "0" + W + "0" + STAR},
    {"all 43 characters sum to 903 = 21 x 43",
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%",
     {},
     true,
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%0",
     0,
     ""},
    {"check value 38 shows as a space", "Z3", {}, true, "Z3 ", 38, ""},
    {"lower case is not Code 39", "abc", {}, false, "", -1, ""},
    {"the asterisk is start/stop only", "A*B", {}, false, "", -1, ""},
    {"tilde is not Code 39", "A~", {}, false, "", -1, ""},
    {"empty text", "", {}, false, "", -1, ""},
    {"byte above 127", "A\xC4", {}, false, "", -1, ""},
};

TEST(Code39Encode, Table)
{
    for (const auto& c : kCode39Cases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode39>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_FALSE(sym->Encode());
            continue;
        }
        EXPECT_EQ(sym->m_DisplayText, c.display);
        const std::size_t characters = c.data.size() + (c.check >= 0 ? 3 : 2);
        // Nine elements a character and a gap between neighbours.
        EXPECT_EQ(sym->m_Pattern.size(), characters * 10 - 1);
        if (c.check >= 0) {
            EXPECT_EQ(sym->m_CheckValue, c.check);
        }
        if (!c.modules.empty()) {
            EXPECT_EQ(Modules(sym->m_Pattern), c.modules);
        } else {
            EXPECT_NE(Modules(sym->m_Pattern), "not alternating");
        }
    }
}

TEST(Code39Encode, WideElementsAreTheWideCodesAndAThirdOfEachCharacter)
{
    auto sym = Encoded<CBarcodeSymCode39>("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    int wide = 0;
    int narrow = 0;
    for (std::uint8_t e : sym->m_Pattern) {
        ASSERT_TRUE(e == BAR1 || e == SPACE1 || e == WIDE_BAR || e == WIDE_SPACE) << int(e);
        (e == WIDE_BAR || e == WIDE_SPACE ? wide : narrow)++;
    }
    const int characters = 43 + 3;
    EXPECT_EQ(wide, 3 * characters);
    EXPECT_EQ(narrow, 6 * characters + (characters - 1));
}

TEST(Code39Encode, DisplayFlagsNeedNoNewEncode)
{
    auto sym = Encoded<CBarcodeSymCode39>("CODE39");
    const auto pattern = sym->m_Pattern;
    sym->m_ShowStartStop = true;
    sym->BuildDisplayText();
    EXPECT_EQ(sym->m_DisplayText, "*CODE39W*");
    sym->m_ShowCheckDigit = false;
    sym->BuildDisplayText();
    EXPECT_EQ(sym->m_DisplayText, "*CODE39*");
    EXPECT_EQ(sym->m_Pattern, pattern);

    // Turning the check off keeps the old value but neither encodes nor shows it.
    sym->m_ShowCheckDigit = true;
    sym->m_CalcCheckDigit = false;
    ASSERT_TRUE(sym->Encode());
    EXPECT_EQ(sym->m_CheckValue, 32);
    EXPECT_EQ(sym->m_DisplayText, "*CODE39*");
    EXPECT_EQ(sym->m_Pattern.size(), pattern.size() - 10);
}

TEST(Code39Encode, LongTextsStayExact)
{
    // 20000 characters of value 42: the sum would be 840000, the check is 840000 mod 43 = 5.
    auto sym = Encoded<CBarcodeSymCode39>(std::string(20000, '%'));
    ASSERT_TRUE(sym->m_Valid);
    EXPECT_EQ(sym->m_CheckValue, 840000 % 43);
    EXPECT_EQ(sym->m_Pattern.size(), (20000u + 3) * 10 - 1);
}

// Code 39 Extended, one row per case: data, flags, validity, display text, and
// the plain Code 39 characters the symbol must equal.
struct ExtCase {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    std::string characters;
};

const ExtCase kExtCases[] = {
    {"lower case as +A pairs; check 27 (R)", "abc", {}, true, "abcR", "+A+B+C"},
    {"asterisk as /J", "A*B", {}, true, "A*B.", "A/JB"},
    {"~0D is CR, $M, named when converting", "A~0DB", {}, true, "A<CR>B$", "A$MB"},
    {"~0D left out of the text when not converting",
     "A~0DB",
     {true, true, false, false},
     true,
     "AB$",
     "A$MB"},
    {"lower-case hex digits", "A~0dB", {false, true}, true, "A<CR>B", "A$MB"},
    {"double tilde is one tilde, %S", "~~", {}, true, "~R", "%S"},
    {"tilde not followed by hex stays", "~G1", {}, true, "~G11", "%SG1"},
    {"tilde and one digit at the end stay", "~7", {}, true, "~7Y", "%S7"},
    {"tilde last", "A~", {false, true}, true, "A~", "A%S"},
    {"tilde, one hex digit, end", "~0", {false, true}, true, "~0", "%S0"},
    {"~7F is DEL, the one pair %T, shown as the byte", "~7F", {}, true, "\x7FS", "%T"},
    {"raw DEL is accepted", "\x7F", {false, true}, true, "\x7F", "%T"},
    {"~00 is NUL, %U", "~00", {}, true, "<NULL>T", "%U"},
    {"~80 is dropped whole", "~80A", {}, true, "AA", "A"},
    {"~FF is dropped whole", "A~FFB", {false, true}, true, "AB", "AB"},
    {"three tildes: one pair then a literal", "~~~", {false, true}, true, "~~", "%S%S"},
    {"escape right after a double tilde", "~~~41", {false, true}, true, "~A", "%SA"},
    {"start/stop around the decoded text", "a~09b", {true, true, true}, true, "*a<TAB>bV*", "+A$I+B"},
    {"escapes only, all dropped: nothing left to scan", "~80~FF", {}, false, "", ""},
    {"raw control character", "A\tB", {}, false, "", ""},
    {"raw byte above 127", "\xE9", {}, false, "", ""},
    {"empty text", "", {}, false, "", ""},
};

TEST(Code39ExtEncode, Table)
{
    for (const auto& c : kExtCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCode39Ext>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_FALSE(sym->Encode());
            continue;
        }
        EXPECT_EQ(sym->m_DisplayText, c.display);
        auto plain = Encoded<CBarcodeSymCode39>(c.characters, c.flags);
        ASSERT_TRUE(plain->m_Valid);
        EXPECT_EQ(sym->m_Pattern, plain->m_Pattern);
        EXPECT_EQ(sym->m_CheckValue, plain->m_CheckValue);
    }
}

TEST(Code39ExtEncode, EveryRawByteAndEveryEscape)
{
    for (int b = 1; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string raw(1, static_cast<char>(b));
        auto sym = Encoded<CBarcodeSymCode39Ext>(raw, {false, false});
        ASSERT_EQ(sym->m_Valid, b >= 32 && b <= 127);
    }
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        char escape[4];
        std::snprintf(escape, sizeof escape, "~%02X", b);
        auto sym = Encoded<CBarcodeSymCode39Ext>(std::string(escape) + "Z", {false, false});
        ASSERT_TRUE(sym->m_Valid);
        std::string expected = b < 128 ? Code39FullAscii[static_cast<std::size_t>(b)] : "";
        EXPECT_EQ(sym->m_DataBytes, b < 128 ? std::string(1, static_cast<char>(b)) + "Z" : "Z");
        auto plain = Encoded<CBarcodeSymCode39>(expected + "Z", {false, false});
        EXPECT_EQ(sym->m_Pattern, plain->m_Pattern);
    }
}

TEST(Code39ExtEncode, FullAsciiTableShape)
{
    for (int b = 0; b < 128; ++b) {
        SCOPED_TRACE(b);
        const std::string entry = Code39FullAscii[static_cast<std::size_t>(b)];
        std::uint8_t value = 0;
        const bool ownCharacter =
            b == ' ' || b == '-' || b == '.' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z');
        if (ownCharacter) {
            EXPECT_EQ(entry, std::string(1, static_cast<char>(b)));
        } else {
            ASSERT_EQ(entry.size(), 2u);
            EXPECT_NE(std::string("$%/+").find(entry[0]), std::string::npos);
            EXPECT_TRUE(CBarcodeSymCode39::LookupChar(entry[1], value));
        }
    }
    // No two bytes share a representation.
    for (int a = 0; a < 128; ++a)
        for (int b = a + 1; b < 128; ++b)
            EXPECT_STRNE(Code39FullAscii[static_cast<std::size_t>(a)],
                         Code39FullAscii[static_cast<std::size_t>(b)]);
}

// DecodeTildeEscapes with bounds, one row per escape form.
struct EscapeCase {
    const char* why;
    const char* text;
    std::uint8_t lowest;
    std::uint8_t highest;
    std::string bytes;
};

const EscapeCase kEscapeCases[] = {
    {"plain text unchanged", "AB c", 0, 127, "AB c"},
    {"double tilde", "~~", 0, 127, "~"},
    {"hex escape, upper and lower case digits", "~4a~4A", 0, 127, "JJ"},
    {"NUL escape is a real zero byte", "~00", 0, 127, std::string(1, '\0')},
    {"lowest bound kept", "~20", 32, 126, " "},
    {"below lowest dropped with its three characters", "x~1Fy", 32, 126, "xy"},
    {"highest bound kept", "~7E", 32, 126, "~"},
    {"above highest dropped", "x~7Fy", 32, 126, "xy"},
    {"above 127 dropped", "~80~ff", 0, 127, ""},
    {"full byte range", "~FF", 0, 255, "\xFF"},
    {"tilde last", "ab~", 0, 127, "ab~"},
    {"tilde and one character at the end", "~4", 0, 127, "~4"},
    {"second character not hex", "~4G", 0, 127, "~4G"},
    {"first character not hex", "~G4", 0, 127, "~G4"},
    {"tilde then tilde then hex", "~~41", 0, 127, "~41"},
    {"escape after a literal tilde", "~~~41", 0, 127, "~A"},
    {"empty text", "", 0, 127, ""},
};

TEST(DecodeTildeEscapes, Table)
{
    for (const auto& c : kEscapeCases) {
        SCOPED_TRACE(c.why);
        std::string out = "stale";
        DecodeTildeEscapes(c.text, out, c.lowest, c.highest);
        EXPECT_EQ(out, c.bytes);
    }
    std::string out = "stale";
    DecodeTildeEscapes(nullptr, out, 0, 127);
    EXPECT_EQ(out, "");
}

} // namespace

namespace {

TEST(Code39Encode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode39>("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode39Ext>("~~0123456789ABCDEFabcdef7*");
}

} // namespace
