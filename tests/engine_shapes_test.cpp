// The layout of the classic symbologies' encoded symbols as shapes: bars and
// text runs in the symbol's unrotated frame, the same for every orientation;
// the raster renderer that draws them; the
// EAN/UPC digit groups and the postal bars as shapes; and layouts at an exact,
// unrounded module width for output in physical units.
#include "engine/Barcode.h"
#include "image/RasterRenderer.h"
#include "symbologies/Symbologies.h"
#include "tests/engine_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

using et::MakeWriter;
using et::Snapshot;

namespace {

// Valid data of every symbology number.
const char* const ValidData[22] = {
    "12345678",
    "1234",
    "ABC-12",
    "Abc~d1",
    "123-45",
    "A1234B",
    "12345",
    "Hello-42",
    "12",
    "12345",
    "1234567",
    "590123412345",
    "1234567890123",
    "01234567890",
    "04210000526",
    "<FNC1>0112345678901231",
    "0012345678901234567",
    "12345",
    "12345678901",
    "CODE93",
    "abc",
    "1234567890123",
};

constexpr int TextBand = 20; // every layout here measures text this high

std::unique_ptr<CBarcodeSym> MakeType(int type, CBarcodeSettings s = {})
{
    s.m_Type = type;
    s.m_Data = ValidData[type];
    return CreateBarcodeSym(s);
}

// The whole-pixel layout of the object's encoded symbol in `area`, at the
// largest module that fits (`module`), text measured TextBand high.
Layout Build(const CBarcodeSym& sym, const Rect& area, int* status = nullptr, std::int32_t* module = nullptr)
{
    et::Laid laid = et::LayOut(sym, area, TextBand);
    if (status != nullptr)
        *status = static_cast<int>(laid.status);
    if (module != nullptr)
        *module = laid.module;
    return std::move(laid.layout);
}

// The layout at an exact module width of any positive size, nothing rounded:
// as long as the symbol with its quiet zones, `thickness` across, `band` of
// it for the text when shown.
Layout BuildExact(const CBarcodeSym& sym, double module, double thickness, double band)
{
    const kavren::Options o = et::OptionsOf(sym);
    const EncodedSymbol symbol = sym.ToEncodedSymbol();
    const SymbolMetrics g = ExactMetrics(o, module, ShowsText(symbol, o) ? band : 0.0);
    SymbolFrame frame;
    frame.length = SymbolLength(symbol, o, g);
    frame.thickness = thickness;
    return LayOutSymbol(symbol, o, g, frame);
}

bool SameBar(const BarBox& a, const BarBox& b)
{
    return a.along == b.along && a.across == b.across && a.length == b.length && a.height == b.height;
}

bool SameRun(const TextRun& a, const TextRun& b)
{
    return a.text == b.text && a.along == b.along && a.across == b.across && a.span == b.span &&
           a.mode == b.mode && a.fontHeight == b.fontHeight;
}

// Bars and texts equal, shape for shape.
::testing::AssertionResult SameShapes(const Layout& a, const Layout& b)
{
    if (a.bars.size() != b.bars.size() || a.texts.size() != b.texts.size())
        return ::testing::AssertionFailure() << a.bars.size() << "/" << b.bars.size() << " bars, "
                                             << a.texts.size() << "/" << b.texts.size() << " texts";
    for (std::size_t i = 0; i < a.bars.size(); ++i)
        if (!SameBar(a.bars[i], b.bars[i]))
            return ::testing::AssertionFailure()
                   << "bar " << i << " at " << a.bars[i].along << " vs " << b.bars[i].along;
    for (std::size_t i = 0; i < a.texts.size(); ++i)
        if (!SameRun(a.texts[i], b.texts[i]))
            return ::testing::AssertionFailure() << "text " << i << " '" << a.texts[i].text << "'";
    return ::testing::AssertionSuccess();
}

// Settings the layout reads, one variant per row.
struct Variant {
    const char* what;
    bool showText = true;
    bool textBelow = true;
    int textAlign = 0;
    bool guards = true;
    bool quietZones = true;
    int reduction = 0;
    int align = 2;
    bool flush = false;
};
const Variant Variants[] = {
    {"defaults"},
    {"text above", true, false},
    {"text hidden", false},
    {"end-aligned text", true, true, 1},
    {"centred text above", true, false, 2},
    {"spread text", true, true, 3},
    {"EAN groups, leading digit outside", true, true, 4},
    {"EAN groups, both digits outside", true, false, 5},
    {"EAN groups inside", true, true, 6, false},
    {"no guards, plain text", true, true, 0, false},
    {"no quiet zones: groups fall back", true, true, 4, true, false},
    {"bars narrowed", true, true, 0, true, true, 33},
    {"bars widened", true, true, 0, true, true, -50},
    {"start-aligned, flush digits", true, true, 4, true, true, 0, 0, true},
    {"end-aligned", true, false, 5, true, true, 20, 1},
};

CBarcodeSettings SettingsOf(const Variant& v, int orientation)
{
    CBarcodeSettings s;
    s.m_Orientation = orientation;
    s.m_ShowText = v.showText;
    s.m_TextBelow = v.textBelow;
    s.m_TextAlign = v.textAlign;
    s.m_ShowGuards = v.guards;
    s.m_QuietZones = v.quietZones;
    s.m_BarReduction = v.reduction;
    s.m_BarcodeAlign = v.align;
    s.m_EanTextFlush = v.flush;
    return s;
}

TEST(EngineShapes, EveryOrientationHasTheSameShapesInItsFrame)
{
    for (int type = 0; type < 22; ++type) {
        for (const Variant& v : Variants) {
            auto flat = MakeType(type, SettingsOf(v, 0));
            ASSERT_TRUE(flat && flat->m_Valid) << type;
            // 37 spare pixels along the symbol, so alignment and odd halves matter.
            const int length = flat->GetSymbolLength(2) + 37;
            const int thickness = 90;
            int status = -1;
            const Layout reference = Build(*flat, {0, length, 0, thickness}, &status);
            ASSERT_EQ(status, 0) << type << " " << v.what;
            ASSERT_FALSE(reference.bars.empty());
            for (const BarBox& b : reference.bars) { // inside the frame
                EXPECT_GE(b.along, 0.0);
                EXPECT_LE(b.along + b.length, reference.length);
                EXPECT_GE(b.across, 0.0);
                EXPECT_LE(b.across + b.height, reference.thickness);
            }
            // Every character of the text is shown once, in order, whether
            // as one run or as digit groups.
            std::string shown;
            for (const TextRun& run : reference.texts)
                shown += run.text;
            EXPECT_EQ(shown, v.showText ? flat->m_DisplayText : "") << type << " " << v.what;

            for (const int orientation : {90, 180, 270}) {
                auto turned = MakeType(type, SettingsOf(v, orientation));
                const bool vertical = orientation != 180;
                const Rect area = vertical ? Rect{0, thickness, 0, length} : Rect{0, length, 0, thickness};
                const Layout layout = Build(*turned, area);
                EXPECT_EQ(layout.length, reference.length);
                EXPECT_EQ(layout.thickness, reference.thickness);
                EXPECT_TRUE(SameShapes(layout, reference)) << type << " " << v.what << " at " << orientation;
            }
        }
    }
}

// Where (x, y) of a raster lies in the frame, rotated by hand for the test.
bool InBar(const Layout& layout, int x, int y)
{
    const double w = layout.area.right - layout.area.left;
    const double h = layout.area.bottom - layout.area.top;
    double along = x + 0.5;
    double across = y + 0.5;
    switch (layout.orientation) {
    case 90: along = h - (y + 0.5), across = x + 0.5; break;
    case 180: along = w - (x + 0.5), across = h - (y + 0.5); break;
    case 270: along = y + 0.5, across = w - (x + 0.5); break;
    default: break;
    }
    for (const BarBox& b : layout.bars)
        if (along > b.along && along < b.along + b.length && across > b.across &&
            across < b.across + b.height)
            return true;
    return false;
}

TEST(EngineShapes, RasterHasTheBarsOfTheLayoutAndNothingElse)
{
    constexpr std::uint32_t Bars = 0x802000;
    constexpr std::uint32_t Paper = 0x00e0ff;
    const int types[] = {0, 7, 11, 14, 17, 18, 21};
    for (const int type : types) {
        for (const int orientation : {0, 90, 180, 270}) {
            for (const int reduction : {0, 40, -60}) {
                CBarcodeSettings s;
                s.m_Orientation = orientation;
                s.m_ShowText = false;
                s.m_BarReduction = reduction;
                s.m_QuietZones = reduction >= 0; // widened bars then reach the area's end
                s.m_BarColor = Bars;
                s.m_BackColor = Paper;
                auto sym = MakeType(type, s);
                const int length = sym->GetSymbolLength(3) + 2;
                const bool vertical = orientation == 90 || orientation == 270;
                const int w = vertical ? 40 : length;
                const int h = vertical ? length : 40;
                auto writer = MakeWriter(w + 6, h + 6);
                const Rect area{3, 3 + w, 3, 3 + h};
                ASSERT_EQ(et::DrawSym(*writer, *sym, &area).status, 0);
                const Layout layout = Build(*sym, area);
                Layout local = layout; // the test's rotation works from the area's corner
                local.area = {0, w, 0, h};
                const kt::Raster r = Snapshot(*writer);
                int wrong = 0;
                for (int y = 0; y < h + 6; ++y) {
                    for (int x = 0; x < w + 6; ++x) {
                        const bool inArea = x >= 3 && x < 3 + w && y >= 3 && y < 3 + h;
                        const std::uint32_t expected = !inArea                      ? 0xffffff
                                                       : InBar(local, x - 3, y - 3) ? Bars
                                                                                    : Paper;
                        wrong += r.At(x, y) != expected;
                    }
                }
                EXPECT_EQ(wrong, 0) << "type " << type << " at " << orientation << " reduction " << reduction;
            }
        }
    }
}

// The human-readable digit groups of EAN/UPC (GS1 General Specifications; text
// layouts 4 and 5 put the outer digits beside the bars), in modules from the
// first bar. Group runs begin a module into their half and end a module early.
TEST(EngineShapes, EanUpcDigitGroupsInModules)
{
    struct Run {
        const char* text;
        double along; // modules
        double span;
        int mode;
        bool leading = false; // right-aligned in a long box ending one module before the bars
    };
    struct Case {
        int type;
        int textAlign;
        std::vector<Run> runs;
    };
    const double box = 10000; // pixels
    const Case cases[] = {
        // EAN-13: the leading digit left of the bars, two groups of six.
        {11, 4, {{"5", 0, 0, 1, true}, {"901234", 4, 41, 3}, {"123457", 50, 41, 3}}},
        // EAN-13 in layout 6: thirteen digits in the two groups.
        {11, 6, {{"590123", 4, 41, 3}, {"4123457", 50, 41, 3}}},
        // UPC-A in layout 5: number system and check digit outside, groups of five.
        {13, 5, {{"0", 0, 0, 1, true}, {"12345", 4, 41, 3}, {"67890", 50, 41, 3}, {"5", 96, 0, 3}}},
        // EAN-8: two groups of four.
        {10, 6, {{"1234", 4, 27, 3}, {"5670", 36, 27, 3}}},
        // UPC-E of 04210000526: number system outside left, 425261, check digit 4 outside right.
        {14, 5, {{"0", 0, 0, 1, true}, {"425261", 4, 41, 3}, {"4", 52, 0, 3}}},
    };
    for (const Case& c : cases) {
        CBarcodeSettings s;
        s.m_TextAlign = c.textAlign;
        auto sym = MakeType(c.type, s);
        const int m = 2;
        const int quiet = 10 * m;
        std::int32_t module = 0;
        const Layout layout = Build(*sym, {0, sym->GetSymbolLength(m), 0, 100}, nullptr, &module);
        ASSERT_EQ(module, m);
        ASSERT_EQ(layout.texts.size(), c.runs.size()) << c.type << " " << c.textAlign;
        for (std::size_t i = 0; i < c.runs.size(); ++i) {
            const TextRun& got = layout.texts[i];
            EXPECT_EQ(got.text, c.runs[i].text) << c.type << " run " << i;
            const bool leading = c.runs[i].leading;
            EXPECT_EQ(got.along, quiet + (leading ? -box - m : c.runs[i].along * m))
                << c.type << " run " << i;
            EXPECT_EQ(got.span, leading ? box : c.runs[i].span * m) << c.type << " run " << i;
            EXPECT_EQ(got.mode, c.runs[i].mode) << c.type << " run " << i;
            EXPECT_EQ(got.across, 100.0) << "on the area's bottom edge";
        }
    }
}

TEST(EngineShapes, PostalBarsStandOnOneBaseline)
{
    // USPS PostNet: 1 = tall. "12345" and its check digit 5, framed by tall bars.
    const std::string digits[] = {"00011", "00101", "00110", "01001", "01010", "01010"};
    std::string tall = "1";
    for (const std::string& d : digits)
        tall += d;
    tall += "1";
    for (const bool planet : {false, true}) {
        for (const bool below : {true, false}) {
            CBarcodeSettings s;
            s.m_TextBelow = below;
            s.m_BarReduction = 50;
            s.m_Type = planet ? 18 : 17;
            s.m_Data = "12345";
            auto sym = CreateBarcodeSym(s);
            const int m = 3;
            const Layout layout = Build(*sym, {0, sym->GetSymbolLength(m), 0, 70});
            ASSERT_EQ(layout.bars.size(), tall.size());
            const double tallHeight = 70 - TextBand;
            const double shortHeight = 20; // 40 % of 50
            const double baseline = below ? tallHeight : 70;
            for (std::size_t i = 0; i < tall.size(); ++i) {
                const BarBox& b = layout.bars[i];
                const bool isTall = (tall[i] == '1') != (planet && i != 0 && i + 1 != tall.size());
                EXPECT_EQ(b.along, 10 * m + 2 * m * static_cast<double>(i)) << i;
                EXPECT_EQ(b.length, 2.0) << "3 pixels less 50 %, truncated";
                EXPECT_EQ(b.height, isTall ? tallHeight : shortHeight) << i;
                EXPECT_EQ(b.across + b.height, baseline) << i;
            }
        }
    }
}

// ---- Layouts at an exact module width ----------------------------------------

TEST(EngineShapes, ExactLayoutAtWholePixelsIsThePixelLayout)
{
    struct Case {
        double module;
        float ratio;
        int reduction;
    };
    const Case cases[] = {
        {1, 3.0F, 0},
        {2, 2.5F, 50},  // W = 5 and a reduction of 1: nothing to round
        {4, 2.0F, -75}, // W = 8, bars 3 pixels wider
    };
    for (int type = 0; type < 22; ++type) {
        for (const Case& c : cases) {
            for (const Variant& v : {Variants[0], Variants[1], Variants[6], Variants[8]}) {
                for (const int orientation : {0, 90}) {
                    CBarcodeSettings s = SettingsOf(v, orientation);
                    s.m_WideToNarrow = c.ratio;
                    s.m_BarReduction = c.reduction;
                    auto sym = MakeType(type, s);
                    const auto m = static_cast<int>(c.module);
                    const Layout exact = BuildExact(*sym, c.module, 80, TextBand);
                    const int length = sym->GetSymbolLength(m);
                    EXPECT_EQ(exact.length, length) << type;
                    const Rect area = orientation == 90 ? Rect{0, 80, 0, length} : Rect{0, length, 0, 80};
                    std::int32_t module = 0;
                    const Layout pixels = Build(*sym, area, nullptr, &module);
                    ASSERT_EQ(module, m);
                    EXPECT_TRUE(SameShapes(exact, pixels)) << type << " m " << m << " " << v.what;
                }
            }
        }
    }
}

TEST(EngineShapes, ExactLayoutKeepsTheRequestedModuleWidth)
{
    struct Case {
        int type;
        double module; // pixels at the output's resolution, fractions kept
        float ratio;
        int reduction;
    };
    const Case cases[] = {
        {7, 0.33 / 25.4 * 300, 3.0F, 0},    // Code 128 at 0.33 mm, 300 dpi
        {11, 0.264 / 25.4 * 600, 3.0F, 10}, // EAN-13 at 80 %, 600 dpi, bars 10 % narrower
        {0, 0.0075 * 203, 2.5F, 0},         // Interleaved 2 of 5 at 7.5 mil, 203 dpi, W = 2.5 X
        {2, 0.0075 * 96, 2.2F, -20},        // Code 39 at 96 dpi, bars widened
        {17, 0.5, 3.0F, 25},                // PostNet at half a pixel
    };
    for (const Case& c : cases) {
        CBarcodeSettings s;
        s.m_WideToNarrow = c.ratio;
        s.m_BarReduction = c.reduction;
        auto sym = MakeType(c.type, s);
        const double band = 3.0 * c.module;
        const Layout layout = BuildExact(*sym, c.module, 40 * c.module, band);
        const double x = c.module;
        const double cut = c.reduction / 100.0 * x;
        // Every bar is a whole number of modules, or one wide element, less the reduction.
        double narrowest = 1e9;
        for (const BarBox& b : layout.bars) {
            const double width = b.length + cut;
            const double modules = width / x;
            const bool whole = std::abs(modules - std::round(modules)) < 1e-9;
            const bool wide = std::abs(width - c.ratio * x) < 1e-9;
            EXPECT_TRUE(whole || wide) << c.type << ": a bar of " << modules << " modules";
            narrowest = std::min(narrowest, b.length);
        }
        EXPECT_NEAR(narrowest, x - cut, 1e-12) << c.type;
        // The symbol with its quiet zones: the pixel length at 2 pixels a module
        // (where W = 2 X is whole for these ratios only when rounding is exact).
        if (c.ratio == 3.0F || c.ratio == 2.5F) {
            EXPECT_NEAR(layout.length, sym->GetSymbolLength(2) / 2.0 * x, 1e-9) << c.type;
        }
        EXPECT_NEAR(layout.bars.front().along, 10 * x, 1e-12) << "after the quiet zone";
        EXPECT_EQ(layout.texts.front().fontHeight, 14) << "points at the resolution";
        EXPECT_NEAR(layout.thickness - layout.bars.front().height, c.type == 11 ? band / 2 : band, 1e-12)
            << c.type << ": the text band";
    }
}

TEST(EngineShapes, PhysicalModuleWidthsAtAResolution)
{
    struct Case {
        double size;
        SizeUnit unit;
        double dpi;
        double pixels;
    };
    const Case cases[] = {
        {0.33, SizeUnit::Millimetres, 300, 0.33 / 25.4 * 300}, // 3.8976...: no pixel grid
        {10, SizeUnit::Mils, 203, 2.03},
        {0.01, SizeUnit::Inches, 600, 6},
        {2.5, SizeUnit::Pixels, 300, 2.5}, // pixels ignore the resolution
    };
    for (const Case& c : cases) {
        const double x = SizeToPixels(c.size, c.dpi, c.unit);
        EXPECT_NEAR(x, c.pixels, 1e-12) << c.size;
        // The rounded size of the pixel path is the same size, rounded.
        std::int32_t rounded = 0;
        ASSERT_EQ(XDimToPixels(c.size, static_cast<int>(c.dpi), 1, c.unit, true, &rounded), 0);
        EXPECT_EQ(rounded, RoundHalfAway(x));
        // An exact layout at that size: its narrowest bar is exactly one module.
        auto sym = MakeType(7);
        const Layout layout = BuildExact(*sym, x, 50 * x, 4 * x);
        double narrowest = layout.length;
        for (const BarBox& b : layout.bars)
            narrowest = std::min(narrowest, b.length);
        EXPECT_NEAR(narrowest, x, 1e-12) << c.size;
    }
    EXPECT_TRUE(std::isnan(SizeToPixels(1, 96, static_cast<SizeUnit>(9))));
}

// ---- The raster renderer on its own -------------------------------------------

TEST(EngineShapes, RendererRoundsClipsAndPaints)
{
    struct Case {
        const char* what;
        BarBox bar;
        int orientation;
        const char* row; // raster row 2, columns 0..9; area is columns 1..8
    };
    const Case cases[] = {
        {"whole pixels", {2, 0, 3, 5}, 0, ".??###??.."},
        {"edges rounded to the nearest pixel", {1.6, 0, 2.3, 5}, 0, ".??##???.."},
        {"clipped to the area", {-4, 0, 20, 5}, 0, ".#######.."},
        {"turned half round", {1, 0, 2, 5}, 180, ".????##?.."},
        {"turned a quarter: the bar runs down", {0, 1, 7, 1}, 90, ".?#?????.."},
    };
    for (const Case& c : cases) {
        auto writer = MakeWriter(10, 5);
        Layout layout;
        layout.area = {1, 8, 1, 4};
        layout.orientation = c.orientation;
        layout.length = 7;
        layout.thickness = 3;
        layout.background = 0x0000ff;
        layout.bars.push_back(c.bar);
        DrawLayout(*writer, layout);
        EXPECT_EQ(et::Line(Snapshot(*writer), 0, 2, 1, 0, 10), c.row) << c.what;
    }
}

TEST(EngineShapes, RendererLeavesTheBackgroundWhenAsked)
{
    for (const bool paint : {true, false}) {
        auto writer = MakeWriter(4, 4);
        Layout layout;
        layout.area = {0, 4, 0, 4};
        layout.length = 4;
        layout.thickness = 4;
        layout.paintBackground = paint;
        layout.background = 0x00ff00;
        DrawLayout(*writer, layout);
        EXPECT_EQ(Snapshot(*writer).At(1, 1), paint ? 0x00ff00U : 0xffffffU);
    }
}

TEST(EngineShapes, RendererPutsTextWhereTheFrameSays)
{
    for (const int orientation : {0, 90, 180, 270}) {
        Layout layout;
        layout.area = {5, 65, 7, 67};
        layout.orientation = orientation;
        layout.length = 60;
        layout.thickness = 60;
        layout.paintBackground = false;
        layout.texts.push_back({"Kx9", 12, 40, 30, 2, 10});
        auto viaLayout = MakeWriter(80, 80);
        DrawLayout(*viaLayout, layout);
        // The same text drawn directly at the point the frame maps to.
        const ImagePoint p = ToImage(layout, 12, 40);
        auto direct = MakeWriter(80, 80);
        direct->DrawString("Kx9", 10, 2, static_cast<int>(p.x), static_cast<int>(p.y), 30,
                           TextAngle(orientation), 0);
        const kt::Raster a = Snapshot(*viaLayout);
        EXPECT_EQ(a.rgb, Snapshot(*direct).rgb) << orientation;
        EXPECT_FALSE(et::InkBox(a, 0, 80, 0, 80).Empty());
    }
}

} // namespace
