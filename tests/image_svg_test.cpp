#include "image/SvgWriter.h"
#include "tests/image_vector_support.h"

#include <charconv>
#include <cmath>
#include <random>
#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

std::string Svg(const Layout& layout, const VectorOptions& options = {})
{
    std::string svg;
    EXPECT_TRUE(WriteSvg(layout, options, svg));
    return svg;
}

bool XmlWellFormed(const std::string& svg, const std::string& name)
{
    const std::string path = kt::ScratchPath(name + "-lint.svg");
    kt::WriteFile(path, svg);
    return kt::RunCommand("xmllint --noout '" + path + "' 2>/dev/null").status == 0;
}

// Bars of 1..4 modules of 3 units, a guard bar reaching further across and
// one bar running past the area's end (a widened last bar), clipped there.
Layout BarsLayout(int orientation, bool paintBackground)
{
    Layout layout = kt::ModuleLayout("1101001110111101000110101", 3, 50, orientation);
    layout.bars.push_back({30 + 3 * 27, 0, 3, 58});
    layout.bars.push_back({layout.length - 4, 0, 9, 50});
    layout.thickness = 60;
    layout.area = kt::AreaFor(orientation, layout.length, layout.thickness);
    layout.paintBackground = paintBackground;
    layout.background = 0xd0f0ff;
    layout.barColour = 0x203a10;
    return layout;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// The document with its glyphs as the one path of all outlines that their
// uses stand for, filled in the clip rectangle's colour.
std::string OnePathText(const std::string& svg, const Layout& layout, const VectorOptions& options = {})
{
    std::vector<PathStep> path;
    EXPECT_TRUE(TextOutlines(layout, options, path));
    std::string d;
    for (const PathStep& step : path) {
        static constexpr char kLetters[] = "MLQCZ";
        static constexpr int kPoints[] = {1, 1, 2, 3, 0};
        const auto kind = static_cast<int>(step.kind);
        d += kLetters[kind];
        for (int i = 0; i < kPoints[kind]; ++i)
            d += FormatNumber(step.points[i].x) + ' ' + FormatNumber(step.points[i].y) + ' ';
    }
    const std::size_t fill = svg.find("\" clip-path=");
    const std::string colour = fill == std::string::npos ? std::string() : svg.substr(fill - 7, 7);
    return svg.substr(0, svg.find("<defs>")) + "<path fill=\"" + colour + "\" d=\"" + d + "\"/>\n</svg>\n";
}

} // namespace

// rsvg-convert at 96 dpi gives the raster's bars and background pixel for pixel.
TEST(SvgBars, PixelIdenticalToTheRasterInEveryOrientation)
{
    for (const bool background : {true, false})
        for (const int orientation : {0, 90, 180, 270}) {
            const Layout layout = BarsLayout(orientation, background);
            const std::string name = "bars" + std::to_string(orientation) + (background ? "b" : "t");
            const std::string svg = Svg(layout);
            SCOPED_TRACE(name);
            EXPECT_TRUE(XmlWellFormed(svg, name));
            EXPECT_EQ(kt::DifferentPixels(kt::RenderSvg(svg, name), kt::RasterOf(layout)), 0);
        }
}

// Touching bars are one run: "1101" is two bars; the bar path has one subpath per run.
TEST(SvgBars, TouchingBarsMergeIntoOneRun)
{
    const std::string svg = Svg(kt::ModuleLayout("11010111011", 1, 20, 0));
    const std::size_t begin = svg.find("crispEdges\" d=\"");
    ASSERT_NE(begin, std::string::npos);
    EXPECT_EQ(Count(svg.substr(begin, svg.find("\"/>", begin) - begin), "M"), 4U);
    EXPECT_EQ(Count(svg, "<rect"), 1U); // the background
}

// The outlines land where the raster's glyphs land: every solid pixel of one
// rendering has ink next to it in the other, for every mode and orientation.
TEST(SvgText, GlyphsLandWhereTheRasterDrawsThem)
{
    for (const int orientation : {0, 90, 180, 270})
        for (const int mode : {0, 1, 2, 3}) {
            Layout layout;
            layout.orientation = orientation;
            layout.length = 240;
            layout.thickness = 40;
            layout.area = kt::AreaFor(orientation, layout.length, layout.thickness);
            layout.textColour = 0x0000b0;
            layout.texts.push_back({"AVAW Hjg 0123", 12, 36, 216, mode, 14});
            const std::string name = "text" + std::to_string(orientation) + "m" + std::to_string(mode);
            SCOPED_TRACE(name);
            const std::string svg = Svg(layout);
            const kt::Raster vector = kt::RenderSvg(svg, name);
            const kt::Raster raster = kt::RasterOf(layout);
            EXPECT_EQ(kt::SolidInkMissing(raster, vector, layout.textColour, layout.background), 0);
            EXPECT_EQ(kt::SolidInkMissing(vector, raster, layout.textColour, layout.background), 0);
            // Each outline once, wherever its glyph stands (A twice, spread
            // to other sub-pixel positions; a space has none), rendered as
            // the one path of all outlines.
            EXPECT_EQ(Count(svg, "<path id="), 10U);
            EXPECT_EQ(Count(svg, "<use "), 11U);
            EXPECT_TRUE(XmlWellFormed(svg, name));
            EXPECT_EQ(kt::DifferentPixels(vector, kt::RenderSvg(OnePathText(svg, layout), name + "-one")), 0);
        }
}

// A font file opened for each document frees its glyphs with it, and the
// next document's glyphs may come back at their addresses: each document
// still shows its own outlines, as the one path of all of them does.
TEST(SvgText, EachDocumentShowsItsOwnGlyphs)
{
    const std::string font = std::string(KAVREN_SOURCE_DIR) + "/assets/LiberationSans-Regular-Latin1.ttf";
    VectorOptions options;
    options.fontPath = font.c_str();
    struct Row {
        const char* text;
        std::int32_t fontHeight;
    };
    for (const Row& row :
         {Row{"0123", 14}, Row{"4567", 20}, Row{"0123", 20}, Row{"7654", 14}, Row{"89", 9}}) {
        Layout layout;
        layout.length = 200;
        layout.thickness = 40;
        layout.area = kt::AreaFor(0, layout.length, layout.thickness);
        layout.texts.push_back({row.text, 12, 36, 176, 0, row.fontHeight});
        const std::string name = std::string("own") + row.text + std::to_string(row.fontHeight);
        SCOPED_TRACE(name);
        const std::string svg = Svg(layout, options);
        EXPECT_EQ(kt::DifferentPixels(kt::RenderSvg(svg, name),
                                      kt::RenderSvg(OnePathText(svg, layout, options), name + "-one")),
                  0);
    }
}

// zbarimg and ZXingReader read the rendering in all four orientations.
TEST(SvgDocument, DecodersReadTheRendering)
{
    for (const int orientation : {0, 90, 180, 270}) {
        const Layout layout = kt::ModuleLayout(kt::kCode128Abc, 2, 60, orientation);
        const std::string name = "c128-" + std::to_string(orientation);
        kt::RenderSvg(Svg(layout), name);
        const std::string png = kt::ScratchPath(name + "-svg.png");
        EXPECT_EQ(kt::Zbar(png), std::vector<std::string>{"CODE-128:ABC"}) << orientation;
        EXPECT_EQ(kt::ZXingTexts(png), std::vector<std::string>{"Code128 \"ABC\""}) << orientation;
    }
}

TEST(SvgDocument, TransparentLeavesOutTheBackground)
{
    const Layout layout = BarsLayout(0, false);
    const std::string svg = Svg(layout);
    EXPECT_EQ(svg.find("<rect"), std::string::npos);
    std::vector<std::uint8_t> alpha;
    const kt::Raster r = kt::RenderSvg(svg, "transparent", "", &alpha);
    ASSERT_EQ(alpha.size(), static_cast<std::size_t>(r.width * r.height));
    EXPECT_EQ(alpha[0], 0);                              // quiet zone
    EXPECT_EQ(alpha[static_cast<std::size_t>(30)], 255); // first bar
}

// Width and height state the physical size; the viewBox stays in layout units.
TEST(SvgDocument, SizeInPhysicalUnits)
{
    struct Case {
        int dpi;
        SizeUnit unit;
        const char* size;
    };
    const Case cases[] = {
        {96, SizeUnit::Pixels, "width=\"180\" height=\"60\""},                 // pixels at 96 dpi: CSS pixels
        {96, SizeUnit::Millimetres, "width=\"47.625mm\" height=\"15.875mm\""}, // 180 / 96 inch
        {300, SizeUnit::Inches, "width=\"0.6in\" height=\"0.2in\""},
        {300, SizeUnit::Mils, "width=\"0.6in\" height=\"0.2in\""},
        {300, SizeUnit::Pixels, "width=\"0.6in\" height=\"0.2in\""}, // not 96 dpi: no pixels to speak of
        {600, SizeUnit::Millimetres, "width=\"7.62mm\" height=\"2.54mm\""},
    };
    Layout layout = kt::ModuleLayout("101", 1, 60, 0);
    layout.length = 180;
    layout.area = kt::AreaFor(0, 180, 60);
    for (const Case& c : cases) {
        VectorOptions options;
        options.dpi = c.dpi;
        options.unit = c.unit;
        const std::string svg = Svg(layout, options);
        EXPECT_NE(svg.find(c.size), std::string::npos) << c.dpi << ' ' << svg;
        EXPECT_NE(svg.find("viewBox=\"0 0 180 60\""), std::string::npos);
    }
}

// At 300 dpi a layout unit is 1/300 inch: rendered at 300 dpi, the pixels of the raster.
TEST(SvgDocument, PhysicalSizeRendersAtItsResolution)
{
    VectorOptions options;
    options.dpi = 300;
    options.unit = SizeUnit::Millimetres;
    const Layout layout = BarsLayout(90, true);
    const kt::Raster r = kt::RenderSvg(Svg(layout, options), "dpi300", "--dpi-x 300 --dpi-y 300");
    const kt::Raster raster = kt::RasterOf(layout, 300);
    // rsvg-convert rounds a size up: 5.08 mm at 300 dpi gives 61 pixels.
    EXPECT_LE(r.width - raster.width, 1);
    EXPECT_LE(r.height - raster.height, 1);
    EXPECT_EQ(kt::DifferentPixels(kt::Cropped(r, raster.width, raster.height), raster), 0);
}

TEST(SvgTitle, EscapedForXml)
{
    struct Case {
        const char* text;
        const char* escaped;
    };
    const Case cases[] = {
        {"A<B>&\"C'", "A&lt;B&gt;&amp;&quot;C&apos;"}, // markup characters
        {"\x01"
         "A\tB\x7f\x85"
         "C",
         "ABC"},                                      // C0, DEL and C1 controls left out
        {"\xe9\xff\xa0", "\xc3\xa9\xc3\xbf\xc2\xa0"}, // Latin-1 as UTF-8
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EscapeXml(c.text), c.escaped) << c.text;

    Layout layout = kt::ModuleLayout("101", 1, 60, 0);
    layout.texts.push_back({"12<3", 0, 60, 0, 0, 10});
    layout.texts.push_back({"&\xe9\x1b", 30, 60, 0, 0, 10});
    const std::string svg = Svg(layout);
    EXPECT_NE(svg.find("<title>12&lt;3&amp;\xc3\xa9</title>"), std::string::npos);
    EXPECT_TRUE(XmlWellFormed(svg, "title"));
    VectorOptions options;
    options.title = "data \"x\"";
    EXPECT_NE(Svg(layout, options).find("<title>data &quot;x&quot;</title>"), std::string::npos);
}

TEST(SvgDocument, UnreadableFontFailsOnlyWithText)
{
    VectorOptions options;
    options.fontPath = "/nonexistent/font.ttf";
    Layout layout = kt::ModuleLayout("101", 1, 60, 0);
    std::string svg = "old";
    EXPECT_TRUE(WriteSvg(layout, options, svg));
    layout.texts.push_back({"1", 0, 60, 0, 0, 10});
    EXPECT_FALSE(WriteSvg(layout, options, svg));
    EXPECT_TRUE(svg.empty());
}

namespace {

// The general rule: six decimals, correctly rounded, trailing zeros and a
// negative zero dropped.
std::string ReferenceNumber(double value)
{
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6).ptr;
    std::string text(buffer, end);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text == "-0" ? "0" : text;
}

} // namespace

TEST(SvgNumbers, WrittenAsTheGeneralRuleWrites)
{
    struct Case {
        double value;
        std::string text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {12.0, "12"},
        {0.5, "0.5"},
        {-3.015625, "-3.015625"},
        {1.0 / 64, "0.015625"},
        {-1.0 / 64, "-0.015625"},
        {0.1, "0.1"},
        {2.0 / 3, "0.666667"},
        {-0.0000004, "0"},
        {1e15 + 0.5, "1000000000000000.5"},
        {1e300, ReferenceNumber(1e300)},
        {std::nan(""), "0"},
        {INFINITY, "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
    // Outline coordinates are whole 64ths, written on a path of their own.
    for (std::int64_t units = -300000; units <= 300000; units += 7)
        ASSERT_EQ(FormatNumber(static_cast<double>(units) / 64),
                  ReferenceNumber(static_cast<double>(units) / 64))
            << units;
    // Everything else, as the general rule writes it.
    std::mt19937_64 random(15);
    std::uniform_real_distribution<double> anywhere(-1e6, 1e6);
    for (int i = 0; i < 100000; ++i) {
        const double value = anywhere(random);
        ASSERT_EQ(FormatNumber(value), ReferenceNumber(value)) << value;
    }
}
