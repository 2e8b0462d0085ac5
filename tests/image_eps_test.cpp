#include "image/EpsWriter.h"
#include "tests/image_vector_support.h"

#include <sstream>
#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

std::string Eps(const Layout& layout, const VectorOptions& options = {})
{
    std::string eps;
    EXPECT_TRUE(WriteEps(layout, options, eps));
    return eps;
}

// The value of a header comment, e.g. "%%BoundingBox:".
std::string Header(const std::string& eps, const std::string& key)
{
    std::istringstream in(eps);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0)
            return line.substr(key.size() + 1);
    return "(missing)";
}

// Bars and a text run, with a background of its own.
Layout SampleLayout(int orientation)
{
    Layout layout = kt::ModuleLayout(kt::kCode128Abc, 2, 50, orientation);
    layout.thickness = 72;
    layout.area = kt::AreaFor(orientation, layout.length, layout.thickness);
    layout.background = 0xe0ffff;
    layout.barColour = 0x301000;
    layout.textColour = 0x0000a0;
    layout.texts.push_back({"ABC", 20, 72, layout.length - 40, 2, 14});
    return layout;
}

} // namespace

// The bounding box is the frame in points, units x 72 / dpi: the exact size in
// %%HiResBoundingBox, rounded out to whole points in %%BoundingBox.
TEST(EpsDocument, BoundingBoxIsTheSymbolsSize)
{
    struct Case {
        int dpi;
        double length;
        const char* box;
        const char* hiRes;
    };
    const Case cases[] = {
        {96, 240, "0 0 180 60", "0 0 180 60"},         // 240 x 80 pixels at 96 dpi
        {96, 230, "0 0 173 60", "0 0 172.5 60"},       // half a point rounds out
        {300, 240, "0 0 58 20", "0 0 57.6 19.2"},      // 0.8 x 0.2667 inch
        {203, 406, "0 0 144 29", "0 0 144 28.374384"}, // a label printer's resolution
    };
    for (const Case& c : cases) {
        Layout layout = kt::ModuleLayout("101", 1, 80, 0);
        layout.length = c.length;
        layout.area = kt::AreaFor(0, c.length, 80);
        VectorOptions options;
        options.dpi = c.dpi;
        const std::string eps = Eps(layout, options);
        EXPECT_EQ(eps.rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0U);
        EXPECT_EQ(Header(eps, "%%BoundingBox:"), c.box) << c.dpi;
        EXPECT_EQ(Header(eps, "%%HiResBoundingBox:"), c.hiRes) << c.dpi;
    }
}

// Ghostscript at 96 dpi gives the raster's size, bars and background pixel for
// pixel, its text in the raster's place, and decoders read it.
TEST(EpsDocument, GhostscriptRendersTheRaster)
{
    for (const int orientation : {0, 90, 180, 270}) {
        Layout layout = SampleLayout(orientation);
        const std::string name = "eps" + std::to_string(orientation);
        SCOPED_TRACE(name);
        const std::string eps = Eps(layout);
        const kt::Raster rendered = kt::RenderEps(eps, name);
        const kt::Raster raster = kt::RasterOf(layout);
        EXPECT_EQ(kt::SolidInkMissing(raster, rendered, layout.textColour, layout.background), 0);
        EXPECT_EQ(kt::SolidInkMissing(rendered, raster, layout.textColour, layout.background), 0);
        const std::string png = kt::ScratchPath(name + "-eps.png");
        EXPECT_EQ(kt::Zbar(png), std::vector<std::string>{"CODE-128:ABC"});
        EXPECT_EQ(kt::ZXingTexts(png), std::vector<std::string>{"Code128 \"ABC\""});

        layout.texts.clear();
        EXPECT_EQ(kt::DifferentPixels(kt::RenderEps(Eps(layout), name + "bars"), kt::RasterOf(layout)), 0);
    }
}

// At 300 dpi a layout unit is 1/300 inch: rendered at 300 dpi, the raster's pixels.
TEST(EpsDocument, PhysicalSizeRendersAtItsResolution)
{
    Layout layout = SampleLayout(270);
    layout.texts.clear();
    VectorOptions options;
    options.dpi = 300;
    EXPECT_EQ(
        kt::DifferentPixels(kt::RenderEps(Eps(layout, options), "dpi300", 300), kt::RasterOf(layout, 300)),
        0);
}

TEST(EpsDocument, TransparentLeavesOutTheBackground)
{
    Layout layout = SampleLayout(0);
    layout.paintBackground = false;
    std::vector<std::uint8_t> alpha;
    const kt::Raster r = kt::RenderEps(Eps(layout), "transparent", 96, "pngalpha", &alpha);
    ASSERT_EQ(alpha.size(), static_cast<std::size_t>(r.width * r.height));
    EXPECT_EQ(alpha[0], 0);    // quiet zone
    EXPECT_EQ(alpha[20], 255); // first bar
}

TEST(EpsDocument, TitleIsAPostScriptString)
{
    struct Case {
        const char* text;
        const char* literal;
    };
    const Case cases[] = {
        {"ABC 123", "(ABC 123)"},
        {"a(b)c\\", "(a\\(b\\)c\\\\)"},        // string delimiters and the escape character
        {"\x01\xe9\x7f", "(\\001\\351\\177)"}, // controls and Latin-1 in octal
    };
    for (const Case& c : cases)
        EXPECT_EQ(PostScriptString(c.text), c.literal) << c.text;
    EXPECT_EQ(Header(Eps(SampleLayout(0)), "%%Title:"), "(ABC)");
}
