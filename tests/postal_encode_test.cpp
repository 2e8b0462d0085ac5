// PostNet and Planet: check digit, display text, tall/short patterns, and the
// geometry that measures, fits and sizes a postal symbol.
#include "engine/Barcode.h"
#include "symbologies/PostPlaNet.h"
#include "symbologies/Symbologies.h"
#include "tests/engine_support.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

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
        if (i % 2 == 1 ? pattern[i] != POSTAL_GAP : pattern[i] != POSTAL_TALL && pattern[i] != POSTAL_SHORT)
            return "!";
        if (i % 2 == 0)
            s += pattern[i] == POSTAL_TALL ? 'T' : 'S';
    }
    return s;
}

struct Case {
    int type;
    const char* data;
    bool calc, show, valid;
    const char* bytes;
    const char* text;
};

const Case kCases[] = {
    {TYPE_POSTNET, "12345", true, true, true, "123455", "123455"}, // digit sum 15 -> 5; 63 elements
    {TYPE_POSTNET, "12345", true, false, true, "123455", "12345"}, // hidden, still encoded
    {TYPE_POSTNET, "12345", false, true, true, "12345", "12345"},
    {TYPE_POSTNET, "0", true, true, true, "00", "00"},
    {TYPE_POSTNET, "19", true, true, true, "190", "190"}, // 10 -> 0, never 10
    {TYPE_POSTNET, "1234567890123456789", true, true, true, "12345678901234567890",
     "12345678901234567890"}, // any length; digit sum 90
    {TYPE_PLANET, "12345", true, true, true, "123455", "123455"},
    {TYPE_PLANET, "4", false, true, true, "4", "4"},
    {TYPE_POSTNET, "", true, true, false, "", ""},
    {TYPE_POSTNET, "12-34", true, true, false, "", ""},
    {TYPE_PLANET, "ABC", true, true, false, "", ""},
};

} // namespace

TEST(PostalEncode, TableOfWorkedExamples)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::to_string(c.type) + " '" + c.data + "' calc " + std::to_string(c.calc));
        auto sym = Make(c.type, c.data, c.calc, c.show);
        EXPECT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DataBytes, c.bytes);
        EXPECT_EQ(sym->m_DisplayText, c.text);
        EXPECT_EQ(sym->m_Pattern.size(), 2 + 10 * std::string(c.bytes).size() + 1);
        EXPECT_EQ(Bars(sym->m_Pattern), kt::PostalBars(c.bytes, c.type == 17));
    }
    // The expectations spelled out: PostNet of 123455, and Planet's inverse
    // data bars between the same tall frame bars.
    EXPECT_EQ(kt::PostalBars("123455", true), "TSSSTTSSTSTSSTTSSTSSTSTSTSSTSTST");
    EXPECT_EQ(kt::PostalBars("123455", false), "TTTTSSTTSTSTTSSTTSTTSTSTSTTSTSTT");
}

// Over long texts the sum stays small: 100000 nines -> 0, one more -> 1.
TEST(PostalEncode, DigitSumCheckDigit)
{
    EXPECT_EQ(DigitSumCheckDigit(nullptr), 0);
    EXPECT_EQ(DigitSumCheckDigit(std::string(100000, '9').c_str()), 0);
    EXPECT_EQ(DigitSumCheckDigit(std::string(100001, '9').c_str()), 1);
}

// One module per bar and gap plus 10 per quiet zone: 63 + 20 = 83 modules.
// Lengths saturate instead of overflowing; the module width is the widest
// that fits along the reading direction.
TEST(PostalGeometry, LengthAndModuleWidth)
{
    auto sym = Make(TYPE_POSTNET, "12345");
    EXPECT_EQ(sym->GetSymbolLength(1), 83);
    EXPECT_EQ(sym->GetSymbolLength(3), 249);
    EXPECT_EQ(sym->GetSymbolLength(0), 0);
    EXPECT_EQ(sym->GetSymbolLength(-1), INT_MAX);
    EXPECT_EQ(sym->GetSymbolLength(INT_MAX / 50), INT_MAX);
    const struct {
        int orientation, width, height, expected;
    } rows[] = {
        {0, 83, 10, 1},  {0, 82, 500, -1},  {0, 331, 10, 3},   {0, 332, 10, 4},
        {90, 5, 166, 2}, {90, 500, 82, -1}, {270, 10, 249, 3}, {0, INT_MAX, 2, INT_MAX / 83},
        {0, 83, 1, -1}, // a short bar needs a tall one of 2 pixels
    };
    for (const auto& r : rows) {
        sym->m_Orientation = r.orientation;
        EXPECT_EQ(et::FittingModule(*sym, r.width, r.height), r.expected)
            << r.orientation << " " << r.width << "x" << r.height;
    }
    sym->m_QuietZones = false;
    EXPECT_EQ(sym->GetSymbolLength(2), 126);
}

// A fitting symbol has room beside the text for a tall bar of 2 pixels, so
// that its short bars (40 %, rounded) are at least 1 pixel and still shorter.
TEST(PostalGeometry, FitAndShortBars)
{
    auto sym = Make(TYPE_POSTNET, "12345");
    const double band = 16;
    EXPECT_EQ(et::FittingModule(*sym, 83, 18, band, 1), 1);
    EXPECT_EQ(et::FittingModule(*sym, 83, 17, band, 1), -1);
    EXPECT_EQ(et::FittingModule(*sym, 82, 100, band, 1), -1);
    sym->m_Orientation = 90;
    EXPECT_EQ(et::FittingModule(*sym, 18, 166, band, 2), 2);
    EXPECT_EQ(et::FittingModule(*sym, 166, 18, band, 2), -1);
    // tall -> short: 0.8, 1.2, 1.6, 2.0, 2.8, 41.6 rounded, in the drawn image.
    sym->m_Orientation = 0;
    sym->m_ShowText = false;
    const std::pair<int, int> heights[] = {{2, 1}, {3, 1}, {4, 2}, {5, 2}, {7, 3}, {104, 42}};
    for (const auto& [tall, shortBar] : heights) {
        auto writer = et::MakeWriter(83, tall);
        const Rect area{0, 83, 0, tall};
        ASSERT_EQ(et::DrawSym(*writer, *sym, &area).status, 0) << tall;
        const kt::Raster r = et::Snapshot(*writer);
        // Column 10 holds the first frame bar (tall); 12, the first digit's first bar (short).
        EXPECT_EQ(et::Line(r, 10, 0, 0, 1, tall), std::string(tall, '#')) << tall;
        EXPECT_EQ(et::Line(r, 12, 0, 0, 1, tall),
                  std::string(tall - shortBar, '.') + std::string(shortBar, '#'))
            << tall;
    }
}
