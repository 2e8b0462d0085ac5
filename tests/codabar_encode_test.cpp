// Codabar encoder: user start/stop letters in either case, inner characters,
// gaps, and the text with and without the start/stop letters.
#include "symbologies/Codabar.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// AIM USS Codabar characters as modules with a wide element of 2 modules.
const std::string A = "1011001001";
const std::string B = "1001001011";
const std::string C = "1010010011";
const std::string ONE = "101011001";
const std::string TWO = "101001011";
const std::string THREE = "110010101";

// One row per case: data, flags, validity, display text, modules where pinned.
struct CodabarCase {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    std::string modules;
};

const CodabarCase kCases[] = {
    {"start A, 1 2 3, stop B; letters hidden",
     "A123B",
     {},
     true,
     "123",
     A + "0" + ONE + "0" + TWO + "0" + THREE + "0" + B},
    {"letters shown", "A123B", {true, true, true}, true, "A123B", ""},
    {"lower-case letters encode as upper case", "a1c", {}, true, "1", A + "0" + ONE + "0" + C},
    {"lower-case letters shown as typed", "a40156c", {true, true, true}, true, "a40156c", ""},
    {"every inner character", "D0123456789-$:/.+D", {}, true, "0123456789-$:/.+", ""},
    {"check flags have no effect", "A1B", {false, false}, true, "1", A + "0" + ONE + "0" + B},
    {"too short", "AB", {}, false, "", ""},
    {"no stop letter", "A1", {}, false, "", ""},
    {"no start letter", "1A1", {}, false, "", ""},
    {"start/stop letter inside", "A1B2C", {}, false, "", ""},
    {"lower-case start/stop letter inside", "A1b2C", {}, false, "", ""},
    {"E is no stop letter", "A12E", {}, false, "", ""},
    {"T is no start letter (only A-D here)", "T12A", {}, false, "", ""},
    {"letter that is no Codabar character", "A1X2B", {}, false, "", ""},
    {"empty text", "", {}, false, "", ""},
    {"byte above 127 inside",
     "A\xB1"
     "B",
     {},
     false,
     "",
     ""},
};

TEST(CodabarEncode, Table)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCodabar>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid) {
            EXPECT_FALSE(sym->Encode());
            continue;
        }
        EXPECT_EQ(sym->m_DisplayText, c.display);
        // Seven elements a character and a gap between neighbours.
        EXPECT_EQ(sym->m_Pattern.size(), c.data.size() * 8 - 1);
        if (!c.modules.empty()) {
            EXPECT_EQ(Modules(sym->m_Pattern), c.modules);
        } else {
            EXPECT_NE(Modules(sym->m_Pattern), "not alternating");
        }
    }
}

TEST(CodabarEncode, LowerCaseLettersGiveTheSameSymbol)
{
    auto lower = Encoded<CBarcodeSymCodabar>("a40156d");
    auto upper = Encoded<CBarcodeSymCodabar>("A40156D");
    EXPECT_EQ(lower->m_Pattern, upper->m_Pattern);
    EXPECT_EQ(lower->m_DataBytes, "A40156D");
}

TEST(CodabarEncode, WideElementsPerCharacter)
{
    // Digits, "-" and "$" have two wide elements; ":", "/", ".", "+" and A-D three.
    for (const auto& [text, wide] :
         {std::pair{"A0A", 2 + 3 + 3}, std::pair{"A-A", 8}, std::pair{"A$A", 8}, std::pair{"A:A", 9},
          std::pair{"A/A", 9}, std::pair{"A.A", 9}, std::pair{"A+A", 9}}) {
        SCOPED_TRACE(text);
        auto sym = Encoded<CBarcodeSymCodabar>(text);
        int count = 0;
        for (std::uint8_t e : sym->m_Pattern)
            count += e == WIDE_BAR || e == WIDE_SPACE;
        EXPECT_EQ(count, wide);
    }
}

TEST(CodabarEncode, DisplayTextOfShortTextsAlone)
{
    // The driver may rebuild the text of an invalid object on its own.
    auto sym = Encoded<CBarcodeSymCodabar>("A");
    for (bool stst : {false, true}) {
        sym->m_ShowStartStop = stst;
        sym->BuildDisplayText();
        EXPECT_EQ(sym->m_DisplayText, "A");
    }
    sym->m_Data = "";
    sym->BuildDisplayText();
    EXPECT_EQ(sym->m_DisplayText, "");
}

} // namespace

namespace {

TEST(CodabarEncode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCodabar>("AaBbCcDd0123456789-$:/.+");
}

} // namespace
