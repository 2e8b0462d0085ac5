// The layout of encoded symbols, through the render path every encoder's
// symbol takes: hand-built matrix, stacked and 4-state symbols drawn as PNG and
// read back pixel by pixel; and kavren::Encode on the classic symbologies,
// whose extents the standards give.
#include "api/RenderSteps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <kavren/kavren.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using kavren::detail::BarState;
using kavren::detail::EncodedSymbol;
using kavren::detail::SymbolKind;

// 1 0 1 / 0 1 0 / 1 1 0, one module of quiet zone on every side.
EncodedSymbol Matrix3()
{
    return kavren::detail::MatrixSymbol({true, false, true, false, true, false, true, true, false}, 3, 3, 1.0);
}

// Two stretching rows of bars with a fixed one-module separator between
// them, six modules long: bars over 0..2 above, 3..6 below, the separator
// over all six.
EncodedSymbol Stacked2()
{
    EncodedSymbol s;
    s.kind = SymbolKind::Stacked;
    s.length = {6.0, 0};
    s.rows = {{10.0, 1.0}, {1.0, 0.0}, {10.0, 1.0}};
    s.darks = {{{0.0, 0}, {2.0, 0}, 0, 1}, {{0.0, 0}, {6.0, 0}, 1, 1}, {{3.0, 0}, {3.0, 0}, 2, 1}};
    s.quiet = {1.0, 1.0, 0.0, 0.0};
    return s;
}

// Full, ascender, descender, tracker; bars of 1 module every 2, rows 3:2:3.
EncodedSymbol FourState4()
{
    return kavren::detail::FourStateSymbol({BarState::Full, BarState::Ascender, BarState::Descender,
                                            BarState::Tracker},
                                           2.0, 1.0, 3.0, 2.0, 3.0, {1.0, 1.0, 0.0, 0.0});
}

struct Probe {
    int x, y;
    std::uint32_t colour; // 0x00BBGGRR
};

constexpr std::uint32_t K = 0x000000; // bar
constexpr std::uint32_t W = 0xffffff; // background
constexpr std::uint32_t Red = 0x0000ff;

struct LayoutCase {
    const char* name;
    EncodedSymbol (*symbol)();
    std::function<void(kavren::Options&)> set;
    int width, height;
    std::vector<Probe> probes;
};

const LayoutCase LayoutCases[] = {
    // Module 3 pixels: 5 x 5 modules with the quiet zones.
    {"matrix x-dimension", Matrix3, [](kavren::Options& o) { o.xDimension = 3; }, 15, 15,
     {{1, 1, W}, {4, 4, K}, {7, 4, W}, {10, 4, K}, {7, 7, K}, {7, 10, K}, {10, 10, W}, {13, 13, W}}},
    // Fixed image: the largest whole module that fits both sides (30 / 5),
    // centred along in what is left (44 - 30), square across.
    {"matrix fixed size", Matrix3, [](kavren::Options& o) { o.width = 44, o.height = 30; }, 44, 30,
     {{10, 8, W}, {15, 8, K}, {21, 8, W}, {21, 20, K}, {27, 20, W}, {33, 8, W}}},
    {"matrix fixed size, aligned to the start", Matrix3,
     [](kavren::Options& o) { o.width = 44, o.height = 30, o.barcodeAlign = kavren::BarcodeAlign::Start; }, 44,
     30, {{8, 8, K}, {14, 8, W}, {26, 26, W}}},
    // At 90 degrees the reading direction runs up the image: module column c
    // at y = 15 - 3 (c + 1) .. 15 - 3c, module row r at x = 3 (r + 1).
    {"matrix at 90 degrees", Matrix3,
     [](kavren::Options& o) { o.xDimension = 3, o.orientation = kavren::Orientation::Deg90; }, 15, 15,
     {{4, 10, K}, {4, 7, W}, {4, 4, K}, {10, 7, K}, {10, 4, W}, {10, 10, K}}},
    {"matrix at 180 degrees", Matrix3,
     [](kavren::Options& o) { o.xDimension = 3, o.orientation = kavren::Orientation::Deg180; }, 15, 15,
     {{10, 10, K}, {7, 10, W}, {4, 10, K}, {4, 4, W}, {7, 4, K}}},
    {"matrix without quiet zones, coloured", Matrix3,
     [](kavren::Options& o) { o.xDimension = 3, o.quietZones = false, o.barColour = kavren::Rgb{255, 0, 0}; }, 9,
     9, {{1, 1, Red}, {4, 1, W}, {4, 4, Red}, {7, 7, W}}},
    // The matrix has no text unless asked for HRI: the text item is not drawn.
    {"matrix text without hri", [] {
         EncodedSymbol s = Matrix3();
         s.texts.push_back({"AB", kavren::detail::TextRole::Main, {0.0, 0}, {3.0, 0}, 2});
         return s;
     },
     [](kavren::Options& o) { o.xDimension = 3; }, 15, 15, {{13, 13, W}}},
    // 200 pixels across by default; the 2-pixel separator between two rows
    // that share the other 198 (edges at 99 and 101).
    {"stacked rows", Stacked2, [](kavren::Options& o) { o.xDimension = 2; }, 16, 200,
     {{3, 50, K}, {5, 50, K}, {7, 50, W}, {3, 150, W}, {9, 150, K}, {13, 100, K}, {13, 98, W}, {7, 100, K}, {7, 101, W},
      {15, 100, W}}},
    // Half a module off each bar's trailing side, the separator's too.
    {"stacked rows, bars reduced", Stacked2, [](kavren::Options& o) { o.xDimension = 2, o.barReduction = 50; },
     16, 200, {{4, 50, K}, {5, 50, W}, {12, 100, K}, {13, 100, W}}},
    // Rows 30, 20 and 30 pixels of 80; 4-state bars keep their width.
    {"4-state bars", FourState4, [](kavren::Options& o) { o.xDimension = 2, o.height = 80, o.barReduction = 50; },
     18, 80,
     {{3, 10, K}, {3, 70, K}, {5, 40, W}, {7, 10, K}, {7, 40, K}, {7, 70, W}, {11, 10, W}, {11, 40, K}, {11, 70, K},
      {15, 10, W}, {15, 29, W}, {15, 30, K}, {15, 49, K}, {15, 50, W}}},
    {"4-state bars at 270 degrees", FourState4,
     [](kavren::Options& o) { o.xDimension = 2, o.width = 80, o.orientation = kavren::Orientation::Deg270; }, 80,
     18, {{70, 3, K}, {10, 3, K}, {70, 7, K}, {10, 7, W}, {70, 11, W}, {10, 11, K}}},
};

kt::Raster RenderPng(const EncodedSymbol& symbol, const kavren::Options& options, kavren::Status& status)
{
    std::string bytes;
    std::vector<std::string> warnings;
    status = kavren::detail::RenderSymbol(
        options, symbol, "", true,
        [&](const std::uint8_t* data, std::size_t size) {
            bytes.append(reinterpret_cast<const char*>(data), size);
            return true;
        },
        warnings);
    kt::Raster raster;
    if (status == kavren::Status::Ok) {
        const std::string path = kt::ScratchPath("symbol.png");
        kt::WriteFile(path, bytes);
        EXPECT_TRUE(kt::ReadPng(path, raster));
    }
    return raster;
}

TEST(SymbolLayout, DrawsEveryKindOnBothAxes)
{
    for (const LayoutCase& c : LayoutCases) {
        SCOPED_TRACE(c.name);
        kavren::Options options;
        options.timestamp = 0;
        c.set(options);
        kavren::Status status{};
        const kt::Raster raster = RenderPng(c.symbol(), options, status);
        ASSERT_EQ(status, kavren::Status::Ok);
        ASSERT_EQ(raster.width, c.width);
        ASSERT_EQ(raster.height, c.height);
        for (const Probe& p : c.probes)
            EXPECT_EQ(raster.At(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
    }
}

TEST(SymbolLayout, SizesAndStatuses)
{
    struct Case {
        const char* name;
        std::function<void(kavren::Options&)> set;
        kavren::Status status;
    };
    const Case cases[] = {
        {"a matrix taller than the image", [](kavren::Options& o) { o.width = 100, o.height = 4; },
         kavren::Status::InvalidSize},
        {"a matrix longer than the image", [](kavren::Options& o) { o.width = 4; }, kavren::Status::InvalidSize},
        {"an x-dimension below a pixel", [](kavren::Options& o) { o.xDimension = 0.4; },
         kavren::Status::InvalidArgument},
        {"an exact module below 1/100 pixel",
         [](kavren::Options& o) {
             o.format = kavren::Format::Svg, o.unit = kavren::Unit::Mils, o.xDimension = 0.001;
         },
         kavren::Status::InvalidArgument},
        {"SVG at an exact module", [](kavren::Options& o) { o.format = kavren::Format::Svg, o.unit = kavren::Unit::Millimetres, o.xDimension = 0.5; },
         kavren::Status::Ok},
        {"EPS in pixels", [](kavren::Options& o) { o.format = kavren::Format::Eps; }, kavren::Status::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kavren::Options options;
        c.set(options);
        std::string bytes;
        std::vector<std::string> warnings;
        const kavren::Status status = kavren::detail::RenderSymbol(
            options, Matrix3(), "", true,
            [&](const std::uint8_t* data, std::size_t size) {
                bytes.append(reinterpret_cast<const char*>(data), size);
                return true;
            },
            warnings);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(bytes.empty(), status != kavren::Status::Ok);
    }
}

// With HRI the matrix grows by the text band below it, and the text is drawn there.
TEST(SymbolLayout, MatrixHriBand)
{
    EncodedSymbol symbol = Matrix3();
    symbol.texts.push_back({"AB", kavren::detail::TextRole::Main, {0.0, 0}, {3.0, 0}, 2});
    kavren::Options options;
    options.xDimension = 10;
    options.hri = true;
    options.timestamp = 0;
    kavren::Status status{};
    const kt::Raster raster = RenderPng(symbol, options, status);
    ASSERT_EQ(status, kavren::Status::Ok);
    EXPECT_EQ(raster.width, 50);
    ASSERT_GT(raster.height, 50);
    bool inked = false;
    for (int y = 50; y < raster.height; ++y)
        for (int x = 0; x < raster.width; ++x)
            inked = inked || raster.At(x, y) != W;
    EXPECT_TRUE(inked);
}

// ---- kavren::Encode on the classic symbologies ------------------------------

struct EncodeCase {
    kavren::Symbology symbology;
    const char* data;
    std::function<void(kavren::Options&)> set;
    double width;  // modules, as the standard counts them
    int bars;      // dark rectangles
    int rows;
};

const auto None = [](kavren::Options&) {};

const EncodeCase EncodeCases[] = {
    // 3 + 42 + 5 + 42 + 3 modules; 2 bars a digit and 3 guards of 2 bars.
    {kavren::Symbology::Ean13, "590123412345", None, 95, 30, 1},
    {kavren::Symbology::UpcA, "01234567890", None, 95, 30, 1},
    {kavren::Symbology::Ean8, "1234567", None, 67, 22, 1},
    // An add-on 9 modules after the main symbol: EAN-2 is 20 modules, 7 bars
    // (start, 2 a digit, the delineator); EAN-5 47 with 16.
    {kavren::Symbology::Ean13, "590123412345+12", None, 95 + 9 + 20, 30 + 7, 1},
    {kavren::Symbology::Ean5, "12345", None, 47, 16, 1},
    // Code 128: 11 modules a symbol character (start, 3 data, check), 13 the stop.
    {kavren::Symbology::Code128, "ABC", [](kavren::Options& o) { o.code128Set = kavren::Code128Set::B; },
     11 * 5 + 13, 3 * 5 + 4, 1},
    // Code 39, 5 characters with the start and stop: 6 narrow and 3 wide
    // elements each, one narrow gap between them; at the ratio 2.5.
    {kavren::Symbology::Code39, "ABC", [](kavren::Options& o) { o.calcCheckDigit = false; }, 5 * (6 + 3 * 2.5) + 4,
     25, 1},
    {kavren::Symbology::Code39, "ABC", [](kavren::Options& o) { o.calcCheckDigit = false, o.wideToNarrow = 3; },
     5 * (6 + 3 * 3) + 4, 25, 1},
    // PostNet 12345 and its check digit: 6 x 5 bars and the 2 frame bars, a
    // module each with a module between.
    {kavren::Symbology::PostNet, "12345", None, 32 + 31, 32, 2},
    // Bearer bars: a row above and below, over both quiet zones.
    {kavren::Symbology::Itf14, "1234567890123", [](kavren::Options& o) { o.bearer = kavren::Bearer::Bars; },
     10 + (4 + 7 * (6 + 4 * 2.5) + 2 + 2.5) + 10, 2 + 7 * 5 + 2 + 2, 3},
};

TEST(Encode, ClassicSymbologiesHaveTheirStandardExtents)
{
    for (const EncodeCase& c : EncodeCases) {
        kavren::Options options;
        options.symbology = c.symbology;
        options.data = c.data;
        c.set(options);
        SCOPED_TRACE(c.data);
        const kavren::Encoding encoded = kavren::Encode(options);
        ASSERT_TRUE(encoded) << encoded.message;
        const kavren::SymbolGeometry& s = encoded.symbol;
        EXPECT_DOUBLE_EQ(s.width, c.width);
        EXPECT_EQ(static_cast<int>(s.rectangles.size()), c.bars);
        EXPECT_EQ(static_cast<int>(s.rows.size()), c.rows);
        // The bars themselves span the width, first module to last.
        double first = s.width;
        double last = 0.0;
        for (const kavren::ModuleRect& r : s.rectangles) {
            first = std::min(first, r.x);
            last = std::max(last, r.x + r.width);
            EXPECT_GT(r.width, 0.0);
            EXPECT_GT(r.height, 0.0);
        }
        EXPECT_DOUBLE_EQ(first, 0.0);
        EXPECT_DOUBLE_EQ(last, c.width);
        const bool bearers = options.bearer != kavren::Bearer::None;
        EXPECT_EQ(s.quietZones.leading, bearers ? 0.0 : 10.0);
        EXPECT_FALSE(s.texts.empty());
    }
}

TEST(Encode, StatusesAndTexts)
{
    kavren::Options options;
    options.symbology = kavren::Symbology::Ean13;
    options.data = "12345";
    EXPECT_EQ(kavren::Encode(options).status, kavren::Status::InvalidText);
    options.symbology = static_cast<kavren::Symbology>(-1);
    EXPECT_EQ(kavren::Encode(options).status, kavren::Status::CantSetType);
    options.symbology = kavren::Symbology::Code128;
    options.fontHeight = 0;
    const kavren::Encoding bad = kavren::Encode(options);
    EXPECT_EQ(bad.status, kavren::Status::InvalidArgument);
    EXPECT_EQ(bad.detail, "fontHeight must be 1 or more");

    // EAN-13: the leading digit and two groups of six; UPC-A's outer digits too.
    options = kavren::Options{};
    options.symbology = kavren::Symbology::Ean13;
    options.data = "590123412345";
    options.textAlign = kavren::TextAlign::EanLeadingOutside;
    const kavren::Encoding ean = kavren::Encode(options);
    ASSERT_EQ(ean.symbol.texts.size(), 3u);
    EXPECT_EQ(ean.symbol.texts[0].text, "5");
    EXPECT_LT(ean.symbol.texts[0].x, 0.0);
    EXPECT_EQ(ean.symbol.texts[1].text, "901234");
    EXPECT_EQ(ean.symbol.texts[2].text, "123457");
    EXPECT_EQ(ean.symbol.texts[1].role, kavren::TextRole::EanGroup);
    EXPECT_EQ(ean.symbol.texts[0].x, -1.0) << "ends a module before the first bar";
    EXPECT_EQ(ean.symbol.texts[0].width, 0.0);
    EXPECT_EQ(ean.symbol.texts[1].x, 4.0) << "a module into its half";
    EXPECT_EQ(ean.symbol.texts[1].width, 41.0);
    // An EAN-2 add-on 9 modules after the symbol: its digits over its 20 modules.
    options.data = "590123412345+12";
    const kavren::Encoding addOn = kavren::Encode(options);
    EXPECT_EQ(addOn.symbol.width, 95 + 9 + 20);
    ASSERT_EQ(addOn.symbol.texts.size(), 4u);
    EXPECT_EQ(addOn.symbol.texts[3].role, kavren::TextRole::AddOn);
    EXPECT_EQ(addOn.symbol.texts[3].text, "12");
    EXPECT_EQ(addOn.symbol.texts[3].x, 95 + 9 + 1);
    EXPECT_EQ(addOn.symbol.texts[3].width, 18);
    // Quiet zones off, text off: none reported.
    options.quietZones = false;
    options.showText = false;
    const kavren::Encoding bare = kavren::Encode(options);
    EXPECT_TRUE(bare.symbol.texts.empty());
    EXPECT_EQ(bare.symbol.quietZones.leading, 0.0);

    // --compliant as the render draws it: the ITF-14's element string, and
    // UPC-A's outer characters' bars (2 each) as long as the 6 guard bars.
    options = kavren::Options{};
    options.compliant = true;
    options.symbology = kavren::Symbology::Itf14;
    options.data = "1540014128876";
    const kavren::Encoding itf = kavren::Encode(options);
    ASSERT_FALSE(itf.symbol.texts.empty());
    EXPECT_EQ(itf.symbol.texts[0].text, "(01) 15400141288763");
    options.symbology = kavren::Symbology::UpcA;
    options.data = "03600029145";
    const kavren::Encoding upc = kavren::Encode(options);
    EXPECT_EQ(std::count_if(upc.symbol.rectangles.begin(), upc.symbol.rectangles.end(),
                            [](const kavren::ModuleRect& r) { return r.guard; }),
              6 + 4);
    ASSERT_FALSE(upc.symbol.texts.empty());
    EXPECT_EQ(upc.symbol.texts.front().text, "0");
    EXPECT_EQ(upc.symbol.texts.front().fontScale, 0.75) << "GS1's smaller outside digit";
}

TEST(Encode, SymbologyListAndVersion)
{
    const std::vector<kavren::SymbologyInfo> list = kavren::ListSymbologies();
    ASSERT_GE(list.size(), 22u);
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(static_cast<std::size_t>(list[i].number), i);
    EXPECT_EQ(list[11].name, "EAN-13");
    EXPECT_EQ(list[17].kind, kavren::SymbolKind::FourState);
    EXPECT_EQ(list[7].names.substr(0, 7), "code128");
    const std::string version(kavren::Version());
    const std::size_t dot = version.find('.');
    ASSERT_NE(dot, std::string::npos) << version;
    EXPECT_GT(dot, 0u);
    EXPECT_LT(dot + 1, version.size());
    EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << version;
}

} // namespace
