// The symbology base without pixels: texts, calling order, element lengths,
// and the largest module its encoded symbol fits with.
#include "tests/engine_support.h"

#include <gtest/gtest.h>

#include <climits>

using et::MakeSym;
using et::Modules;

namespace {

TEST(EngineSettings, DefaultsAndCopies)
{
    const CBarcodeSettings s;
    EXPECT_EQ(s.m_Type, 0);
    EXPECT_EQ(s.m_Data, "012345");
    EXPECT_TRUE(s.m_DataBytes.empty());
    EXPECT_TRUE(s.m_DisplayText.empty());
    EXPECT_EQ(s.m_BackColor, 0xffffffU);
    EXPECT_EQ(s.m_BarcodeAlign, 2);
    EXPECT_EQ(s.m_FontHeight, 14);
    EXPECT_FLOAT_EQ(s.m_WideToNarrow, kavren::Options{}.wideToNarrow); // one default for both
    EXPECT_TRUE(s.m_QuietZones && s.m_ShowGuards && s.m_ShowText && s.m_TextBelow);
    EXPECT_TRUE(s.m_ShowCheckDigit && s.m_CalcCheckDigit && s.m_ConvertNonPrinting);
    EXPECT_FALSE(s.m_KeepBackground || s.m_ShowStartStop || s.m_EanTextFlush);

    CBarcodeSettings copy = s;
    EXPECT_EQ(copy, s);
    copy.m_Data += "9"; // the copy owns its own text
    EXPECT_EQ(s.m_Data, "012345");
}

TEST(EngineText, ControlCharNamesFollowAscii)
{
    EXPECT_STREQ(ControlCharNames[0], "<NULL>");
    EXPECT_STREQ(ControlCharNames[9], "<TAB>");
    EXPECT_STREQ(ControlCharNames[13], "<CR>");
    EXPECT_STREQ(ControlCharNames[27], "<ESC>");
    EXPECT_STREQ(ControlCharNames[31], "<US>");
}

TEST(EngineText, BytesToText)
{
    struct Case {
        std::string bytes;
        bool convert;
        std::string expected;
    };
    const Case cases[] = {
        {"A\tB", true, "A<TAB>B"},              // control character by name
        {"A\tB", false, "AB"},                  // ... or left out
        {"\x7f", true, "\x7f"},                 // DEL is not a control name
        {"\x80\xff ", true, "\x80\xff "},       // high bytes and space copied
        {std::string(1, '\0'), true, "<NULL>"}, // byte 0 is a character too
        {std::string("\x1f\0", 2), false, ""},  // all dropped
        {"", true, ""},                         // nothing in, nothing out
    };
    for (const Case& c : cases) {
        std::string out = "left over";
        BytesToText(c.bytes, out, c.convert);
        EXPECT_EQ(out, c.expected) << "bytes of length " << c.bytes.size() << ", convert " << c.convert;
    }
}

TEST(EngineText, IsAllDigits)
{
    EXPECT_FALSE(CBarcodeSym::IsAllDigits(nullptr));
    EXPECT_FALSE(CBarcodeSym::IsAllDigits(""));
    EXPECT_FALSE(CBarcodeSym::IsAllDigits("12a"));
    EXPECT_FALSE(CBarcodeSym::IsAllDigits("-1"));
    EXPECT_FALSE(CBarcodeSym::IsAllDigits(" 1"));
    EXPECT_FALSE(CBarcodeSym::IsAllDigits("1\xb2")); // Latin-1 superscript two
    EXPECT_TRUE(CBarcodeSym::IsAllDigits("0"));
    EXPECT_TRUE(CBarcodeSym::IsAllDigits("0123456789"));
}

TEST(EngineOrder, EncodeLoadsDataAndTextThenPattern)
{
    auto sym = MakeSym(Modules("101"));
    EXPECT_TRUE(sym->m_Valid);
    EXPECT_EQ(sym->m_DataBytes, "012345");
    EXPECT_EQ(sym->m_DisplayText, "012345");
    EXPECT_EQ(sym->m_Pattern, Modules("101"));
}

TEST(EngineOrder, InvalidTextKeepsTheLastGoodEncoding)
{
    auto sym = MakeSym(Modules("1101"));
    const auto encode = [&](const char* data) {
        sym->m_Data = data;
        sym->Encode();
    };
    encode("bad");
    EXPECT_FALSE(sym->m_Valid);
    EXPECT_EQ(sym->m_DataBytes, "012345");
    EXPECT_EQ(sym->m_DisplayText, "012345");
    EXPECT_EQ(sym->m_Pattern, Modules("1101"));

    encode(""); // an empty text fails HasData
    EXPECT_FALSE(sym->m_Valid);

    encode("OK");
    EXPECT_TRUE(sym->m_Valid);
    EXPECT_EQ(sym->m_DataBytes, "OK");
}

TEST(EngineOrder, FlagChangeTakesEffectOnlyWithEncode)
{
    auto sym = MakeSym(Modules("1"));
    sym->m_CalcCheckDigit = true; // the stand-in check bar appears only after Encode
    EXPECT_EQ(sym->m_Pattern, Modules("1"));
    sym->Encode();
    EXPECT_EQ(sym->m_Pattern, (std::vector<std::uint8_t>{BAR1, BAR1}));
}

// ---- Lengths ---------------------------------------------------------------

TEST(EngineLength, SymbolLengths)
{
    struct Case {
        std::vector<std::uint8_t> codes;
        bool quietZones;
        float ratio;
        int m;
        std::int32_t expected;
    };
    const std::vector<std::uint8_t> mixed = {BAR1, SPACE1, WIDE_BAR, WIDE_SPACE, BAR1}; // n = 3, k = 2
    const std::vector<std::uint8_t> allMultiWidth = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    const Case cases[] = {
        {mixed, true, 3.0F, 1, 20 + 3 + 6},       // 20m + n*m + k*W
        {mixed, true, 3.0F, 2, 2 * (20 + 3 + 6)}, // W = 3m, so the length doubles
        {{WIDE_BAR}, false, 2.5F, 1, 3},          // 2.5 rounds away from zero
        {{WIDE_BAR}, false, 2.5F, 2, 5},
        {allMultiWidth, false, 3.0F, 1, 21}, // 1,2,1,2,3,3,4,4,1 modules
        {allMultiWidth, false, 3.0F, 3, 63},
        {{9, 10, 11, 14, 255}, false, 3.0F, 5, 0},           // postal and unknown codes are 0 long
        {{9, 10, 11}, true, 3.0F, 2, 40},                    // ... leaving the quiet zones
        {{}, true, 3.0F, 0, 0},                              // no width, no length
        {mixed, true, 3.0F, -1, INT32_MAX},                  // "no width found"
        {mixed, true, 3.0F, -7, INT32_MAX},                  // a negative width has no length
        {{}, true, 3.0F, 200'000'000, INT32_MAX},            // quiet zones alone pass int32
        {{}, true, 3.0F, INT32_MAX, INT32_MAX},              // 10 m itself passes int32
        {{BAR4}, false, 3.0F, 400'000'000, 1'600'000'000},   // large but exact
        {{BAR4, BAR4}, false, 3.0F, 400'000'000, INT32_MAX}, // the sum passes int32
        {{WIDE_BAR}, false, 1e9F, 3, INT32_MAX},             // W saturates
        {{WIDE_BAR}, false, 1e30F, 1, INT32_MAX},
        {{WIDE_BAR}, false, 1000.0F, 1, 1000},
        {{WIDE_BAR, BAR1}, false, -3.0F, 1, 1}, // a negative ratio gives no width
    };
    for (const Case& c : cases) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_QuietZones = c.quietZones;
        s.m_WideToNarrow = c.ratio;
        auto sym = MakeSym(c.codes, s);
        EXPECT_EQ(sym->GetSymbolLength(c.m), c.expected)
            << c.codes.size() << " codes, ratio " << c.ratio << ", m " << c.m;
    }
}

TEST(EngineLength, QuietZones)
{
    auto sym = MakeSym(Modules("1011"));
    EXPECT_EQ(sym->GetQuietZoneWidth(3), 30);
    EXPECT_EQ(sym->GetQuietZoneWidth(-1), 0);
    EXPECT_EQ(sym->GetTrailingQuietZoneWidth(3), 30);
    sym->m_QuietZones = false;
    EXPECT_EQ(sym->GetQuietZoneWidth(3), 0);
}

// ---- Fit and module width ----------------------------------------------------

TEST(EngineFit, LargestModuleAndFitLimits)
{
    // 20m quiet zones + 4 modules: 24 pixels per module width. -1: none fits.
    struct Case {
        int orientation;
        bool quietZones;
        std::vector<std::uint8_t> codes;
        Size area;
        std::int32_t expected;
    };
    const auto bars = Modules("1011");
    const Case cases[] = {
        {0, true, bars, {24, 50}, 1},  // exactly the length at m = 1
        {0, true, bars, {23, 50}, -1}, // one pixel short
        {0, true, bars, {48, 50}, 2},  // exactly m = 2
        {0, true, bars, {71, 50}, 2},  // one short of m = 3
        {0, true, bars, {72, 50}, 3},
        {90, true, bars, {50, 72}, 3}, // vertical: the height counts
        {90, true, bars, {72, 50}, 2},
        {270, true, bars, {10, 23}, -1},
        {0, false, {}, {100, 50}, 1},                           // no symbol at all: it never grows, so 1
        {0, false, {}, {0, 50}, 1},                             // ... and fits even an empty area
        {0, false, {9, 10, 11}, {10, 50}, 3},                   // postal codes: a module each
        {0, false, {WIDE_BAR}, {1000, 50}, 400},                // W = 2.5m: beyond the stepped widths
        {0, true, bars, {INT32_MAX, 50}, (INT32_MAX - 1) / 24}, // any area ends quickly
        {0, true, bars, {INT32_MIN, 50}, -1},
        {0, false, {BAR1}, {INT32_MAX, 1}, INT32_MAX}, // the longest image side
    };
    for (const Case& c : cases) {
        CBarcodeSettings s = et::PlainSettings();
        s.m_Orientation = c.orientation;
        s.m_QuietZones = c.quietZones;
        s.m_WideToNarrow = 2.5F;
        s.m_ShowText = false;
        auto sym = MakeSym(c.codes, s);
        EXPECT_EQ(et::FittingModule(*sym, c.area.width, c.area.height), c.expected)
            << "orientation " << c.orientation << ", area " << c.area.width << "x" << c.area.height;
    }
}

} // namespace
