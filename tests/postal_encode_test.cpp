// PostNet and Planet: check digit, display text, tall/short patterns, and the
// geometry that lets a postal symbol be measured, fitted and placed.
#include "engine/Barcode.h"
#include "symbologies/PostPlaNet.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

namespace {

std::unique_ptr<CBarcodeSym> Make(int type, const std::string& data, bool calc = true, bool show = true)
{
    CBarcodeSettings s;
    s.m_Type = type;
    s.m_Data = data;
    s.m_CalcCheckDigit = calc;
    s.m_ShowCheckDigit = show;
    return CreateBarcodeSym(s);
}

// T tall, S short per bar; "!" when a gap is missing or misplaced.
std::string Bars(const std::vector<std::uint8_t>& pattern)
{
    std::string s;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::uint8_t e = pattern[i];
        if (i % 2 == 1) {
            if (e != POSTAL_GAP)
                return "!";
        } else if (e == POSTAL_TALL || e == POSTAL_SHORT) {
            s += e == POSTAL_TALL ? 'T' : 'S';
        } else {
            return "!";
        }
    }
    return s;
}

struct Case {
    int type; // 17 PostNet, 18 Planet
    const char* data;
    bool calc;
    bool show;
    bool valid;
    const char* bytes;
    const char* text;
};

const Case kCases[] = {
    // Digit sum 15 -> check digit 5: 63 elements.
    {17, "12345", true, true, true, "123455", "123455"},
    // Hidden check digit is still encoded.
    {17, "12345", true, false, true, "123455", "12345"},
    // No check digit without calculation.
    {17, "12345", false, true, true, "12345", "12345"},
    // 0 -> 0; 1 + 9 = 10 -> 0, never 10.
    {17, "0", true, true, true, "00", "00"},
    {17, "19", true, true, true, "190", "190"},
    // Any length is valid, not only ZIP, ZIP+4 and delivery point lengths.
    {17, "123456789012345678901234567890", true, true, true, "1234567890123456789012345678905",
     "1234567890123456789012345678905"},
    // Planet: the same digits and check digit.
    {18, "12345", true, true, true, "123455", "123455"},
    {18, "4", false, true, true, "4", "4"},
    // Digits only, at least one.
    {17, "", true, true, false, "", ""},
    {17, "12-34", true, true, false, "", ""},
    {18, "ABC", true, true, false, "", ""},
};

} // namespace

TEST(PostalEncode, TableOfWorkedExamples)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.type == 17 ? "PostNet" : "Planet") + " '" + c.data + "'" +
                     (c.calc ? " calc" : "") + (c.show ? " show" : ""));
        auto sym = Make(c.type, c.data, c.calc, c.show);
        EXPECT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DataBytes, c.bytes);
        EXPECT_EQ(sym->m_DisplayText, c.text);
        const std::size_t digits = std::string(c.bytes).size();
        EXPECT_EQ(sym->m_Pattern.size(), 2 + 10 * digits + 1);
        EXPECT_EQ(Bars(sym->m_Pattern), kt::PostalBars(c.bytes, c.type == 17));
    }
}

// Planet is PostNet with every data bar the other height; the frame bars are tall in both.
TEST(PostalEncode, PlanetInvertsPostNetDataBars)
{
    const std::string postNet = Bars(Make(17, "12345")->m_Pattern);
    const std::string planet = Bars(Make(18, "12345")->m_Pattern);
    ASSERT_EQ(postNet.size(), 32U);
    ASSERT_EQ(planet.size(), 32U);
    EXPECT_EQ(postNet, "TSSSTTSSTSTSSTTSSTSSTSTSTSSTSTST");
    EXPECT_EQ(planet.front(), 'T');
    EXPECT_EQ(planet.back(), 'T');
    for (std::size_t i = 1; i + 1 < postNet.size(); ++i)
        EXPECT_NE(postNet[i], planet[i]) << i;
}

TEST(PostalEncode, DigitSumCheckDigit)
{
    EXPECT_EQ(DigitSumCheckDigit(nullptr), 0);
    EXPECT_EQ(DigitSumCheckDigit(""), 0);
    EXPECT_EQ(DigitSumCheckDigit("12345"), 5);
    EXPECT_EQ(DigitSumCheckDigit("19"), 0);
    EXPECT_EQ(DigitSumCheckDigit("9"), 1);
    // A long text: 100000 nines add up to 900000 -> 0; one more nine -> 1.
    EXPECT_EQ(DigitSumCheckDigit(std::string(100000, '9').c_str()), 0);
    EXPECT_EQ(DigitSumCheckDigit(std::string(100001, '9').c_str()), 1);
}

// Each bar and each gap is one module; 10 modules of quiet zone on each side.
TEST(PostalGeometry, SymbolLengthIsOneModulePerElement)
{
    auto sym = Make(17, "12345"); // 63 elements
    EXPECT_EQ(sym->GetSymbolLength(1), 83);
    EXPECT_EQ(sym->GetSymbolLength(3), 249);
    EXPECT_EQ(sym->GetSymbolLength(0), 0);
    EXPECT_EQ(sym->GetSymbolLength(-1), INT_MAX);
    // Too long for int32: saturates rather than wrapping.
    EXPECT_EQ(sym->GetSymbolLength(INT_MAX / 50), INT_MAX);
    EXPECT_EQ(sym->GetSymbolLength(INT_MAX), INT_MAX);
    sym->m_QuietZones = false;
    EXPECT_EQ(sym->GetSymbolLength(2), 126);
    EXPECT_EQ(sym->GetFreeSpace(2, 130, 10), 4);
}

// The widest module width that fits, along the reading direction only.
TEST(PostalGeometry, FindModuleWidthIsTheWidestFitting)
{
    auto sym = Make(17, "12345"); // 83 modules with quiet zones
    struct Row {
        int orientation, width, height, expected;
    };
    const Row rows[] = {
        {0, 83, 10, 1},
        {0, 82, 500, -1},
        {0, 249, 10, 3},
        {0, 331, 10, 3},
        {0, 332, 10, 4},
        {180, 166, 5, 2},
        {90, 5, 166, 2},
        {90, 500, 82, -1},
        {270, 10, 249, 3},
        {0, -5, 10, -1},
        {0, INT_MAX, 1, INT_MAX / 83},
    };
    for (const Row& r : rows) {
        sym->m_Orientation = r.orientation;
        const Size area{r.width, r.height};
        EXPECT_EQ(sym->FindModuleWidth(&area), r.expected)
            << r.orientation << " " << r.width << "x" << r.height;
    }
    EXPECT_EQ(sym->FindModuleWidth(nullptr), -1);
}

// It fits when the length fits and the bar band, beside the text, holds a
// tall bar of 2 pixels or more, so that a short bar (40 %) is still 1 pixel.
TEST(PostalGeometry, FitsNeedsRoomForAShortBar)
{
    auto sym = Make(17, "12345");
    sym->m_TextHeight = 16;
    EXPECT_TRUE(sym->FitsInto(1, 83, 18));
    EXPECT_FALSE(sym->FitsInto(1, 83, 17));
    EXPECT_FALSE(sym->FitsInto(1, 83, 16));
    EXPECT_FALSE(sym->FitsInto(1, 82, 100));
    EXPECT_FALSE(sym->FitsInto(-1, 1000, 100));
    sym->m_Orientation = 90;
    EXPECT_TRUE(sym->FitsInto(2, 18, 166));
    EXPECT_FALSE(sym->FitsInto(2, 17, 166));
    EXPECT_FALSE(sym->FitsInto(2, 166, 18));
}

TEST(PostalGeometry, ShortBarIsFortyPercentRounded)
{
    const std::pair<std::int64_t, std::int64_t> rows[] = {
        {1, 1},               // floor of 1 pixel
        {2, 1},               // 0.8
        {3, 1},               // 1.2
        {4, 2},               // 1.6
        {5, 2},               // 2.0
        {6, 2},               // 2.4
        {7, 3},               // 2.8
        {100, 40},            // 40.0
        {104, 42},            // 41.6
        {INT_MAX, 858993459}, // 858993458.8, without overflow
    };
    for (const auto& [tall, shortBar] : rows)
        EXPECT_EQ(CBarcodeSymPostPlaNet::ShortBarHeight(tall), shortBar) << tall;
}
